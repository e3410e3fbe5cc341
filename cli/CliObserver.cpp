#include "cli/CliObserver.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "cli/Progress.h"

namespace CliObserver {
namespace {

constexpr auto kPauseStep = std::chrono::milliseconds(10); // how soon a pause notices Ctrl+C

} // namespace

TCliObserver::TCliObserver(Connection::TConnection& Line, ::Progress::TProgressLine* Progress)
    : connection(Line), progress(Progress) {}

void TCliObserver::Stage(Observer::TStage Stage) {
    if (progress && Stage == Observer::TStage::Transferring)
        progress->Start();
}

void TCliObserver::Progress(const Observer::TBlockProgress& Block) {
    if (progress)
        progress->Block(Block.Acknowledged, Block.Blocks);
}

void TCliObserver::Pause(int Milliseconds) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(Milliseconds);
    while (!connection.Stopped() && Clock::now() < end)
        std::this_thread::sleep_for(std::min<Clock::duration>(kPauseStep, end - Clock::now()));
}

bool TCliObserver::StopRequested() {
    return connection.Stopped();
}

} // namespace CliObserver
