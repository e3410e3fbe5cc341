#include "bench/SimTimeline.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <iterator>

namespace SimTimeline {

namespace {

double Us(clockid_t Clock) {
    timespec now{};
    clock_gettime(Clock, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// The nearest-rank percentile of sorted figures.
double Percentile(const std::vector<double>& Sorted, double Fraction) {
    const auto rank = static_cast<size_t>(std::ceil(Fraction * static_cast<double>(Sorted.size())));
    return Sorted[std::clamp<size_t>(rank, 1, Sorted.size()) - 1];
}

} // namespace

Spread Summarise(std::vector<double> Figures) {
    if (Figures.empty())
        return {};
    std::sort(Figures.begin(), Figures.end());
    return {.MedianUs = Percentile(Figures, 0.5), .P99Us = Percentile(Figures, 0.99)};
}

double Microseconds(std::chrono::steady_clock::duration Span) {
    return std::chrono::duration<double, std::micro>(Span).count();
}

double ThreadCpuUs() {
    return Us(CLOCK_THREAD_CPUTIME_ID);
}

double ProcessCpuUs() {
    return Us(CLOCK_PROCESS_CPUTIME_ID);
}

void ReportSpreads(benchmark::State& State, const Gaps& Exchanges, const std::vector<double>& HandOversUs) {
    const Spread tool = Summarise(Exchanges.ToolUs);
    const Spread handOver = Summarise(HandOversUs);
    const Spread pacing = Summarise(Exchanges.PacingErrUs);
    State.counters["tool_us_median"] = tool.MedianUs;
    State.counters["tool_us_p99"] = tool.P99Us;
    State.counters["handover_us_median"] = handOver.MedianUs;
    State.counters["handover_us_p99"] = handOver.P99Us;
    State.counters["sim_late_us_median"] = pacing.MedianUs;
    State.counters["sim_late_us_p99"] = pacing.P99Us;
}

void TWriteStamps::Record(LineTap::TDirection Direction, std::span<const uint8_t>, LineTap::TEnd) {
    if (Direction == LineTap::TDirection::Tx)
        Ends.push_back(std::chrono::steady_clock::now());
}

std::vector<double> HandOverUs(const std::vector<sim::FrameTiming>& Timings, const TWriteStamps& Writes) {
    std::vector<double> handOvers;
    if (Writes.Ends.empty())
        return handOvers;
    for (const sim::FrameTiming& t : Timings) {
        // The request's write is the one whose end lies nearest its arrival: the simulator may
        // read it before the tool's write call has returned, and then it took no hand-over time.
        const auto after = std::lower_bound(Writes.Ends.begin(), Writes.Ends.end(), t.Received);
        auto nearest = after == Writes.Ends.end() ? std::prev(after) : after;
        if (after != Writes.Ends.begin() && t.Received - *std::prev(after) < *nearest - t.Received)
            nearest = std::prev(after);
        handOvers.push_back(std::max(Microseconds(t.Received - *nearest), 0.0));
    }
    return handOvers;
}

} // namespace SimTimeline
