#include "cli/Failure.h"

#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "service/Texts.h"

namespace Failure {
namespace {

const char* SignalName(Interrupt::TStop Stop) {
    switch (Stop) {
    case Interrupt::TStop::HangUp:
        return "SIGHUP";
    case Interrupt::TStop::Terminate:
        return "SIGTERM";
    default:
        return "Ctrl+C";
    }
}

} // namespace

int Report(Output::TOutput& Out, const Outcome::TOutcome& Ended, const std::string& Line) {
    if (Ended.Result == Outcome::TResult::Interrupted)
        return Interrupted(Out, Line);
    return Out.Fail(ExitCodes::For(Ended.Result), Line);
}

int Interrupted(Output::TOutput& Out, const std::string& Line) {
    const Interrupt::TStop signal = Interrupt::Received();
    return Out.Fail(ExitCodes::ForStop(signal),
                    std::string(Texts::kInterrupted) + " (" + SignalName(signal) + "): " + Line);
}

} // namespace Failure
