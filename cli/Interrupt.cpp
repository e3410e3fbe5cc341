#include "cli/Interrupt.h"

#include <array>
#include <csignal>

namespace Interrupt {
namespace {

// Windows has no SIGHUP.
#ifdef SIGHUP
constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP};
#else
constexpr std::array kSignals{SIGINT, SIGTERM};
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

int Received() {
    return received.load();
}

} // namespace Interrupt
