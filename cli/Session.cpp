#include "cli/Session.h"

#include "cli/LinePort.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"

namespace Session {
namespace {

// The link engine as the window makes it: the firmware loader's station address, one nozzle, a
// timer that never runs.
constexpr uint8_t kLinkAddress = 255;
constexpr int32_t kNozzles = 1;
constexpr int32_t kTimerMs = 1000;

} // namespace

TSession::TSession(const Options::TOptions& Options, const std::atomic<bool>& StopRequested,
                   LineTrace::TLineTap* Tap)
    : stopRequested(StopRequested),
      port(std::make_unique<LinePort::TLinePort>(Options.Port, Options.Speed, Options.Fast, &StopRequested)),
      commands(std::make_unique<PtnLL::TPtnLL>(Options.Address, *port)),
      engine(std::make_unique<uDispenser::TDispenserLL>(kLinkAddress, kNozzles, *port, kTimerMs)) {
    port->Tap = Tap;
}

TSession::~TSession() {
    engine.reset();
    commands.reset();
    port.reset();
}

} // namespace Session
