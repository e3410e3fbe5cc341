#include "cli/ExitCodes.h"

#include <array>

namespace ExitCodes {
namespace {

constexpr std::array kDescriptions{
    TDescription{Success, "success"},
    TDescription{Internal, "internal error of the tool"},
    TDescription{Usage, "usage error, or a configuration or firmware file that cannot be used"},
    TDescription{PortUnavailable, "the port cannot be opened (the system's reason is printed)"},
    TDescription{NoAnswer, "no valid answer from the controller"},
    TDescription{Refused, "the controller refused, or the configuration read back differs"},
    TDescription{OtherController,
                 "the file's serial_number differs from the controller's (see --any-controller)"},
    TDescription{BackupFailed,
                 "the safety backup could not be written; nothing was changed (see --no-backup)"},
    TDescription{Interrupted, "interrupted (Ctrl+C); an update then did not complete"},
};

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

std::span<const TDescription> All() {
    return kDescriptions;
}

std::string HelpText() {
    std::string text = "Exit codes:\n";
    for (const TDescription& d : kDescriptions) {
        const std::string code = std::to_string(d.Code);
        text += "  " + code + std::string(5 - code.size(), ' ') + d.Meaning + "\n";
    }
    return text;
}

} // namespace ExitCodes
