// The station scan against three simulated controllers paced at 9600 bit/s: 1-254 at one speed
// with the window's 500 ms limit, and with --fast and a 50 ms limit; then the window's nine speeds
// with --fast and 50 ms. A silent address costs the whole limit, so the yardstick is, per address
// asked, the request's wire time plus the limit (wire_plus_limit_s, in seconds, beside the scan's
// scan_s); the six answering addresses cost their configuration reads instead. The simulator paces
// every answer at 9600 bit/s whatever speed the port is set to, and a pseudo-terminal passes the
// request on at once, so a silent address costs about the limit alone.

#include <benchmark/benchmark.h>

#include <atomic>
#include <optional>

#include "service/Connection.h"
#include "service/Observer.h"
#include "service/Scan.h"
#include "sim/Simulator.h"

namespace {

constexpr uint32_t kPace = 9600;
constexpr double kBitsPerByte = 11;
constexpr uint8_t kGetState = 0x01;

sim::Controller At(uint8_t Addr1, uint8_t Addr2, const char* Serial) {
    sim::Controller controller;
    controller.Config.Addr1 = Addr1;
    controller.Config.Addr2 = Addr2;
    controller.Config.SerialNo = Serial;
    return controller;
}

void BM_Scan(benchmark::State& state) {
    const bool allSpeeds = state.range(0) != 0;
    const bool fast = state.range(1) != 0;
    const auto limitMs = static_cast<uint32_t>(state.range(2));
    sim::Options options;
    options.PaceBitsPerSecond = kPace;
    options.Controllers = {At(3, 4, "1111111111"), At(100, 101, "2222222222"), At(200, 201, "3333333333")};
    sim::Simulator simulator(options);
    const std::atomic<bool> stop{false};
    std::optional<Connection::TConnection> line;
    const Scan::TOpenLine open = [&](uint32_t Speed) -> Connection::TConnection& {
        line.reset();
        line.emplace(
            Connection::TSettings{
                .Port = simulator.PortPath(), .Speed = Speed, .Fast = fast, .StopRequested = &stop},
            nullptr);
        return *line;
    };
    Scan::TRequest request{.Speeds = {9600}, .Addresses = {}, .AnswerTimeoutMs = limitMs};
    if (allSpeeds)
        request.Speeds.assign(std::begin(Connection::kWindowSpeeds), std::end(Connection::kWindowSpeeds));
    for (int a = 1; a <= 254; ++a)
        request.Addresses.push_back(a);
    Scan::TFound found;
    for (auto _ : state) {
        found = Scan::Run(open, request, Scan::Quiet());
        if (found.Controllers.size() != 3) {
            state.SkipWithError("the scan did not find the three controllers");
            return;
        }
    }
    double requestBytes = 0, requests = 0;
    for (const auto& frame : simulator.ReceivedFrames())
        if (frame.size() > 1 && frame[1] == kGetState) {
            requestBytes += static_cast<double>(frame.size());
            ++requests;
        }
    state.counters["scan_s"] = found.Seconds;
    state.counters["wire_plus_limit_s"] =
        found.Probed * (requestBytes / requests * kBitsPerByte / kPace + limitMs / 1000.0);
    state.counters["probed"] = found.Probed;
}

BENCHMARK(BM_Scan)
    ->ArgNames({"all_speeds", "fast", "limit_ms"})
    ->Args({0, 0, 500})
    ->Args({0, 1, 50})
    ->Args({1, 1, 50})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
