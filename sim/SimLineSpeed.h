#pragma once
// The line speed the tool has set on its end of the pseudo-terminal. A pseudo-terminal carries no
// speed, but on Linux the master reports the slave's settings, so the simulator can tell which
// speed the tool's port is at.

#include <cstdint>

namespace SimLineSpeed {

// Bit/s, from the master's descriptor; 0 when it cannot be read.
uint32_t Read(int Master);

} // namespace SimLineSpeed
