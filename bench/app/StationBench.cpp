// The station window's scan of 1-254 against three simulated controllers paced at 9600 bit/s: how
// long the window's event loop stalls at most while the scan runs with the longest answer limit
// (500 ms), and how long a scan with a 50 ms limit takes beside `zur-cli scan --fast
// --answer-timeout 50` on the same line in the same run.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <string>

#include "app/ReportBox.h"
#include "app/ServiceApp.h"
#include "app/StationWindow.h"
#include "app/fMain.h"
#include "sim/Simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kPace = 9600;

sim::Controller At(uint8_t Addr1, const char* Serial) {
    sim::Controller controller;
    controller.Config.Addr1 = Addr1;
    controller.Config.Addr2 = static_cast<uint8_t>(Addr1 + 1);
    controller.Config.SerialNo = Serial;
    return controller;
}

sim::Options Station() {
    sim::Options options;
    options.PaceBitsPerSecond = kPace;
    options.Controllers = {At(3, "1111111111"), At(100, "2222222222"), At(200, "3333333333")};
    return options;
}

// The station window on the main window's line to the simulator, every box answered at once.
class TStation {
public:
    explicit TStation(const sim::Simulator& Sim) {
        ReportBox::SetAnswerer([](const std::string&, const std::string&, int) { return ReportBox::IdOk; });
        main.show();
        main.findChild<QComboBox*>("vCOMSelect")->setEditText(QString::fromStdString(Sim.PortPath()));
        main.findChild<QAbstractButton*>("bOpenClose")->click();
        main.ShowStation();
        station = main.Station();
        station->findChild<QLineEdit*>("vAddresses")->setText(QStringLiteral("1-254"));
    }
    ~TStation() { ReportBox::SetAnswerer({}); }

    // Scans with LimitMs; the scan's seconds and the longest pause between two turns of the event loop.
    std::pair<double, double> Scan(int LimitMs) {
        station->findChild<QSpinBox*>("seAnswerTimeout")->setValue(LimitMs);
        double longestMs = 0;
        Clock::time_point last = Clock::now();
        QTimer turns;
        QObject::connect(&turns, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        });
        turns.start(0);
        const Clock::time_point start = Clock::now();
        station->findChild<QAbstractButton*>("bFind")->click();
        while (station->Busy())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return {std::chrono::duration<double>(Clock::now() - start).count(), longestMs};
    }
    std::size_t Found() const { return station->Controllers().size(); }

private:
    fMain::TForm1 main;
    StationWindow::TStationWindow* station = nullptr;
};

void BM_StationScanStall(benchmark::State& State) {
    sim::Simulator sim(Station());
    TStation station(sim);
    for (auto _ : State) {
        const auto [seconds, stallMs] = station.Scan(500);
        State.counters["scan_s"] = seconds;
        State.counters["longest_stall_ms"] = stallMs;
    }
    if (station.Found() != 3)
        State.SkipWithError("the scan did not find the three controllers");
}
BENCHMARK(BM_StationScanStall)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_StationScanBesideCli(benchmark::State& State) {
    sim::Simulator sim(Station());
    double window = 0, cli = 0;
    for (auto _ : State) {
        {
            TStation station(sim);
            window = station.Scan(50).first;
            if (station.Found() != 3)
                State.SkipWithError("the scan did not find the three controllers");
        }
        const std::string command = std::string(ZUR_CLI) + " --port " + sim.PortPath() +
                                    " --fast scan --answer-timeout 50 >/dev/null";
        const Clock::time_point start = Clock::now();
        if (std::system(command.c_str()) != 0)
            State.SkipWithError("zur-cli scan failed");
        cli = std::chrono::duration<double>(Clock::now() - start).count();
    }
    State.counters["window_s"] = window;
    State.counters["zur_cli_s"] = cli;
    State.counters["window_over_cli"] = window / cli;
}
BENCHMARK(BM_StationScanBesideCli)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The station's safety copies and journal stay out of the user's data folder.
    qputenv("XDG_DATA_HOME", QByteArray("/tmp/zur-bench-data"));
    QApplication app(argc, argv);
    ServiceApp::Configure(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
