#pragma once
// One run's connection: the port and the two protocol objects on it, made as the window makes
// them when it opens the connection, and released in the reverse order.

#include <atomic>
#include <memory>

#include "cli/Options.h"

namespace LineTrace {
class TLineTap;
}
namespace LinePort {
class TLinePort;
}
namespace PtnLL {
class TPtnLL;
}
namespace uDispenser {
class TDispenserLL;
}

namespace Session {

class TSession {
public:
    // Opens the port; throws MyCOMM::ECommError when it cannot be opened. Once StopRequested is
    // set nothing more is written to the line. Tap, when given, is told every transfer.
    TSession(const Options::TOptions& Options, const std::atomic<bool>& StopRequested,
             LineTrace::TLineTap* Tap);
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    PtnLL::TPtnLL& Commands() { return *commands; }
    uDispenser::TDispenserLL& Engine() { return *engine; }
    bool Stopped() const { return stopRequested.load(); }

private:
    const std::atomic<bool>& stopRequested;
    std::unique_ptr<LinePort::TLinePort> port;
    std::unique_ptr<PtnLL::TPtnLL> commands;
    std::unique_ptr<uDispenser::TDispenserLL> engine;
};

} // namespace Session
