#pragma once
// The program's exit codes: one per kind of outcome a script needs to tell apart.

#include <span>
#include <string>

#include "cli/Interrupt.h"
#include "service/Outcome.h"

namespace ExitCodes {

enum TExit : int {
    Success = 0,
    Internal = 1,        // a failure of the tool itself
    Usage = 2,           // bad options, or a file that cannot be used
    PortUnavailable = 3, // the port cannot be opened
    NoAnswer = 4,        // no valid answer from the controller
    Refused = 5,         // the controller refused, or what was written reads back different
    OtherController = 6, // the file's serial number is not the controller's
    BackupFailed = 7,    // the safety backup could not be written, so nothing was changed
    OutputLost = 8,      // what was printed or written did not reach its destination
    // Stopped by a signal: as shells report a program that the signal ended.
    HungUp = 129,      // SIGHUP
    Interrupted = 130, // SIGINT, Ctrl+C
    Terminated = 143,  // SIGTERM
};

struct TDescription {
    TExit Code;
    const char* Meaning;
};

// The code of an operation's result: a failed exchange is no valid answer unless the controller
// refused.
TExit For(Outcome::TResult Result);

// The code of a run that Signal stopped (Interrupted for any but SIGHUP and SIGTERM).
TExit ForStop(Interrupt::TStop Stop);

// Every code with what it means, in order: for --help and the README.
std::span<const TDescription> All();
// The table as --help prints it.
std::string HelpText();

} // namespace ExitCodes
