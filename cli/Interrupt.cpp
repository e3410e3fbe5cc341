#include "cli/Interrupt.h"

#include <array>
#include <csignal>

namespace Interrupt {
namespace {

// Windows has no SIGHUP.
#ifdef SIGHUP
constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP};
constexpr int kHangUp = SIGHUP;
constexpr int kBrokenPipe = SIGPIPE;
#else
constexpr std::array kSignals{SIGINT, SIGTERM};
constexpr int kHangUp = -1;
constexpr int kBrokenPipe = -1;
#endif

std::atomic<bool> stopRequested{false};
std::atomic<int> received{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "set from a signal handler");

extern "C" void OnSignal(int Number) {
    int none = 0;
    received.compare_exchange_strong(none, Number);
    stopRequested.store(true);
    for (const int each : kSignals)
        std::signal(each, SIG_DFL);
}

} // namespace

const std::atomic<bool>& Install() {
    for (const int each : kSignals)
        std::signal(each, OnSignal);
    return stopRequested;
}

void KeepOnBrokenPipe() {
    if (kBrokenPipe > 0)
        std::signal(kBrokenPipe, SIG_IGN);
}

TStop Received() {
    const int signal = received.load();
    if (signal == 0)
        return TStop::None;
    if (signal == kHangUp)
        return TStop::HangUp;
    return signal == SIGTERM ? TStop::Terminate : TStop::Interrupt;
}

} // namespace Interrupt
