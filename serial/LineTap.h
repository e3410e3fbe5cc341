#pragma once
// What the port tells about every transfer when a tap is set on it: the bytes that went out or
// came in, and for a read why it ended (a write: Failed when not every byte went out). The port
// calls it on the thread of the transfer, after the transfer. Frame is for a port that ends a read
// at the end of a whole frame, before the line's own rules would.

#include <cstdint>
#include <span>

namespace LineTap {

enum class TDirection { Tx, Rx };
enum class TEnd { None, Count, Silence, Timeout, Failed, Frame };

class TLineTap {
public:
    virtual void Record(TDirection Direction, std::span<const uint8_t> Bytes, TEnd End) = 0;

protected:
    ~TLineTap() = default;
};

// Why a read that returned Got of Count bytes ended, from what the port saw when it returned.
TEnd ReadEnd(int Got, int Count, bool SilencePassed, bool TotalPassed);

} // namespace LineTap
