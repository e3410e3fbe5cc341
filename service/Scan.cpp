#include "service/Scan.h"

#include <algorithm>
#include <chrono>

#include "serial/MyCOMM.h"
#include "service/Operations.h"

namespace Scan {
namespace {

void SetAnswerLimit(MyCOMM::TZMyComm& Port, uint32_t Milliseconds) {
    Port.SetTimeouts(LineSettings::kReadInterval, 0, Milliseconds, LineSettings::kWritePerByte,
                     LineSettings::kWriteTotal);
}

void Add(TFound& Found, uint32_t Speed, int Address, const PtnLL::TCfgStruct& Config) {
    auto& controllers = Found.Controllers;
    const auto same = std::find_if(controllers.begin(), controllers.end(), [&](const TController& c) {
        return c.Config.SerialNo == Config.SerialNo;
    });
    if (same == controllers.end()) {
        controllers.push_back({Speed, {Address}, Config});
    } else if (same->Speed == Speed) {
        same->Addresses.insert(std::upper_bound(same->Addresses.begin(), same->Addresses.end(), Address),
                               Address);
    }
    std::stable_sort(controllers.begin(), controllers.end(), [](const TController& a, const TController& b) {
        return a.Speed != b.Speed ? a.Speed < b.Speed : a.Addresses.front() < b.Addresses.front();
    });
}

} // namespace

void TScanObserver::Probed(const TProgress&) {}

TScanObserver& Quiet() {
    class TQuiet final : public TScanObserver {};
    static TQuiet quiet;
    return quiet;
}

TFound Run(const TOpenLine& Open, const TRequest& Request, TScanObserver& Front) {
    const auto start = std::chrono::steady_clock::now();
    TFound found;
    // Slowest first, so that a controller heard at several speeds counts at the slowest.
    std::vector<uint32_t> speeds = Request.Speeds;
    std::sort(speeds.begin(), speeds.end());
    speeds.erase(std::unique(speeds.begin(), speeds.end()), speeds.end());
    const int total = static_cast<int>(speeds.size() * Request.Addresses.size());
    for (const uint32_t speed : speeds) {
        if (Front.StopRequested())
            break;
        Connection::TConnection& line = Open(speed);
        PtnLL::TPtnLL& commands = line.Commands();
        const int32_t kept = commands.Address;
        for (const int address : Request.Addresses) {
            if (Front.StopRequested())
                break;
            commands.Address = address;
            SetAnswerLimit(line.Port(), Request.AnswerTimeoutMs);
            commands.GetState();
            ++found.Probed;
            if (commands.Ok) {
                SetAnswerLimit(line.Port(), LineSettings::kReadTotal);
                const Outcome::TReadOutcome read = Operations::ReadConfiguration(commands, Front);
                if (read.Succeeded())
                    Add(found, speed, address, read.Record);
                else if (read.Result != Outcome::TResult::Interrupted)
                    found.Unread.push_back({speed, address, read});
            }
            Front.Probed(
                {.Probed = found.Probed, .Total = total, .Speed = speed, .Address = address, .SoFar = found});
        }
        SetAnswerLimit(line.Port(), LineSettings::kReadTotal);
        commands.Address = kept;
    }
    found.Interrupted = Front.StopRequested();
    found.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return found;
}

} // namespace Scan
