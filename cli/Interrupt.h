#pragma once
// Ctrl+C: the first one asks the run to stop after the exchange under way; a second one ends the
// program at once.

#include <atomic>

namespace Interrupt {

// Installs the handler; the flag it returns is set by the first Ctrl+C.
const std::atomic<bool>& Install();

} // namespace Interrupt
