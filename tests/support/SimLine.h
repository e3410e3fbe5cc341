#pragma once
// The simulated controller on the far end of the line a window test opens. On Linux it runs in the
// test's own process on a pseudo-terminal; a Windows test under Wine cannot host it, so there it runs
// in a program of the build machine (sim_host) behind a mapped COM port and is driven over loopback.
// Both give the tests the same handle.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace SimLine {

class TSimLine {
public:
    virtual ~TSimLine() = default;

    // What the tool opens: the pseudo-terminal's path, or the COM port's name.
    virtual std::string PortPath() const = 0;
    // Controller: which of several controllers on the line (sim::Options::Controllers).
    virtual sim::ControllerConfig Config(std::size_t Controller = 0) const = 0;
    virtual void SetConfig(const sim::ControllerConfig& Config, std::size_t Controller = 0) = 0;
    virtual void AddRule(const sim::Rule& Rule) = 0;
    virtual void ClearRules() = 0;
    virtual sim::ReceivedImage Image() const = 0;
    virtual void QueuePollReply(const sim::PollReply& Reply) = 0;
    virtual std::vector<std::vector<uint8_t>> ReceivedFrames() const = 0;
    virtual void ClearReceived() = 0;
    virtual int ExchangeCount() const = 0;
};

// A controller made with Options. Only Address, UpdateMode, PaceBitsPerSecond, Noise and Controllers cross to
// sim_host;
// LinkPath, Tap and OnImageComplete are for tests that host the simulator themselves.
std::unique_ptr<TSimLine> Start(const sim::Options& Options);

} // namespace SimLine
