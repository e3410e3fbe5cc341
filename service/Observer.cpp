#include "service/Observer.h"

#include <chrono>
#include <thread>

namespace Observer {

void TObserver::Stage(TStage) {}

void TObserver::Step(Outcome::TUpdateOutcome::TStep) {}

void TObserver::ConfigurationRead(const Outcome::TReadOutcome&) {}

bool TObserver::BeforeChange(const PtnLL::TCfgStruct&) {
    return true;
}

void TObserver::Progress(const TBlockProgress&) {}

void TObserver::Attempt(int, int) {}

void TObserver::Pause(int Milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

bool TObserver::StopRequested() {
    return false;
}

TObserver& Quiet() {
    // Holds no state, so one serves every caller.
    static class TQuiet final : public TObserver {
    } quiet;
    return quiet;
}

} // namespace Observer
