#include "cli/CliObserver.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "cli/CliTexts.h"
#include "cli/Progress.h"
#include "cli/Safety.h"
#include "service/Texts.h"

namespace CliObserver {
namespace {

constexpr auto kPauseStep = std::chrono::milliseconds(10); // how soon a pause notices Ctrl+C

} // namespace

TCliObserver::TCliObserver(Connection::TConnection& Line, ::Progress::TProgressLine* Progress,
                           Safety::TSafety* Safety)
    : connection(Line), progress(Progress), safety(Safety) {}

void TCliObserver::Stage(Observer::TStage Stage) {
    if (!progress)
        return;
    if (Stage == Observer::TStage::Transferring)
        progress->Start();
    else
        progress->Say(CliTexts::kProbing);
}

void TCliObserver::Step(Outcome::TUpdateOutcome::TStep Step) {
    using TStep = Outcome::TUpdateOutcome::TStep;
    if (!progress)
        return;
    switch (Step) {
    case TStep::ConfigurationRead:
        progress->Say(CliTexts::kReadingConfiguration);
        break;
    case TStep::EnterUpdateMode:
        progress->Say(CliTexts::kEnteringUpdateMode);
        break;
    case TStep::UpdateStart:
        progress->Say(CliTexts::kStartingUpdate);
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

void TCliObserver::Attempt(int Number, int Of) {
    if (progress)
        progress->Attempt(Number, Of);
}

bool TCliObserver::BeforeChange(const PtnLL::TCfgStruct&) {
    if (safety)
        safety->CopySaved();
    return true;
}

void TCliObserver::Pause(int Milliseconds) {
    if (progress)
        progress->Say(CliTexts::kModeSwitchPause);
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(Milliseconds);
    while (!connection.Stopped() && Clock::now() < end)
        std::this_thread::sleep_for(std::min<Clock::duration>(kPauseStep, end - Clock::now()));
}

bool TCliObserver::StopRequested() {
    return connection.Stopped();
}

} // namespace CliObserver
