#pragma once
// Opening the line as the window opens it: the port with the window's line settings, and the two
// protocol objects on it. The window keeps the three as its own members; zur-cli holds them in a
// TConnection, which releases them in the reverse order.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace LineTap {
class TLineTap;
}
namespace MyCOMM {
class TZMyComm;
}
namespace PtnLL {
class TPtnLL;
}
namespace uDispenser {
class TDispenserLL;
}

namespace Connection {

// The nine line speeds of the window's speed box.
inline constexpr uint32_t kWindowSpeeds[] = {2400, 4800, 7200, 9600, 14400, 19200, 38400, 57600, 115200};

struct TSettings {
    std::string Port;
    uint32_t Speed = 9600;
    int32_t Address = 1;
    // Reads end as soon as a complete, well-formed answer is in, instead of when the line falls silent.
    bool Fast = false;
    // Once set, nothing more is written to the line.
    const std::atomic<bool>* StopRequested = nullptr;
};

// Throws MyCOMM::ECommError when the port cannot be opened.
std::unique_ptr<MyCOMM::TZMyComm> OpenPort(const TSettings& Settings);
std::unique_ptr<PtnLL::TPtnLL> MakeCommands(const TSettings& Settings, MyCOMM::TZMyComm& Port);
// The link engine as the firmware update drives it: the loader's address, nozzles and timer.
std::unique_ptr<uDispenser::TDispenserLL> MakeEngine(MyCOMM::TZMyComm& Port);

class TConnection {
public:
    // Opens the port (throws like OpenPort); Tap, when given, is told every transfer.
    TConnection(const TSettings& Settings, LineTap::TLineTap* Tap);
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    PtnLL::TPtnLL& Commands() { return *commands; }
    const PtnLL::TPtnLL& Commands() const { return *commands; }
    MyCOMM::TZMyComm& Port() { return *port; }
    uDispenser::TDispenserLL& Engine() { return *engine; }
    bool Stopped() const { return stopRequested && stopRequested->load(); }

private:
    const std::atomic<bool>* stopRequested;
    std::unique_ptr<MyCOMM::TZMyComm> port;
    std::unique_ptr<PtnLL::TPtnLL> commands;
    std::unique_ptr<uDispenser::TDispenserLL> engine;
};

} // namespace Connection
