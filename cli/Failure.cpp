#include "cli/Failure.h"

#include "cli/CliTexts.h"
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

std::string WriteLine(const Outcome::TWriteOutcome& Write) {
    std::string line = Texts::kWriteFailed + Texts::Reason(Write.Reason);
    for (std::size_t i = 0; i < Write.Written.size(); ++i)
        line += (i == 0 ? std::string(" ") + CliTexts::kPartlyWritten : ", ") +
                std::string(Write.Written[i].Name);
    if (!Write.Written.empty())
        line += Texts::kMixedConfiguration;
    return line;
}

int Interrupted(Output::TOutput& Out, const std::string& Line) {
    const Interrupt::TStop signal = Interrupt::Received();
    return Out.Fail(ExitCodes::ForStop(signal),
                    std::string(CliTexts::kInterrupted) + " (" + SignalName(signal) + "): " + Line);
}

} // namespace Failure
