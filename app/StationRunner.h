#pragma once
// The station window's operations, one at a time on a thread of their own so that the window keeps
// painting and answering: each runs on a station line of its own (fast reads, the stop request),
// tells the scan's progress and hands every transfer to the traffic window's record on the window's
// thread, and ends on that thread once its line is closed.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "service/Connection.h"
#include "service/Scan.h"
#include "service/StationLine.h"

namespace LineTrace {
class TTraceLog;
}

namespace StationRunner {

class TStationRunner {
public:
    using TTask = std::function<void(StationLine::TStationLine& Line, Scan::TScanObserver& Front)>;
    using TProgress = std::function<void(int Probed, int Total, std::vector<Scan::TController> SoFar)>;
    // The reason a port could not be opened, or none.
    using TEnded = std::function<void(const std::optional<std::string>& Failure)>;

    // Context: the window whose thread hears Progress and the end; Log: the traffic window's record.
    TStationRunner(QObject& Context, LineTrace::TTraceLog& Log, TProgress Progress);
    // Asks the operation under way to stop and waits for it.
    ~TStationRunner();
    TStationRunner(const TStationRunner&) = delete;
    TStationRunner& operator=(const TStationRunner&) = delete;

    bool Busy() const { return worker.joinable(); }
    // Ends the operation after the exchange under way.
    void Stop() { stopRequested = true; }
    bool Stopped() const { return stopRequested.load(); }

    // Runs Task on a line opened with Settings; Ended runs on the context's thread once it is closed.
    void Run(Connection::TSettings Settings, TTask Task, TEnded Ended);

private:
    class TFront;
    class TForwardTap;

    QObject& context;
    std::atomic<bool> stopRequested{false};
    std::unique_ptr<TFront> front;
    std::unique_ptr<TForwardTap> tap;
    std::unique_ptr<StationLine::TStationLine> line;
    std::thread worker;
};

} // namespace StationRunner
