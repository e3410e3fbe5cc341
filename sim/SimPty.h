#pragma once
// The simulator's end of a pseudo-terminal in raw mode. It also holds the other end open so that
// the master sees no hang-up while the tool closes and reopens the port.

#include <string>

namespace SimPty {

// Owns one descriptor.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int owned) : fd(owned) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    int Get() const { return fd; }
    explicit operator bool() const { return fd >= 0; }
    int Release();
    void Reset();

private:
    int fd = -1;
};

class Pty {
public:
    // Throws std::system_error when no pseudo-terminal can be had; the symlink is best effort.
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
    std::string linkPath;
};

} // namespace SimPty
