#pragma once
// How a command that failed ends the run.

#include <string>

#include "cli/Output.h"
#include "cli/Session.h"

namespace Failure {

// Reports Line with Exit, or as an interruption when Ctrl+C stopped the line.
int Report(Session::TSession& Session, Output::TOutput& Out, int Exit, const std::string& Line);

} // namespace Failure
