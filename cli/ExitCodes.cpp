#include "cli/ExitCodes.h"

#include <array>
#include <iterator>

#include "service/Texts.h"

namespace ExitCodes {
namespace {

// The meanings in the tool's language, in the order of the codes.
constexpr std::array kDescriptions{
    TDescription{Success, Texts::Help::kExitMeanings[0]},
    TDescription{Internal, Texts::Help::kExitMeanings[1]},
    TDescription{Usage, Texts::Help::kExitMeanings[2]},
    TDescription{PortUnavailable, Texts::Help::kExitMeanings[3]},
    TDescription{NoAnswer, Texts::Help::kExitMeanings[4]},
    TDescription{Refused, Texts::Help::kExitMeanings[5]},
    TDescription{OtherController, Texts::Help::kExitMeanings[6]},
    TDescription{BackupFailed, Texts::Help::kExitMeanings[7]},
    TDescription{OutputLost, Texts::Help::kExitMeanings[8]},
    TDescription{HungUp, Texts::Help::kExitMeanings[9]},
    TDescription{Interrupted, Texts::Help::kExitMeanings[10]},
    TDescription{Terminated, Texts::Help::kExitMeanings[11]},
};
static_assert(std::size(Texts::Help::kExitMeanings) == kDescriptions.size());

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
    std::string text = Texts::Help::kExitCodes;
    for (const TDescription& d : kDescriptions) {
        const std::string code = std::to_string(d.Code);
        text += "  " + code + std::string(5 - code.size(), ' ') + d.Meaning + "\n";
    }
    return text;
}

} // namespace ExitCodes
