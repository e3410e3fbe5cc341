#include "cli/Interrupt.h"

#include <csignal>

namespace Interrupt {
namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnInterrupt(int) {
    stopRequested.store(true);
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

const std::atomic<bool>& Install() {
    std::signal(SIGINT, OnInterrupt);
    return stopRequested;
}

} // namespace Interrupt
