// The main window's figures: start-up to the window shown, and a whole configuration read and
// write through the window against the simulated controller, beside their floor read off the
// simulator's clock (its own time per exchange, plus the 25 ms of silence that ends every read),
// and the window's own time per exchange in microseconds above it.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/ReportBox.h"
#include "app/ServiceApp.h"
#include "app/SpinEdit.h"
#include "app/fMain.h"
#include "bench/SimTimeline.h"
#include "sim/Simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point ProcessStart;
double StartToShownMs = 0;

constexpr double kSilenceUs = 25'000; // the read interval that ends every answer

void ShowAndWait(QWidget& Form) {
    Form.show();
    while (!Form.windowHandle() || !Form.windowHandle()->isExposed()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
}

void BM_StartToWindowShown(benchmark::State& State) {
    for (auto _ : State) {
        const auto start = Clock::now();
        fMain::TForm1 form;
        ShowAndWait(form);
        State.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    State.counters["process_start_to_first_shown_ms"] = StartToShownMs;
}
BENCHMARK(BM_StartToWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// The window open on the simulator, every box answered at once.
class TOpenWindow {
public:
    TOpenWindow() {
        ReportBox::SetAnswerer([this](const std::string& Text, const std::string&, int) {
            LastBox = Text;
            return ReportBox::IdOk;
        });
        Form.show();
        Form.findChild<QComboBox*>("vCOMSelect")->setEditText(QString::fromStdString(Sim.PortPath()));
        Click("bOpenClose");
    }
    ~TOpenWindow() { ReportBox::SetAnswerer({}); }
    void Click(const char* Name) { Form.findChild<QAbstractButton*>(Name)->click(); }

    // Clicks Button and tells whether the box that ended it says Expected; adds the exchanges'
    // figures to the window's.
    bool Operate(const char* Button, const std::string& Expected) {
        Sim.ClearReceived();
        const auto start = Clock::now();
        Click(Button);
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        const auto gaps = SimTimeline::Measure(Sim.Timings(), kSilenceUs, [](size_t) { return true; });
        floorSeconds += gaps.SimulatorSeconds + gaps.Answered * kSilenceUs / 1e6;
        toolUs.insert(toolUs.end(), gaps.ToolUs.begin(), gaps.ToolUs.end());
        ++operations;
        return LastBox == Expected;
    }
    void Report(benchmark::State& State) const {
        const auto tool = SimTimeline::Summarise(toolUs);
        State.counters["floor_ms"] = operations ? floorSeconds * 1e3 / operations : 0;
        State.counters["over_floor_pct"] = floorSeconds > 0 ? (seconds / floorSeconds - 1) * 100 : 0;
        State.counters["tool_us_median"] = tool.MedianUs;
        State.counters["tool_us_p99"] = tool.P99Us;
    }

    sim::Simulator Sim;
    fMain::TForm1 Form;
    std::string LastBox;

private:
    double seconds = 0, floorSeconds = 0;
    int operations = 0;
    std::vector<double> toolUs;
};

void BM_ReadConfiguration(benchmark::State& State) {
    TOpenWindow window;
    for (auto _ : State) {
        if (!window.Operate("bGetConfig", "Конфигурация успешно получена")) {
            State.SkipWithError("the read failed");
            break;
        }
    }
    window.Report(State);
}
BENCHMARK(BM_ReadConfiguration)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_WriteConfiguration(benchmark::State& State) {
    TOpenWindow window;
    window.Click("bGetConfig");
    for (auto _ : State) {
        if (!window.Operate("vSetConfig", "Конфигурация успешно сохранена!")) {
            State.SkipWithError("the write failed");
            break;
        }
    }
    window.Report(State);
}
BENCHMARK(BM_WriteConfiguration)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char* argv[]) {
    ProcessStart = Clock::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ServiceApp::Configure(app);
    {
        fMain::TForm1 first;
        ShowAndWait(first);
        StartToShownMs = std::chrono::duration<double, std::milli>(Clock::now() - ProcessStart).count();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
