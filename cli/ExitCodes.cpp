#include "cli/ExitCodes.h"

#include <array>
#include <iterator>

#include "cli/CliTexts.h"
#include "service/Texts.h"

namespace ExitCodes {
namespace {

// The meanings in the tool's language, in the order of the codes.
constexpr std::array kDescriptions{
    TDescription{Success, CliTexts::Help::kExitMeanings[0]},
    TDescription{Internal, CliTexts::Help::kExitMeanings[1]},
    TDescription{Usage, CliTexts::Help::kExitMeanings[2]},
    TDescription{PortUnavailable, CliTexts::Help::kExitMeanings[3]},
    TDescription{NoAnswer, CliTexts::Help::kExitMeanings[4]},
    TDescription{Refused, CliTexts::Help::kExitMeanings[5]},
    TDescription{OtherController, CliTexts::Help::kExitMeanings[6]},
    TDescription{BackupFailed, CliTexts::Help::kExitMeanings[7]},
    TDescription{OutputLost, CliTexts::Help::kExitMeanings[8]},
    TDescription{HungUp, CliTexts::Help::kExitMeanings[9]},
    TDescription{Interrupted, CliTexts::Help::kExitMeanings[10]},
    TDescription{Terminated, CliTexts::Help::kExitMeanings[11]},
};
static_assert(std::size(CliTexts::Help::kExitMeanings) == kDescriptions.size());

} // namespace

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
    return kDescriptions;
}

std::string HelpText() {
    std::string text = CliTexts::Help::kExitCodes;
    for (const TDescription& d : kDescriptions) {
        const std::string code = std::to_string(d.Code);
        text += "  " + code + std::string(5 - code.size(), ' ') + d.Meaning + "\n";
    }
    return text;
}

} // namespace ExitCodes
