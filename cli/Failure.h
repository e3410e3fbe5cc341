#pragma once
// How a command that failed ends the run.

#include <string>

#include "cli/Output.h"
#include "service/Outcome.h"

namespace Failure {

// Reports Line for an operation that ended with Outcome, with the exit code of its result; when
// a stop signal ended it, as an interruption.
int Report(Output::TOutput& Out, const Outcome::TOutcome& Ended, const std::string& Line);

// Reports Line for an operation that a stop signal ended, naming the signal, with its exit code.
int Interrupted(Output::TOutput& Out, const std::string& Line);

} // namespace Failure
