#pragma once
// Ctrl+C, SIGTERM (a timeout, a service manager) and SIGHUP (a closed terminal or SSH session):
// the first of them asks the run to stop after the exchange under way; a second one ends the
// program at once.

#include <atomic>

namespace Interrupt {

// Installs the handlers; the flag it returns is set by the first of those signals.
const std::atomic<bool>& Install();

// A reader that went away is then output lost, reported as such, not a death that leaves the lock.
void KeepOnBrokenPipe();

enum class TStop { None, Interrupt, Terminate, HangUp };

// Which signal asked the run to stop: Ctrl+C (SIGINT), SIGTERM or SIGHUP.
TStop Received();

} // namespace Interrupt
