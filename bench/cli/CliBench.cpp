// zur-cli's two long operations against the simulated controller paced at a line speed, in the
// window's read (standard) and with --fast: a whole configuration read and a 64 KiB firmware update.
// Counters, in seconds: the operation (for the update, the block transfer alone, and the
// preparation before it, whose 1000 ms pause and unanswered probe are fixed costs), and the wire
// time of what it moved (requests and answers at 11 bits a byte), with the share above it.
// The floor read off the simulator's clock is the wire time plus the controller's answer time:
// per exchange, from the request's arrival to the answer's last byte leaving (the paced simulator
// waits the request's own wire time before it answers), plus the 25 ms of silence that ends a
// standard read. Above it stands the tool's time per exchange, in microseconds, which also holds
// the pseudo-terminal's hand-over both ways (the request's is given apart).

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

#include "bench/SimTimeline.h"
#include "cli/CliObserver.h"
#include "firmware/FirmwareImage.h"
#include "link/LinkTransactions.h"
#include "protocol/PtnLL.h"
#include "service/Connection.h"
#include "service/FirmwareUpdate.h"
#include "service/Operations.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kBitsPerByte = 11;   // start, 8 data, parity, stop
constexpr double kSilenceUs = 25'000; // the read interval that ends a standard read
constexpr uint32_t kBodyBytes = 64 * 1024;
constexpr double kAckBytes = 3;
// GetParam answers: address, command, length, id, value, checksum, trailer; the texts have five
// value bytes.
constexpr double kByteAnswers = 10 * 9, kTextAnswers = 2 * 13;

double Seconds(Clock::duration Span) {
    return std::chrono::duration<double>(Span).count();
}

sim::Options Paced(uint32_t Pace) {
    sim::Options options;
    options.PaceBitsPerSecond = Pace;
    return options;
}

Connection::TSettings Settings(const sim::Simulator& Sim, uint32_t Pace, bool Fast,
                               const std::atomic<bool>& Stop) {
    return {.Port = Sim.PortPath(), .Speed = Pace, .Fast = Fast, .StopRequested = &Stop};
}

template <typename Select>
void Report(benchmark::State& State, double Seconds, double WireSeconds, const sim::Simulator& Sim,
            const SimTimeline::TWriteStamps& Writes, bool Fast, Select select) {
    const auto timings = Sim.Timings();
    const auto exchanges = SimTimeline::Measure(timings, Fast ? 0 : kSilenceUs, select);
    const double floor = exchanges.SimulatorSeconds + (Fast ? 0 : exchanges.Answered * kSilenceUs / 1e6);
    State.counters["op_s"] = Seconds;
    State.counters["wire_s"] = WireSeconds;
    State.counters["over_wire_pct"] = (Seconds / WireSeconds - 1) * 100;
    State.counters["floor_s"] = floor;
    State.counters["over_floor_pct"] = (Seconds / floor - 1) * 100;
    SimTimeline::ReportSpreads(State, exchanges, SimTimeline::HandOverUs(timings, Writes));
}

void BM_ConfigRead(benchmark::State& state) {
    const auto pace = static_cast<uint32_t>(state.range(0));
    const bool fast = state.range(1) != 0;
    sim::Simulator simulator(Paced(pace));
    const std::atomic<bool> stop{false};
    SimTimeline::TWriteStamps writes;
    Connection::TConnection session(Settings(simulator, pace, fast, stop), &writes);
    double seconds = 0, wire = 0;
    for (auto _ : state) {
        simulator.ClearReceived();
        const auto start = Clock::now();
        CliObserver::TCliObserver front(session);
        if (!Operations::ReadConfiguration(session.Commands(), front).Succeeded()) {
            state.SkipWithError("the read failed");
            return;
        }
        seconds = Seconds(Clock::now() - start);
        double requestBytes = 0;
        for (const auto& frame : simulator.ReceivedFrames())
            requestBytes += static_cast<double>(frame.size());
        wire = (requestBytes + kByteAnswers + kTextAnswers) * kBitsPerByte / pace;
    }
    Report(state, seconds, wire, simulator, writes, fast, [](size_t) { return true; });
}

// Notes when the transfer begins: the preparation is over then.
class TTimedObserver : public CliObserver::TCliObserver {
public:
    using TCliObserver::TCliObserver;
    void Stage(Observer::TStage Stage) override {
        if (Stage == Observer::TStage::Transferring)
            TransferStart = Clock::now();
        TCliObserver::Stage(Stage);
    }
    Clock::time_point TransferStart;
};

void BM_Update64KiB(benchmark::State& state) {
    const auto pace = static_cast<uint32_t>(state.range(0));
    const bool fast = state.range(1) != 0;
    const std::vector<uint8_t> file =
        SimImage::MakeImageFile(kBodyBytes, 0x1234, SimImage::PatternBody(kBodyBytes, 64));
    for (auto _ : state) {
        sim::Simulator simulator(Paced(pace));
        const std::atomic<bool> stop{false};
        SimTimeline::TWriteStamps writes;
        Connection::TConnection session(Settings(simulator, pace, fast, stop), &writes);
        FirmwareImage::TImageState image = FirmwareImage::CheckImage(file).Image;
        TTimedObserver window(session);
        const auto start = Clock::now();
        const bool updated =
            FirmwareUpdate::Update(image, session.Commands(), session.Engine(), window).Succeeded();
        const auto end = Clock::now();
        if (!updated || simulator.Image().Body.size() != kBodyBytes) {
            state.SkipWithError("the update did not complete");
            return;
        }
        const auto frames = simulator.ReceivedFrames();
        const auto isBlock = [&](size_t i) {
            return frames[i].size() > 2 && frames[i][2] == LinkTransactions::kUpdateBlock;
        };
        double blockBytes = 0, blocks = 0;
        for (size_t i = 0; i < frames.size(); ++i)
            if (isBlock(i)) {
                blockBytes += static_cast<double>(frames[i].size());
                ++blocks;
            }
        const double wire = (blockBytes + blocks * kAckBytes) * kBitsPerByte / pace;
        state.counters["prep_s"] = Seconds(window.TransferStart - start);
        Report(state, Seconds(end - window.TransferStart), wire, simulator, writes, fast, isBlock);
    }
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
