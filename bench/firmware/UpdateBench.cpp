// A whole update of a 64 KiB image into the simulated controller, preparation included.
// Counters: the preparation (probe, configuration read, enter-update-mode, the 1000 ms pause, the
// update start) and the block transfer, each in seconds; the transfer's floor, read off the
// simulator's clock: per block what the simulator took (at a line speed, the block's and its ACK's
// wire time) plus the 25 ms of silence that ends every read; the tool's time per block in
// microseconds (median and 99th percentile), with each request's hand-over through the
// pseudo-terminal measured apart; the simulator's lateness against the ideal time of
// each ACK's last byte; and CPU time per block of the tool's thread and of the whole process.

#include <chrono>
#include <memory>

#include <benchmark/benchmark.h>

#include "bench/SimTimeline.h"
#include "firmware/FirmwareImage.h"
#include "link/LinkTransactions.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "service/FirmwarePage.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"
#include "tests/support/ScriptedWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kBodyBytes = 64 * 1024;
constexpr double kSilenceUs = 25'000; // the read interval set on the port

// Notes when the progress window opens: the preparation is over then.
class TTimedWindow : public ScriptedWindow::TScriptedWindow {
public:
    std::unique_ptr<FirmwarePage::TProgress> OpenProgress(bool ShowBar) override {
        if (ShowBar)
            TransferStart = Clock::now();
        return TScriptedWindow::OpenProgress(ShowBar);
    }
    Clock::time_point TransferStart;
};

double Seconds(Clock::duration Span) {
    return std::chrono::duration<double>(Span).count();
}

void BM_Update64KiB(benchmark::State& state) {
    const auto pace = static_cast<uint32_t>(state.range(0));
    const std::vector<uint8_t> file =
        SimImage::MakeImageFile(kBodyBytes, 0x1234, SimImage::PatternBody(kBodyBytes, 64));
    double preparation = 0, transfer = 0, floor = 0, threadCpu = 0, processCpu = 0;
    SimTimeline::Gaps blocks;
    std::vector<double> handOvers;
    for (auto _ : state) {
        state.PauseTiming();
        sim::Options options;
        options.PaceBitsPerSecond = pace;
        sim::Simulator simulator(options);
        MyCOMM::TZMyComm port(simulator.PortPath(), pace ? pace : 115200, 256, 256, 2, 1, 0, 8);
        port.SetTimeouts(25, 0, 500, 1, 200);
        SimTimeline::TWriteStamps writes;
        port.Tap = &writes;
        PtnLL::TPtnLL commands(1, port);
        uDispenser::TDispenserLL engine(255, 1, port, 1000);
        TTimedWindow window;
        window.SleepInPause = true;
        FirmwareImage::TImageState image = FirmwareImage::CheckImage(file).Image;
        state.ResumeTiming();

        const double threadCpuStart = SimTimeline::ThreadCpuUs();
        const double processCpuStart = SimTimeline::ProcessCpuUs();
        const auto start = Clock::now();
        FirmwarePage::StartUpdate(image, commands, engine, window);
        const auto end = Clock::now();
        threadCpu = SimTimeline::ThreadCpuUs() - threadCpuStart;
        processCpu = SimTimeline::ProcessCpuUs() - processCpuStart;

        state.PauseTiming();
        if (window.Messages.size() != 1 || window.Messages[0].Text != "Микрокод успешно обновлен." ||
            simulator.Image().Body.size() != kBodyBytes) {
            state.SkipWithError("the update did not complete");
            break;
        }
        preparation = Seconds(window.TransferStart - start);
        transfer = Seconds(end - window.TransferStart);
        const auto frames = simulator.ReceivedFrames();
        const auto timings = simulator.Timings();
        blocks = SimTimeline::Measure(timings, kSilenceUs, [&](size_t i) {
            return timings[i].Received >= window.TransferStart && frames[i].size() > 2 &&
                   frames[i][2] == LinkTransactions::kUpdateBlock;
        });
        floor = blocks.SimulatorSeconds + blocks.Answered * kSilenceUs / 1e6;
        handOvers = SimTimeline::HandOverUs(timings, writes);
        state.ResumeTiming();
    }
    const double count = blocks.Answered > 0 ? blocks.Answered : 1;
    state.counters["prep_s"] = preparation;
    state.counters["transfer_s"] = transfer;
    state.counters["floor_s"] = floor;
    state.counters["over_floor_pct"] = floor > 0 ? (transfer / floor - 1) * 100 : 0;
    SimTimeline::ReportSpreads(state, blocks, handOvers);
    state.counters["tool_cpu_us"] = threadCpu / count;
    state.counters["process_cpu_us"] = processCpu / count;
}

// 0: the simulator answers at once; otherwise it sends at that line speed.
BENCHMARK(BM_Update64KiB)
    ->Arg(0)
    ->Arg(9600)
    ->Arg(115200)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
