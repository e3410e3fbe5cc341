#include "cli/CliObserver.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "cli/Progress.h"
#include "cli/Safeguard.h"
#include "service/Texts.h"

namespace CliObserver {
namespace {

constexpr auto kPauseStep = std::chrono::milliseconds(10); // how soon a pause notices Ctrl+C

} // namespace

TCliObserver::TCliObserver(Connection::TConnection& Line, ::Progress::TProgressLine* Progress,
                           Safeguard::TSafeguard* Guard)
    : connection(Line), progress(Progress), guard(Guard) {}

void TCliObserver::Stage(Observer::TStage Stage) {
    if (!progress)
        return;
    if (Stage == Observer::TStage::Transferring)
        progress->Start();
    else
        progress->Say(Texts::kProbing);
}

void TCliObserver::Step(Outcome::TUpdateOutcome::TStep Step) {
    using TStep = Outcome::TUpdateOutcome::TStep;
    if (!progress)
        return;
    switch (Step) {
    case TStep::ConfigurationRead:
        progress->Say(Texts::kReadingConfiguration);
        break;
    case TStep::EnterUpdateMode:
        progress->Say(Texts::kEnteringUpdateMode);
        break;
    case TStep::UpdateStart:
        progress->Say(Texts::kStartingUpdate);
        break;
    case TStep::Image:
    case TStep::Blocks:
        break;
    }
}

void TCliObserver::Progress(const Observer::TBlockProgress& Block) {
    if (progress)
        progress->Block(Block.Acknowledged, Block.Blocks);
}

void TCliObserver::ConfigurationRead(const Outcome::TReadOutcome& Read) {
    if (guard && Read.Succeeded())
        guard->Read(Read.Record);
}

bool TCliObserver::BeforeChange(const PtnLL::TCfgStruct& Current) {
    return !guard || guard->Save(Current);
}

void TCliObserver::Pause(int Milliseconds) {
    if (progress)
        progress->Say(Texts::kModeSwitchPause);
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(Milliseconds);
    while (!connection.Stopped() && Clock::now() < end)
        std::this_thread::sleep_for(std::min<Clock::duration>(kPauseStep, end - Clock::now()));
}

bool TCliObserver::StopRequested() {
    return connection.Stopped();
}

} // namespace CliObserver
