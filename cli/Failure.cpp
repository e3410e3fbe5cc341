#include "cli/Failure.h"

#include <csignal>

#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "service/Texts.h"

namespace Failure {
namespace {

std::string SignalName(int Signal) {
#ifdef SIGHUP
    if (Signal == SIGHUP)
        return "SIGHUP";
#endif
    return Signal == SIGTERM ? "SIGTERM" : "Ctrl+C";
}

} // namespace

int Report(Output::TOutput& Out, const Outcome::TOutcome& Ended, const std::string& Line) {
    if (Ended.Result == Outcome::TResult::Interrupted)
        return Interrupted(Out, Line);
    return Out.Fail(ExitCodes::For(Ended.Result), Line);
}

int Interrupted(Output::TOutput& Out, const std::string& Line) {
    const int signal = Interrupt::Received();
    return Out.Fail(ExitCodes::ForSignal(signal),
                    std::string(Texts::kInterrupted) + " (" + SignalName(signal) + "): " + Line);
}

} // namespace Failure
