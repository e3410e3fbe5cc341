#include "trace/TraceLog.h"

#include <utility>

namespace LineTrace {

void TTraceLog::Record(TDirection Direction, std::span<const uint8_t> Bytes, TEnd End) {
    Keep({.TimeUs = NowUs(), .Direction = Direction, .Bytes = {Bytes.begin(), Bytes.end()}, .End = End});
}

void TTraceLog::Keep(TChunk Chunk) {
    if (capacity == 0)
        return;
    if (chunks.size() == capacity)
        chunks.pop_front();
    chunks.push_back(std::move(Chunk));
    if (OnChunk)
        OnChunk(chunks.back());
}

} // namespace LineTrace
