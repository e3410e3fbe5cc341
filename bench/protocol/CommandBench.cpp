// Command exchanges against the simulated controller answering at once on a pseudo-terminal.
// Every exchange's floor is the simulator's own time plus the 25 ms of silence that ends the read;
// the rest, up to the next request's arrival, is the tool's. Counters, in microseconds per exchange:
// the tool's time (median and 99th percentile), the request's hand-over through the
// pseudo-terminal, the simulator's lateness against when each answer was due, and the CPU time of the tool's
// thread and of the whole process.

#include <benchmark/benchmark.h>

#include "bench/SimTimeline.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "sim/Simulator.h"

namespace {

constexpr double kSilenceUs = 25'000; // the read interval the main window sets
constexpr int kConfigExchanges = 12;  // ids 1 to 10, 100 and 101

template <typename Command>
void RunExchanges(benchmark::State& state, int ExchangesPerCommand, Command command) {
    sim::Simulator simulator;
    MyCOMM::TZMyComm port(simulator.PortPath(), 9600, 256, 256, 2, 1, 0, 8);
    port.SetTimeouts(25, 0, 500, 1, 200);
    SimTimeline::TWriteStamps writes;
    port.Tap = &writes;
    PtnLL::TPtnLL commands(1, port);

    const double threadCpuStart = SimTimeline::ThreadCpuUs();
    const double processCpuStart = SimTimeline::ProcessCpuUs();
    for (auto _ : state) {
        command(commands);
        if (!commands.Ok) {
            state.SkipWithError("the command failed");
            return;
        }
    }
    const double exchanges = static_cast<double>(state.iterations()) * ExchangesPerCommand;
    state.counters["tool_cpu_us"] = (SimTimeline::ThreadCpuUs() - threadCpuStart) / exchanges;
    state.counters["process_cpu_us"] = (SimTimeline::ProcessCpuUs() - processCpuStart) / exchanges;

    const auto timings = simulator.Timings();
    const auto gaps = SimTimeline::Measure(timings, kSilenceUs, [](size_t) { return true; });
    SimTimeline::ReportSpreads(state, gaps, SimTimeline::HandOverUs(timings, writes));
}

void GetParamExchange(benchmark::State& state) {
    RunExchanges(state, 1, [](PtnLL::TPtnLL& c) { c.GetParam(1); });
}

void WholeGetConfig(benchmark::State& state) {
    RunExchanges(state, kConfigExchanges, [](PtnLL::TPtnLL& c) { c.GetConfig(); });
}

} // namespace

// One long run each, so that the 99th percentile rests on some hundreds of exchanges.
BENCHMARK(GetParamExchange)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(400);
BENCHMARK(WholeGetConfig)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(34);
