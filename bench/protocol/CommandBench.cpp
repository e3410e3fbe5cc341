// Command exchanges against the simulated controller answering at once on a pseudo-terminal.
// The read rules set a floor: the answer's own time plus the 25 ms of silence that ends every
// read. Counters: wall time over that floor per exchange, and the process's CPU time (the
// simulator's thread included) per exchange, which shows whether waiting costs CPU.

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "sim/Simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kSilenceMs = 25.0;  // the read interval the main window sets
constexpr int kConfigExchanges = 12; // ids 1 to 10, 100 and 101

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <typename Command>
void RunExchanges(benchmark::State& state, int ExchangesPerCommand, Command command) {
    sim::Simulator simulator;
    MyCOMM::TZMyComm port(simulator.PortPath(), 9600, 256, 256, 2, 1, 0, 8);
    port.SetTimeouts(25, 0, 500, 1, 200);
    PtnLL::TPtnLL commands(1, port);

    const double cpuStart = ProcessCpuMs();
    const auto wallStart = Clock::now();
    for (auto _ : state) {
        command(commands);
        if (!commands.Ok) {
            state.SkipWithError("the command failed");
            return;
        }
    }
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - wallStart).count();
    const double exchanges = static_cast<double>(state.iterations()) * ExchangesPerCommand;
    state.counters["floor_ms"] = kSilenceMs * ExchangesPerCommand;
    state.counters["over_floor_ms_per_exchange"] = wallMs / exchanges - kSilenceMs;
    state.counters["cpu_ms_per_exchange"] = (ProcessCpuMs() - cpuStart) / exchanges;
}

void GetParamExchange(benchmark::State& state) {
    RunExchanges(state, 1, [](PtnLL::TPtnLL& c) { c.GetParam(1); });
}

void WholeGetConfig(benchmark::State& state) {
    RunExchanges(state, kConfigExchanges, [](PtnLL::TPtnLL& c) { c.GetConfig(); });
}

} // namespace

BENCHMARK(GetParamExchange)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(40)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(WholeGetConfig)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
