#pragma once
// Ctrl+C, SIGTERM (a timeout, a service manager) and SIGHUP (a closed terminal or SSH session):
// the first of them asks the run to stop after the exchange under way; a second one ends the
// program at once.

#include <atomic>

namespace Interrupt {

// Installs the handlers; the flag it returns is set by the first of those signals.
const std::atomic<bool>& Install();

// The signal that asked the run to stop; 0 when none did.
int Received();

} // namespace Interrupt
