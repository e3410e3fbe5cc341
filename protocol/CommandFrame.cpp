#include "protocol/CommandFrame.h"

#include <algorithm>
#include <utility>

#include "protocol/crc16c.h"

namespace CommandFrame {

namespace {

constexpr uint8_t kEscape = 0x10; // a 0xFF after it gets a second one in front
constexpr uint8_t kEscaped = 0xFF;
constexpr std::array<uint8_t, 2> kTrailer{0x03, 0xFF}; // ends every frame, never stuffed
constexpr std::size_t kChecksumSize = 2;

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

bool CheckAnswer(Area& Rx, Area& Scratch) {
    const std::size_t received = Rx[0];
    if (received < kShortestAnswer) {
        return false;
    }
    const std::size_t m = Unstuff(Frame(std::as_const(Rx), received), Frame(Scratch, kAreaSize - 1));
    std::copy_n(Scratch.begin() + 1, m, Rx.begin() + 1);
    Rx[0] = static_cast<uint8_t>(m);

    const auto frame = Frame(std::as_const(Rx), m);
    const std::size_t covered = m - kChecksumSize - kTrailer.size();
    const uint16_t sent = static_cast<uint16_t>(frame[covered] | frame[covered + 1] << 8);
    if (crc16c::Crc16(0, frame.data(), static_cast<int32_t>(covered)) != sent) {
        return false;
    }
    return std::equal(kTrailer.begin(), kTrailer.end(), frame.end() - kTrailer.size());
}

bool HeaderMatches(const Area& Rx, const Expected& Want) {
    const std::size_t m = Rx[0];
    const uint8_t address = Rx[1], command = Rx[2], length = Rx[3];
    if (!Want.AnyAddress && static_cast<int32_t>(address) != Want.Address) {
        return false;
    }
    if (command != Want.Command || (Want.Length && length != *Want.Length)) {
        return false;
    }
    return kHeaderSize + length + kTailSize <= m;
}

std::span<const uint8_t> Data(const Area& Rx) {
    return std::span(Rx).subspan(1 + kHeaderSize, Rx[3]);
}

} // namespace CommandFrame
