// The main window's figures: start-up to the window shown, and a whole configuration read and
// write through the window against the simulated controller, beside the floor the line's read
// rule sets (every answer ends 25 ms after its last byte).
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

#include "app/ServiceApp.h"
#include "app/SpinEdit.h"
#include "app/fMain.h"
#include "sim/Simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point ProcessStart;
double StartToShownMs = 0;

constexpr double kSilenceMs = 25; // the read interval that ends every answer
constexpr int kReadExchanges = 12;
constexpr int kWriteExchanges = 10;

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
        fMain::SetMessageBoxAnswerer([this](const std::string& Text, const std::string&, int) {
            LastBox = Text;
            return fMain::IdOk;
        });
        Form.show();
        Form.findChild<QComboBox*>("vCOMSelect")->setEditText(QString::fromStdString(Sim.PortPath()));
        Click("bOpenClose");
    }
    ~TOpenWindow() { fMain::SetMessageBoxAnswerer({}); }
    void Click(const char* Name) { Form.findChild<QAbstractButton*>(Name)->click(); }

    sim::Simulator Sim;
    fMain::TForm1 Form;
    std::string LastBox;
};

void BM_ReadConfiguration(benchmark::State& State) {
    TOpenWindow window;
    for (auto _ : State) {
        window.Click("bGetConfig");
        if (window.LastBox != "Конфигурация успешно получена") {
            State.SkipWithError("the read failed");
            break;
        }
    }
    State.counters["floor_ms"] = kReadExchanges * kSilenceMs;
}
BENCHMARK(BM_ReadConfiguration)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_WriteConfiguration(benchmark::State& State) {
    TOpenWindow window;
    window.Click("bGetConfig");
    for (auto _ : State) {
        window.Click("vSetConfig");
        if (window.LastBox != "Конфигурация успешно сохранена!") {
            State.SkipWithError("the write failed");
            break;
        }
    }
    State.counters["floor_ms"] = kWriteExchanges * kSilenceMs;
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
