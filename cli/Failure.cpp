#include "cli/Failure.h"

#include "cli/ExitCodes.h"

namespace Failure {

int Report(Session::TSession& Session, Output::TOutput& Out, int Exit, const std::string& Line) {
    if (Session.Stopped())
        return Out.Fail(ExitCodes::Interrupted, "interrupted (Ctrl+C): " + Line);
    return Out.Fail(Exit, Line);
}

} // namespace Failure
