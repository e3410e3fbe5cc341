#pragma once
// The tool's own time read off the simulator's clock: an exchange's floor is what the simulator
// took (from a request's arrival to its answer's last byte leaving) plus the silence that ends the
// tool's read; whatever else passes before the next request arrives is the tool's. That remainder
// also holds the pseudo-terminal's hand-over and the simulator's wake-up on the request, which no
// clock on either side can split off.

#include <chrono>
#include <span>
#include <vector>

#include <benchmark/benchmark.h>

#include "serial/LineTap.h"
#include "sim/Simulator.h"

namespace SimTimeline {

// One figure per exchange, in microseconds.
struct Spread {
    double MedianUs = 0, P99Us = 0;
};
Spread Summarise(std::vector<double> Us);

struct Gaps {
    std::vector<double> ToolUs;      // next request's arrival - answer's last byte - silence
    std::vector<double> PacingErrUs; // answer's last byte written - when it was due
    double SimulatorSeconds = 0;     // sum over the frames of arrival to answer's last byte
    int Answered = 0;
};

double Microseconds(std::chrono::steady_clock::duration Span);

// CPU time so far, in microseconds: of the calling thread (the tool's), and of the whole process
// (the simulator's thread too).
double ThreadCpuUs();
double ProcessCpuUs();

// Set on the tool's port: when each of its writes ended.
class TWriteStamps : public LineTap::TLineTap {
public:
    void Record(LineTap::TDirection Direction, std::span<const uint8_t>, LineTap::TEnd) override;
    std::vector<std::chrono::steady_clock::time_point> Ends;
};

// Per received frame, the time from the end of the tool's write that sent it to its arrival.
std::vector<double> HandOverUs(const std::vector<sim::FrameTiming>& Timings, const TWriteStamps& Writes);

// Sets the counters every line benchmark gives, each as median and 99th percentile in
// microseconds: the tool's time, the requests' hand-over and the simulator's lateness.
void ReportSpreads(benchmark::State& State, const Gaps& Exchanges, const std::vector<double>& HandOversUs);

// Over the answered frames with Select(index) true; the tool's time needs the frame that follows.
template <typename Select>
Gaps Measure(const std::vector<sim::FrameTiming>& Timings, double SilenceUs, Select select) {
    Gaps gaps;
    for (size_t i = 0; i < Timings.size(); ++i) {
        const sim::FrameTiming& t = Timings[i];
        if (!select(i) || !t.AnswerSent)
            continue;
        ++gaps.Answered;
        gaps.SimulatorSeconds += Microseconds(*t.AnswerSent - t.Received) / 1e6;
        gaps.PacingErrUs.push_back(Microseconds(*t.AnswerSent - *t.AnswerDue));
        if (i + 1 < Timings.size())
            gaps.ToolUs.push_back(Microseconds(Timings[i + 1].Received - *t.AnswerSent) - SilenceUs);
    }
    return gaps;
}

} // namespace SimTimeline
