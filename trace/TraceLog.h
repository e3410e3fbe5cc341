#pragma once
// A tap that keeps the most recent chunks in memory, stamped as they come, and tells a listener
// about each one. For one thread: the window's; a transfer on another thread is stamped there and
// handed over (Keep).

#include <cstddef>
#include <deque>
#include <functional>

#include "trace/LineTrace.h"

namespace LineTrace {

class TTraceLog final : public LineTap::TLineTap {
public:
    // Keeps at most Capacity chunks, dropping the oldest.
    explicit TTraceLog(std::size_t Capacity) : capacity(Capacity) {}

    void Record(TDirection Direction, std::span<const uint8_t> Bytes, TEnd End) override;
    // Keeps a chunk stamped elsewhere: one another thread recorded and handed over.
    void Keep(TChunk Chunk);
    const std::deque<TChunk>& Chunks() const { return chunks; }
    void Clear() { chunks.clear(); }

    // Called with every chunk recorded, after it has been kept.
    std::function<void(const TChunk&)> OnChunk;

private:
    std::size_t capacity;
    std::deque<TChunk> chunks;
};

} // namespace LineTrace
