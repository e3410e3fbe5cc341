#pragma once
// Finding the controllers on a line: each address at each speed is asked its state (a request that
// changes nothing), and every address that answers has its configuration read. Addresses that
// report one serial number are one controller.

#include <cstdint>
#include <functional>
#include <vector>

#include "protocol/PtnLL.h"
#include "serial/LineSettings.h"
#include "service/Connection.h"
#include "service/Observer.h"
#include "service/Outcome.h"

namespace Scan {

// The line open at Speed, the one open before closed first; throws MyCOMM::ECommError as opening
// the port does.
using TOpenLine = std::function<Connection::TConnection&(uint32_t Speed)>;

struct TRequest {
    std::vector<uint32_t> Speeds;
    std::vector<int> Addresses;
    // How long a silent address is waited for; the configuration is read with the window's limit.
    uint32_t AnswerTimeoutMs = LineSettings::kReadTotal;
};

struct TController {
    uint32_t Speed = 0;
    std::vector<int> Addresses; // ascending
    PtnLL::TCfgStruct Config;   // as read at the first address
};

// An address that answered its state but whose configuration could not be read.
struct TUnread {
    uint32_t Speed = 0;
    int Address = 0;
    Outcome::TReadOutcome Read;
};

struct TFound {
    // By speed, then first address; a controller heard at several speeds is listed at the first.
    // Kept in this order while the scan goes.
    std::vector<TController> Controllers;
    std::vector<TUnread> Unread;
    int Probed = 0;           // addresses asked, over all speeds
    bool Interrupted = false; // the stop request ended it after the address under way
    double Seconds = 0;
};

// After each address asked: how many addresses of all were asked, and what was found so far.
struct TProgress {
    int Probed = 0, Total = 0;
    uint32_t Speed = 0;
    int Address = 0;
    const TFound& SoFar;
};

// A front end that shows the scan as it goes; the stop request ends it after the exchange under way.
class TScanObserver : public Observer::TObserver {
public:
    virtual void Probed(const TProgress& Progress);

protected:
    ~TScanObserver() = default;
};

// A scan observer that shows nothing and never stops.
TScanObserver& Quiet();

// The line is left open at the last speed, its commands' address as it was.
TFound Run(const TOpenLine& Open, const TRequest& Request, TScanObserver& Front);

} // namespace Scan
