#pragma once
// A pseudo-terminal in raw mode, the far end of a line for the simulator and the tests. It also
// holds the other end open so that the master sees no hang-up while the tool closes and reopens
// the port.

#include <memory>
#include <string>

#include "serial/UniqueFd.h"

namespace SimLink {
class Link;
}

namespace SimPty {

class Pty {
public:
    // Throws std::system_error when no pseudo-terminal can be had, and std::runtime_error when a
    // linkPath is given that cannot be had (see SimLink).
    explicit Pty(const std::string& linkPath);
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int Master() const { return master.Get(); } // non-blocking; -1 once closed
    const std::string& SlavePath() const { return slavePath; }
    void Close();

private:
    UniqueFd master;
    UniqueFd slave;
    std::string slavePath;
    std::unique_ptr<SimLink::Link> link;
};

} // namespace SimPty
