#pragma once
// A second descriptor on a tty, for looking at the port from the side while the port object has
// it. It must be opened before the port object to see the modem lines that object leaves: the
// kernel raises DTR and RTS on every open, this one's included.

#include <string>

#include "serial/UniqueFd.h"

class TTtyWatch {
public:
    explicit TTtyWatch(const std::string& Device);

    // "dtr=0 rts=0" and so on, as the driver holds them.
    std::string ModemLines() const;
    // Bytes received and not yet read, by anyone.
    int InputQueued() const;
    // Waits until at least Count bytes are queued; false when they do not come within seconds.
    bool WaitForInput(int Count) const;

private:
    UniqueFd fd;
};
