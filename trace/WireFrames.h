#pragma once
// Finding frames of either protocol in bytes as they came off the line, however the reads cut
// them: where a frame that starts at the front ends, and whether it is intact.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol/CommandFrame.h"

namespace WireFrames {

enum class TProtocol { Command, Link };

enum class TFit {
    Frame,    // a frame ends within the bytes
    NeedMore, // the bytes may be the start of a frame
};

struct TCut {
    TFit Fit = TFit::NeedMore;
    std::size_t Length = 0; // raw bytes of the frame, when Fit is Frame
};

// Command protocol. An answer carries a length byte; a request need not, so a request ends at
// the first trailer after which the checksum holds, or else at the first trailer.
TCut CutCommand(std::span<const uint8_t> Bytes, bool Answer);
// Link protocol: a frame ends at the first 0xFA that no 0x10 escapes.
TCut CutLink(std::span<const uint8_t> Bytes);

// The bytes before the trailer with the stuffing undone, and where a 0x10 0xFF pair came without
// its second 0x10 (raw positions of the 0xFF).
struct TCommandBody {
    std::vector<uint8_t> Body;
    std::vector<std::size_t> StuffingErrors;
};
TCommandBody UnstuffCommand(std::span<const uint8_t> Stuffed);

// Where the last command trailer in Bytes ends; nothing when there is none. An intact command
// frame ends at one, so a frame starting later than kShortestCommandFrame before it is not intact.
inline constexpr std::size_t kShortestCommandFrame = 2 + CommandFrame::kTailSize; // address, command
std::optional<std::size_t> LastCommandTrailerEnd(std::span<const uint8_t> Bytes);

// The search for an intact command frame at the front of bytes that keep growing: where it goes on
// and how many trailers it has tried. Bytes only added at the end leave what it found true, so a
// caller keeps it between calls instead of checking the same trailers again.
struct TCommandSearch {
    std::size_t Next = kShortestCommandFrame - 2; // first byte a trailer may start at
    int Tried = 0;
    // The checksum over the bytes unstuffing keeps among the first Summed, and how many it keeps:
    // each later trailer's checksum goes on from there.
    std::size_t Summed = 0;
    uint16_t Crc = 0;
    std::size_t Kept = 0;
};
// The length of the intact command frame at the front of Bytes, as CutCommand cuts it when the
// frame it cuts is intact; nothing while none is found.
std::optional<std::size_t> IntactCommandLength(std::span<const uint8_t> Bytes, TCommandSearch& Search);

// A whole frame whose checksum holds and whose end is right; a link control frame (it carries no
// checksum) must come from LinkAddress and be of a known kind.
bool IsIntact(TProtocol Protocol, std::span<const uint8_t> Frame, bool Answer, uint8_t LinkAddress);

} // namespace WireFrames
