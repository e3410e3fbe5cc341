// What the line trace costs. One exchange is a parameter request written to the simulated
// controller and its answer read back; the read asks for exactly the answer's length, so it ends
// when the answer is in, not 25 ms later, and the time is the port's own work. The same exchange
// runs without a tap, with a tap that does nothing (the cost of telling it), and with the trace
// written to a file. TraceFileRecord is the file tap's own work for one exchange's two chunks.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "serial/MyCOMM.h"
#include "sim/Simulator.h"
#include "trace/TraceFile.h"

namespace {

// GetParam for parameter 1 to address 1, as the tool sends it.
constexpr std::array<uint8_t, 8> kRequest{0x01, 0x0F, 0x01, 0x01, 0xF1, 0xAF, 0x03, 0xFF};
constexpr int kReadSize = 256;

struct NoTap final : LineTap::TLineTap {
    void Record(LineTrace::TDirection, std::span<const uint8_t>, LineTrace::TEnd) override {}
};

std::string TracePath() {
    return "/tmp/zur-tap-bench-" + std::to_string(::getpid()) + ".trace";
}

void Exchanges(benchmark::State& state, LineTap::TLineTap* Tap) {
    sim::Simulator simulator;
    MyCOMM::TZMyComm port(simulator.PortPath(), 9600, 256, 256, 2, 1, 0, 8);
    port.SetTimeouts(25, 0, 500, 1, 200);
    std::array<uint8_t, kReadSize> answer{};
    port.WriteAll(kRequest.data(), kRequest.size());
    const int answerSize = port.Read(answer.data(), kReadSize);
    if (answerSize <= 0) {
        state.SkipWithError("the simulator did not answer");
        return;
    }
    port.Tap = Tap;
    for (auto _ : state) {
        port.WriteAll(kRequest.data(), kRequest.size());
        if (port.Read(answer.data(), answerSize) != answerSize) {
            state.SkipWithError("short answer");
            return;
        }
    }
    port.Tap = nullptr;
}

void ExchangeWithoutTap(benchmark::State& state) {
    Exchanges(state, nullptr);
}

void ExchangeWithIdleTap(benchmark::State& state) {
    NoTap tap;
    Exchanges(state, &tap);
}

void ExchangeTracedToFile(benchmark::State& state) {
    const std::string path = TracePath();
    {
        LineTrace::TTraceFile tap(path, "bench");
        Exchanges(state, &tap);
    }
    std::remove(path.c_str());
}

void TraceFileRecord(benchmark::State& state) {
    const std::string path = TracePath();
    {
        LineTrace::TTraceFile tap(path, "bench");
        const std::array<uint8_t, 9> reply{0x01, 0x0F, 0x02, 0x01, 0x01, 0x00, 0x00, 0x03, 0xFF};
        for (auto _ : state) {
            tap.Record(LineTrace::TDirection::Tx, kRequest, LineTrace::TEnd::None);
            tap.Record(LineTrace::TDirection::Rx, reply, LineTrace::TEnd::Silence);
        }
    }
    std::remove(path.c_str());
}

} // namespace

BENCHMARK(ExchangeWithoutTap)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5);
BENCHMARK(ExchangeWithIdleTap)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5);
BENCHMARK(ExchangeTracedToFile)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5);
BENCHMARK(TraceFileRecord)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5);
