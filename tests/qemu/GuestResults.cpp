#include "tests/qemu/GuestResults.h"

namespace {

constexpr std::string_view kRun = "[ RUN      ] ";
constexpr std::string_view kOk = "[       OK ] ";
constexpr std::string_view kFailed = "[  FAILED  ] ";
constexpr std::string_view kReplyEcho = "=";

} // namespace

void TGuestResults::Feed(const std::string& ConsoleLine) {
    if (ConsoleLine.starts_with(kRun)) {
        verdicts.emplace_back().Name = ConsoleLine.substr(kRun.size());
        running = true;
        return;
    }
    // The summary repeats the failed tests' names; only the line that ends a running test counts.
    if (!running)
        return;
    TVerdict& current = verdicts.back();
    const bool passed = ConsoleLine.starts_with(kOk);
    if (passed || ConsoleLine.starts_with(kFailed)) {
        current.Finished = true;
        current.Passed = passed;
        running = false;
        return;
    }
    // The console echoes the host's replies; they are not the test's output.
    if (!ConsoleLine.starts_with(kReplyEcho))
        current.Output.push_back(ConsoleLine);
}
