#include "cli/ExitCodes.h"

#include <array>
#include <csignal>

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
    TDescription{OutputLost, "the output did not reach its destination (standard output, --output, --trace)"},
    TDescription{HungUp, "stopped by SIGHUP (the terminal or SSH session closed); as for 130"},
    TDescription{Interrupted, "interrupted (Ctrl+C); an update then did not complete"},
    TDescription{Terminated, "stopped by SIGTERM (timeout, kill); as for 130"},
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
    }
    return Internal;
}

TExit ForSignal(int Signal) {
#ifdef SIGHUP
    if (Signal == SIGHUP)
        return HungUp;
#endif
    return Signal == SIGTERM ? Terminated : Interrupted;
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
