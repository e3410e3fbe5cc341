// zur-cli's two long operations against the simulated controller paced at a line speed, in the
// window's read (standard) and with --fast: a whole configuration read and a 64 KiB firmware update.
// Counters, in seconds: the operation (for the update, the block transfer alone, and the
// preparation before it, whose 1000 ms pause and unanswered probe are fixed costs), and the wire
// time of what it moved (requests and answers at 11 bits a byte), with the share above it.
// The paced simulator answers as soon as a request has arrived, so the wire time is the floor.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

#include "cli/CliWindow.h"
#include "cli/Options.h"
#include "cli/Session.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareUpdate.h"
#include "protocol/ConfigRead.h"
#include "protocol/PtnLL.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kBitsPerByte = 11; // start, 8 data, parity, stop
constexpr uint32_t kBodyBytes = 64 * 1024;
constexpr uint8_t kUpdateBlock = 0xC7;
constexpr double kAckBytes = 3;
// GetParam answers: address, command, length, id, value, checksum, trailer; the texts have five
// value bytes.
constexpr double kByteAnswers = 10 * 9, kTextAnswers = 2 * 13;

double Seconds(Clock::duration Span) {
    return std::chrono::duration<double>(Span).count();
}

Options::TOptions LineOptions(const sim::Simulator& Sim, uint32_t Pace, bool Fast) {
    Options::TOptions options;
    options.Port = Sim.PortPath();
    options.Speed = Pace;
    options.Fast = Fast;
    return options;
}

void Report(benchmark::State& State, double Seconds, double WireSeconds) {
    State.counters["op_s"] = Seconds;
    State.counters["wire_s"] = WireSeconds;
    State.counters["over_wire_pct"] = (Seconds / WireSeconds - 1) * 100;
}

void BM_ConfigRead(benchmark::State& state) {
    const auto pace = static_cast<uint32_t>(state.range(0));
    const bool fast = state.range(1) != 0;
    sim::Options simOptions;
    simOptions.PaceBitsPerSecond = pace;
    sim::Simulator simulator(simOptions);
    const std::atomic<bool> stop{false};
    Session::TSession session(LineOptions(simulator, pace, fast), stop, nullptr);
    double seconds = 0, wire = 0;
    for (auto _ : state) {
        simulator.ClearReceived();
        const auto start = Clock::now();
        if (!ConfigRead::WithRepeats(session.Commands())) {
            state.SkipWithError("the read failed");
            return;
        }
        seconds = Seconds(Clock::now() - start);
        double requestBytes = 0;
        for (const auto& frame : simulator.ReceivedFrames())
            requestBytes += static_cast<double>(frame.size());
        wire = (requestBytes + kByteAnswers + kTextAnswers) * kBitsPerByte / pace;
    }
    Report(state, seconds, wire);
}

// Notes when the progress window opens: the preparation is over then.
class TTimedWindow : public CliWindow::TCliWindow {
public:
    using TCliWindow::TCliWindow;
    std::unique_ptr<FirmwareUpdate::TProgress> OpenProgress(bool ShowBar) override {
        if (ShowBar)
            TransferStart = Clock::now();
        return TCliWindow::OpenProgress(ShowBar);
    }
    Clock::time_point TransferStart;
};

void BM_Update64KiB(benchmark::State& state) {
    const auto pace = static_cast<uint32_t>(state.range(0));
    const bool fast = state.range(1) != 0;
    const std::vector<uint8_t> file =
        SimImage::MakeImageFile(kBodyBytes, 0x1234, SimImage::PatternBody(kBodyBytes, 64));
    double preparation = 0, transfer = 0, wire = 0;
    for (auto _ : state) {
        sim::Options simOptions;
        simOptions.PaceBitsPerSecond = pace;
        sim::Simulator simulator(simOptions);
        const std::atomic<bool> stop{false};
        Session::TSession session(LineOptions(simulator, pace, fast), stop, nullptr);
        FirmwareUpdate::TImageState image = FirmwareImage::CheckImage(file).Image;
        TTimedWindow window(&session, kBodyBytes);
        const auto start = Clock::now();
        FirmwareUpdate::StartUpdate(image, session.Commands(), session.Engine(), window);
        const auto end = Clock::now();
        if (!window.Showed("Микрокод успешно обновлен.") || simulator.Image().Body.size() != kBodyBytes) {
            state.SkipWithError("the update did not complete");
            return;
        }
        preparation = Seconds(window.TransferStart - start);
        transfer = Seconds(end - window.TransferStart);
        double blockBytes = 0, blocks = 0;
        for (const auto& frame : simulator.ReceivedFrames())
            if (frame.size() > 2 && frame[2] == kUpdateBlock) {
                blockBytes += static_cast<double>(frame.size());
                ++blocks;
            }
        wire = (blockBytes + blocks * kAckBytes) * kBitsPerByte / pace;
    }
    state.counters["prep_s"] = preparation;
    Report(state, transfer, wire);
}

BENCHMARK(BM_ConfigRead)
    ->ArgNames({"bps", "fast"})
    ->ArgsProduct({{9600, 115200}, {0, 1}})
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Update64KiB)
    ->ArgNames({"bps", "fast"})
    ->ArgsProduct({{9600, 115200}, {0, 1}})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
