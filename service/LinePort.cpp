#include "service/LinePort.h"

#include <algorithm>
#include <chrono>
#include <span>
#include <utility>

#include "link/LinkFrame.h"
#include "serial/LineSettings.h"
#include "service/FrameEnd.h"

namespace LinePort {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kCommandTrailerEnd = 0xFF; // last byte of every command frame

} // namespace

TLinePort::TLinePort(const std::string& Name, uint32_t Speed, bool Fast,
                     const std::atomic<bool>* StopRequested)
    : TZMyComm(Name, Speed, LineSettings::kQueueSize, LineSettings::kQueueSize, LineSettings::kDcbFlags,
               LineSettings::kOddParity, LineSettings::kOneStopBit, LineSettings::kByteSize),
      fast(Fast), stopRequested(StopRequested) {
    PurgeOnWrite = Fast;
    SetTimeouts(LineSettings::kReadInterval, 0, LineSettings::kReadTotal, LineSettings::kWritePerByte,
                LineSettings::kWriteTotal);
}

void TLinePort::SetTimeouts(uint32_t ReadInterval, uint32_t ReadTotalMultiplier, uint32_t ReadTotalConstant,
                            uint32_t WriteTotalMultiplier, uint32_t WriteTotalConstant) {
    readInterval = ReadInterval;
    readTotalMultiplier = ReadTotalMultiplier;
    readTotalConstant = ReadTotalConstant;
    writeTotalMultiplier = WriteTotalMultiplier;
    writeTotalConstant = WriteTotalConstant;
    TZMyComm::SetTimeouts(ReadInterval, ReadTotalMultiplier, ReadTotalConstant, WriteTotalMultiplier,
                          WriteTotalConstant);
}

int TLinePort::Write(const void* Buffer, int Count) {
    if (stopRequested && stopRequested->load())
        return 0;
    if (Count > 0) {
        // The frame that goes out says which protocol answers it.
        const auto* bytes = static_cast<const uint8_t*>(Buffer);
        expected = bytes[Count - 1] == kCommandTrailerEnd ? TAnswer::Command : TAnswer::Link;
        linkAddress = bytes[0];
    }
    return TZMyComm::Write(Buffer, Count);
}

int TLinePort::Read(void* Buffer, int Count) {
    if (!fast || Count <= 0)
        return TZMyComm::Read(Buffer, Count);
    auto* bytes = static_cast<uint8_t*>(Buffer);
    LineTap::TLineTap* const tap = std::exchange(Tap, &chunkEnd);
    LineTap::TEnd end = LineTap::TEnd::None;
    const int got = ReadToFrameEnd(bytes, Count, end);
    Tap = tap;
    if (tap)
        tap->Record(LineTap::TDirection::Rx, std::span(bytes, static_cast<size_t>(got)), end);
    return got;
}

int TLinePort::ReadChunk(uint8_t* Buffer, int Count, std::optional<uint32_t> LimitMs) {
    TZMyComm::SetTimeouts(readInterval, 0, LimitMs.value_or(0), writeTotalMultiplier, writeTotalConstant);
    return TZMyComm::Read(Buffer, Count);
}

// The line's rules hold throughout: the read ends after the total limit, or once bytes have come
// and the interval passes without another. Each chunk asks only for bytes the frame still needs,
// so a chunk never takes bytes from behind the frame. After the first byte a chunk takes what has
// come already, or else waits for one byte no longer than the interval, so that no silence
// longer than the interval passes inside the read; a chunk that returns short ends it.
int TLinePort::ReadToFrameEnd(uint8_t* Buffer, int Count, LineTap::TEnd& End) {
    const Clock::time_point start = Clock::now();
    const bool hasTotal = readTotalMultiplier != 0 || readTotalConstant != 0;
    const auto total = std::chrono::milliseconds(
        uint64_t{readTotalMultiplier} * static_cast<uint64_t>(Count) + readTotalConstant);
    int got = 0;
    while (got < Count) {
        const std::span<const uint8_t> received(Buffer, static_cast<size_t>(got));
        FrameEnd::TProgress progress = expected == TAnswer::Command
                                           ? FrameEnd::CommandAnswer(received)
                                           : FrameEnd::LinkReply(received, linkAddress);
        const int queued = InQueue();
        if (progress.Complete) {
            if (queued == 0) {
                End = LineTap::TEnd::Frame;
                return got;
            }
            progress.AtLeast = 0; // more is coming at once: not a lone frame
        }
        int wanted =
            progress.AtLeast > 0 ? std::min(static_cast<int>(progress.AtLeast), Count - got) : Count - got;
        std::optional<uint32_t> limitMs;
        if (hasTotal) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(start + total - Clock::now()).count();
            if (left <= 0) {
                End = LineTap::TEnd::Timeout;
                return got;
            }
            limitMs = static_cast<uint32_t>(left);
        }
        if (got > 0) {
            wanted = queued > 0 ? std::min(wanted, queued) : 1;
            if (readInterval > 0)
                limitMs = std::min(limitMs.value_or(readInterval), readInterval);
        }
        const bool later = got > 0;
        const int n = ReadChunk(Buffer + got, wanted, limitMs);
        got += std::max(n, 0);
        if (n < wanted) {
            // A later chunk's own limit is the interval: when it runs out, the line fell silent.
            const bool totalPassed = hasTotal && Clock::now() >= start + total;
            End = later && chunkEnd.Last == LineTap::TEnd::Timeout && !totalPassed ? LineTap::TEnd::Silence
                                                                                   : chunkEnd.Last;
            return got;
        }
    }
    End = LineTap::TEnd::Count;
    return got;
}

} // namespace LinePort
