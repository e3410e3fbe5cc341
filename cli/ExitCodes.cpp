#include "cli/ExitCodes.h"

#include "cli/CliTexts.h"
#include "service/Texts.h"

namespace ExitCodes {

TExit For(Outcome::TResult Result) {
    using Outcome::TResult;
    switch (Result) {
    case TResult::Success:
        return Success;
    case TResult::NoAnswer:
    case TResult::CorruptAnswer:
    case TResult::Failed:
        return NoAnswer;
    case TResult::Refused:
        return Refused;
    case TResult::Interrupted:
        return Interrupted;
    case TResult::OtherController:
        return OtherController;
    case TResult::NoImage:
        return Usage;
    case TResult::Withheld:
        return BackupFailed;
    }
    return Internal;
}

TExit ForStop(Interrupt::TStop Stop) {
    switch (Stop) {
    case Interrupt::TStop::HangUp:
        return HungUp;
    case Interrupt::TStop::Terminate:
        return Terminated;
    default:
        return Interrupted;
    }
}

std::span<const TDescription> All() {
    return CliTexts::Help::kExitMeanings;
}

std::string HelpText() {
    std::string text = CliTexts::Help::kExitCodes;
    for (const TDescription& d : All()) {
        const std::string code = std::to_string(d.Code);
        text += "  " + code + std::string(5 - code.size(), ' ') + d.Meaning + "\n";
    }
    return text;
}

} // namespace ExitCodes
