#include "protocol/CommandFrame.h"

#include <algorithm>
#include <utility>

#include "protocol/crc16c.h"

namespace CommandFrame {

namespace {

constexpr uint8_t kEscape = 0x10; // a 0xFF after it gets a second one in front
constexpr uint8_t kEscaped = 0xFF;

// Area byte 0 is the count; the frame starts at byte 1.
std::span<uint8_t> Frame(Area& area, std::size_t count) {
    return std::span(area).subspan(1, count);
}
std::span<const uint8_t> Frame(const Area& area, std::size_t count) {
    return std::span(area).subspan(1, count);
}

} // namespace

std::optional<std::size_t> Stuff(std::span<const uint8_t> In, std::span<uint8_t> Out) {
    std::size_t used = 0;
    for (uint8_t b : In) {
        const bool escape = b == kEscaped && used > 0 && Out[used - 1] == kEscape;
        if (used + (escape ? 2 : 1) > Out.size()) {
            return std::nullopt;
        }
        if (escape) {
            Out[used++] = kEscape;
        }
        Out[used++] = b;
    }
    return used;
}

std::size_t Unstuff(std::span<const uint8_t> In, std::span<uint8_t> Out) {
    std::size_t kept = 0;
    for (uint8_t b : In) {
        if (b == kEscaped && kept > 0 && Out[kept - 1] == kEscape) {
            --kept;
        }
        Out[kept++] = b;
    }
    return kept;
}

bool Dropped(std::span<const uint8_t> Stuffed, std::size_t At) {
    return Stuffed[At] == kEscape && At + 1 < Stuffed.size() && Stuffed[At + 1] == kEscaped;
}

bool LoneEscape(std::span<const uint8_t> Stuffed, std::size_t At) {
    return Dropped(Stuffed, At) && (At == 0 || Stuffed[At - 1] != kEscape);
}

std::size_t AnswerSize(std::span<const uint8_t, kHeaderSize> Header) {
    return kHeaderSize + Header[2] + kTailSize;
}

bool BuildFrame(Area& Tx, Area& Scratch) {
    const std::size_t bodySize = Tx[0];
    Tx[0] = 0;
    if (bodySize + kChecksumSize + kTrailer.size() > kLongestFrame) {
        return false;
    }
    const uint16_t crc = crc16c::Crc16(0, &Tx[1], static_cast<int32_t>(bodySize));
    Tx[1 + bodySize] = static_cast<uint8_t>(crc & 0xFF);
    Tx[2 + bodySize] = static_cast<uint8_t>(crc >> 8);
    const auto stuffed = Stuff(Frame(std::as_const(Tx), bodySize + kChecksumSize),
                               Frame(Scratch, kLongestFrame - kTrailer.size()));
    if (!stuffed) {
        return false;
    }
    const auto end = std::copy_n(Scratch.begin() + 1, *stuffed, Tx.begin() + 1);
    std::copy(kTrailer.begin(), kTrailer.end(), end);
    Tx[0] = static_cast<uint8_t>(*stuffed + kTrailer.size());
    return true;
}

TVerdict JudgeAnswer(std::span<const uint8_t> Raw, const std::optional<Expected>& Want, Area& Answer) {
    const auto received = static_cast<int>(Raw.size());
    if (Raw.empty()) {
        return {.Fault = TFault::NoAnswer};
    }
    if (Raw.size() >= kReadSize) {
        return {.Fault = TFault::Overrun, .Got = received, .Wanted = static_cast<int>(kReadSize) - 1};
    }
    if (Raw.size() < kShortestAnswer) {
        return {.Fault = TFault::TooShort, .Got = received, .Wanted = static_cast<int>(kShortestAnswer)};
    }
    // Unstuffing drops at most every other byte, so checksum and trailer are there to look at.
    const std::size_t m = Unstuff(Raw, Frame(Answer, kAreaSize - 1));
    Answer[0] = static_cast<uint8_t>(m);
    const auto frame = Frame(std::as_const(Answer), m);
    const std::size_t covered = m - kChecksumSize - kTrailer.size();
    const auto sent = static_cast<uint16_t>(frame[covered] | frame[covered + 1] << 8);
    const uint16_t computed = crc16c::Crc16(0, frame.data(), static_cast<int32_t>(covered));
    if (computed != sent) {
        return {.Fault = TFault::Checksum, .Received = sent, .Computed = computed};
    }
    if (!std::equal(kTrailer.begin(), kTrailer.end(), frame.end() - kTrailer.size())) {
        return {.Fault = TFault::Trailer, .Trailer = {frame[m - 2], frame[m - 1]}};
    }
    if (!Want) {
        return {};
    }
    const uint8_t address = frame[0], command = frame[1], length = frame[2];
    if (!Want->AnyAddress && static_cast<int32_t>(address) != Want->Address) {
        return {.Fault = TFault::WrongAddress, .Got = address, .Wanted = Want->Address};
    }
    if (command != Want->Command) {
        return {.Fault = TFault::WrongCommand, .Got = command, .Wanted = Want->Command};
    }
    if (Want->Length && length != *Want->Length) {
        return {.Fault = TFault::WrongLength, .Got = length, .Wanted = *Want->Length};
    }
    // Decoding never reads bytes that were not received.
    if (AnswerSize(frame.first<kHeaderSize>()) > m) {
        const auto arrived = static_cast<int>(m) - static_cast<int>(kHeaderSize + kTailSize);
        return {.Fault = TFault::LengthBeyondData, .Got = std::max(arrived, 0), .Wanted = length};
    }
    return {};
}

std::span<const uint8_t> Data(const Area& Rx) {
    return std::span(Rx).subspan(1 + kHeaderSize, Rx[3]);
}

} // namespace CommandFrame
