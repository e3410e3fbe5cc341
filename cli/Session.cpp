#include "cli/Session.h"

#include "cli/LinePort.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"

namespace Session {

TSession::TSession(const Options::TOptions& Options, const std::atomic<bool>& StopRequested,
                   LineTrace::TLineTap* Tap)
    : stopRequested(StopRequested),
      port(std::make_unique<LinePort::TLinePort>(Options.Port, Options.Speed, Options.Fast, &StopRequested)),
      commands(std::make_unique<PtnLL::TPtnLL>(Options.Address, *port)),
      engine(std::make_unique<uDispenser::TDispenserLL>(
          uDispenser::kLoaderAddress, uDispenser::kLoaderNozzles, *port, uDispenser::kLoaderTimerMs)) {
    port->Tap = Tap;
}

TSession::~TSession() {
    engine.reset();
    commands.reset();
    port.reset();
}

} // namespace Session
