#pragma once
// The engine's timer: an interval and a handler, created stopped. Nothing in this program starts it;
// the engine runs synchronously on its caller's thread.

#include <cstdint>
#include <functional>
#include <utility>

namespace EngineTimer {

struct TEngineTimer {
    TEngineTimer(int32_t Interval, std::function<void()> Handler)
        : IntervalMs(Interval), OnTimer(std::move(Handler)) {}

    int32_t IntervalMs;
    std::function<void()> OnTimer;
    bool Enabled = false;
};

} // namespace EngineTimer
