#pragma once
// zur-cli from the arguments to the exit code.

#include <iosfwd>

namespace Program {

// Parses, checks every file a command needs before the port is opened, opens the port when a
// command needs it, and runs the commands in order until the first failure.
int Run(int argc, const char* const* argv, std::ostream& Out, std::ostream& Err);

} // namespace Program
