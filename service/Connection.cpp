#include "service/Connection.h"

#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "service/LinePort.h"

namespace Connection {

std::unique_ptr<MyCOMM::TZMyComm> OpenPort(const TSettings& Settings) {
    return std::make_unique<LinePort::TLinePort>(Settings.Port, Settings.Speed, Settings.Fast,
                                                 Settings.StopRequested);
}

std::unique_ptr<PtnLL::TPtnLL> MakeCommands(const TSettings& Settings, MyCOMM::TZMyComm& Port) {
    return std::make_unique<PtnLL::TPtnLL>(Settings.Address, Port);
}

std::unique_ptr<uDispenser::TDispenserLL> MakeEngine(MyCOMM::TZMyComm& Port) {
    return std::make_unique<uDispenser::TDispenserLL>(uDispenser::kLoaderAddress, uDispenser::kLoaderNozzles,
                                                      Port, uDispenser::kLoaderTimerMs);
}

TConnection::TConnection(const TSettings& Settings, LineTap::TLineTap* Tap)
    : stopRequested(Settings.StopRequested), port(OpenPort(Settings)),
      commands(MakeCommands(Settings, *port)), engine(MakeEngine(*port)) {
    port->Tap = Tap;
}

TConnection::~TConnection() {
    engine.reset();
    commands.reset();
    port.reset();
}

} // namespace Connection
