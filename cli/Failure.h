#pragma once
// How a command that failed ends the run.

#include <string>

#include "cli/Output.h"
#include "service/Outcome.h"

namespace Failure {

// Reports Line for an operation that ended with Outcome, with the exit code of its result; when
// a stop signal ended it, as an interruption.
int Report(Output::TOutput& Out, const Outcome::TOutcome& Ended, const std::string& Line);

// The line of a write that failed: the window's message and why, and when it ended midway the
// parameters it got through, by name, so that the user knows the controller holds a mix.
std::string WriteLine(const Outcome::TWriteOutcome& Write);

// Reports Line for an operation that a stop signal ended, naming the signal, with its exit code.
int Interrupted(Output::TOutput& Out, const std::string& Line);

} // namespace Failure
