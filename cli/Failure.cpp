#include "cli/Failure.h"

#include "cli/ExitCodes.h"

namespace Failure {

int Report(Output::TOutput& Out, const Outcome::TOutcome& Ended, const std::string& Line) {
    if (Ended.Result == Outcome::TResult::Interrupted)
        return Out.Fail(ExitCodes::Interrupted, "interrupted (Ctrl+C): " + Line);
    return Out.Fail(ExitCodes::For(Ended.Result), Line);
}

} // namespace Failure
