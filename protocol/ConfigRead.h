#pragma once
// Reading the whole configuration as the tool does it: a controller that misses one parameter is
// asked again from the start, up to six times in all.

namespace PtnLL {
class TPtnLL;
}

namespace ConfigRead {

inline constexpr int kRuns = 6; // one read and five repeats

// GetConfig until it succeeds, at most kRuns times. The outcome, also left in Commands.Ok.
bool WithRepeats(PtnLL::TPtnLL& Commands);

} // namespace ConfigRead
