#include "trace/TraceLog.h"

namespace LineTrace {

void TTraceLog::Record(TDirection Direction, std::span<const uint8_t> Bytes, TEnd End) {
    if (capacity == 0)
        return;
    if (chunks.size() == capacity)
        chunks.pop_front();
    chunks.push_back(
        {.TimeUs = NowUs(), .Direction = Direction, .Bytes = {Bytes.begin(), Bytes.end()}, .End = End});
    if (OnChunk)
        OnChunk(chunks.back());
}

} // namespace LineTrace
