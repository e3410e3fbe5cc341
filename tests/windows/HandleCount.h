#pragma once
// How many handles this process holds, from the system's handle table (Wine's
// GetProcessHandleCount always reports 0, so that cannot tell a leak).

#include <cstddef>

namespace HandleCount {

// Handles the calling process holds now; 0 when the table cannot be read.
size_t OfThisProcess();

} // namespace HandleCount
