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
    const auto same =
        std::find_if(Found.Controllers.begin(), Found.Controllers.end(),
                     [&](const TController& c) { return c.Config.SerialNo == Config.SerialNo; });
    if (same == Found.Controllers.end())
        Found.Controllers.push_back({Speed, {Address}, Config});
    else if (same->Speed == Speed)
        same->Addresses.push_back(Address);
}

} // namespace

TFound Run(const TOpenLine& Open, const TRequest& Request, Observer::TObserver& Front) {
    const auto start = std::chrono::steady_clock::now();
    TFound found;
    for (const uint32_t speed : Request.Speeds) {
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
            if (!commands.Ok)
                continue;
            SetAnswerLimit(line.Port(), LineSettings::kReadTotal);
            const Outcome::TReadOutcome read = Operations::ReadConfiguration(commands, Front);
            if (read.Succeeded())
                Add(found, speed, address, read.Record);
            else if (read.Result != Outcome::TResult::Interrupted)
                found.Unread.push_back({speed, address, read});
        }
        SetAnswerLimit(line.Port(), LineSettings::kReadTotal);
        commands.Address = kept;
    }
    found.Interrupted = Front.StopRequested();
    std::stable_sort(
        found.Controllers.begin(), found.Controllers.end(), [](const TController& a, const TController& b) {
            return a.Speed != b.Speed ? a.Speed < b.Speed : a.Addresses.front() < b.Addresses.front();
        });
    for (TController& controller : found.Controllers)
        std::sort(controller.Addresses.begin(), controller.Addresses.end());
    found.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return found;
}

} // namespace Scan
