#include "app/StationRunner.h"

#include <algorithm>
#include <chrono>
#include <span>

#include "serial/MyCOMM.h"
#include "trace/TraceLog.h"

namespace StationRunner {

// Hears the stop request and hands the scan's progress over to the window's thread.
class TStationRunner::TFront final : public Scan::TScanObserver {
public:
    TFront(TStationRunner& Runner, TProgress Progress) : runner(Runner), progress(std::move(Progress)) {}

    bool StopRequested() override { return runner.Stopped(); }
    void Probed(const Scan::TProgress& Progress) override {
        QMetaObject::invokeMethod(
            &runner.context,
            [show = progress, probed = Progress.Probed, total = Progress.Total,
             soFar = Progress.SoFar.Controllers] { show(probed, total, soFar); },
            Qt::QueuedConnection);
    }
    // A pause ends early on the stop request.
    void Pause(int Milliseconds) override {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + std::chrono::milliseconds(Milliseconds);
        while (!StopRequested() && Clock::now() < end)
            std::this_thread::sleep_for(
                std::min<Clock::duration>(std::chrono::milliseconds(10), end - Clock::now()));
    }

private:
    TStationRunner& runner;
    TProgress progress;
};

// The station's transfers, stamped as they happen on the worker thread and handed over to the
// traffic window's record, which belongs to the window's thread.
class TStationRunner::TForwardTap final : public LineTap::TLineTap {
public:
    TForwardTap(QObject& Context, LineTrace::TTraceLog& Log) : context(Context), log(Log) {}

    void Record(LineTap::TDirection Direction, std::span<const uint8_t> Bytes, LineTap::TEnd End) override {
        LineTrace::TChunk chunk{.TimeUs = LineTrace::NowUs(),
                                .Direction = Direction,
                                .Bytes = {Bytes.begin(), Bytes.end()},
                                .End = End};
        QMetaObject::invokeMethod(
            &context, [&log = log, chunk = std::move(chunk)]() mutable { log.Keep(std::move(chunk)); },
            Qt::QueuedConnection);
    }

private:
    QObject& context;
    LineTrace::TTraceLog& log;
};

TStationRunner::TStationRunner(QObject& Context, LineTrace::TTraceLog& Log, TProgress Progress)
    : context(Context), front(std::make_unique<TFront>(*this, std::move(Progress))),
      tap(std::make_unique<TForwardTap>(Context, Log)) {}

TStationRunner::~TStationRunner() {
    stopRequested = true;
    if (worker.joinable())
        worker.join();
}

void TStationRunner::Run(Connection::TSettings Settings, TTask Task, TEnded Ended) {
    // The station's reads end at the end of a whole, well-formed answer, as zur-cli's --fast does.
    Settings.Fast = true;
    Settings.StopRequested = &stopRequested;
    stopRequested = false;
    line = std::make_unique<StationLine::TStationLine>(Settings, tap.get());
    worker = std::thread([this, Task = std::move(Task), Ended = std::move(Ended)] {
        std::optional<std::string> failure;
        try {
            Task(*line, *front);
        } catch (const MyCOMM::ECommError& e) {
            failure = e.Reason();
        } catch (const std::exception& e) {
            failure = e.what();
        }
        QMetaObject::invokeMethod(
            &context,
            [this, Ended, failure] {
                worker.join();
                line.reset();
                Ended(failure);
            },
            Qt::QueuedConnection);
    });
}

} // namespace StationRunner
