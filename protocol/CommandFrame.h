#pragma once
// Framing of the command protocol: address, command, length, data, Crc16 low byte first, then the
// trailer 03 FF. Everything before the trailer is stuffed: a 0xFF that follows a 0x10 travels as
// 10 10 FF. These functions work on the fixed areas of TPtnLL and allocate nothing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace CommandFrame {

// A count byte, then up to 256 bytes: the receive, transmit and scratch areas.
constexpr std::size_t kAreaSize = 257;
using Area = std::array<uint8_t, kAreaSize>;

// The frame count travels in one byte, so a frame that goes out has at most 255 bytes.
constexpr std::size_t kLongestFrame = 255;
// Address, command, length, one data byte, two checksum bytes, the trailer.
constexpr std::size_t kShortestAnswer = 8;
// Address, command, length in front of the data.
constexpr std::size_t kHeaderSize = 3;
constexpr std::size_t kChecksumSize = 2;
// Ends every frame; never stuffed.
constexpr std::array<uint8_t, 2> kTrailer{0x03, 0xFF};
// Checksum and trailer after the data.
constexpr std::size_t kTailSize = kChecksumSize + kTrailer.size();

// Stuffs In into Out; the stuffed length, or nothing when it does not fit Out.
std::optional<std::size_t> Stuff(std::span<const uint8_t> In, std::span<uint8_t> Out);
// Undoes Stuff; Out needs In's size at most. Returns the unstuffed length.
std::size_t Unstuff(std::span<const uint8_t> In, std::span<uint8_t> Out);
// Whether Unstuff drops Stuffed[At]: a 0x10 that a 0xFF follows. A scan that must not copy undoes
// the stuffing as it goes with this.
bool Dropped(std::span<const uint8_t> Stuffed, std::size_t At);
// Whether the 0x10 that Unstuff drops at At came alone: Stuff sends it doubled, so a byte was lost.
bool LoneEscape(std::span<const uint8_t> Stuffed, std::size_t At);

// The unstuffed size of an answer that starts with Header: the header, the data its length byte
// counts, checksum and trailer.
std::size_t AnswerSize(std::span<const uint8_t, kHeaderSize> Header);

// Turns the request body in Tx (count byte, body) into the frame that travels. False, with the
// count set to 0, when the frame would not fit kLongestFrame bytes.
bool BuildFrame(Area& Tx, Area& Scratch);

// What a command expects of an answer's first three bytes.
struct Expected {
    int32_t Address;               // compared as a whole: outside 0..255 nothing matches
    bool AnyAddress;               // the address byte is not compared
    uint8_t Command;               // the request's command code, echoed
    std::optional<uint8_t> Length; // absent: any length
};

// Why an answer was not taken, one value per check, in the order the checks run.
enum class TFault {
    None,
    NotSent,          // the request could not be built, so nothing went out
    WriteFailed,      // not every byte of the request went out
    NoAnswer,         // nothing arrived
    Overrun,          // the read filled all kReadSize bytes: no answer is that long
    TooShort,         // Got bytes arrived, fewer than the Wanted kShortestAnswer
    Checksum,         // the checksum Received is not the Computed one
    Trailer,          // the frame ends in Trailer, not 03 FF
    WrongAddress,     // the answer came from Got, the request went to Wanted
    WrongCommand,     // the answer repeats command Got, the request was Wanted
    WrongLength,      // the length byte is Got, the command's answer has Wanted
    LengthBeyondData, // the length byte promises Wanted data bytes, Got arrived
    ValueTooShort,    // a text parameter came with Got value bytes of the Wanted ones
};

// What the judge made of one read, with the values of the check that failed.
struct TVerdict {
    TFault Fault = TFault::None;
    int Got = 0, Wanted = 0;
    uint16_t Received = 0, Computed = 0;
    std::array<uint8_t, 2> Trailer{};

    bool Accepted() const { return Fault == TFault::None; }
    bool operator==(const TVerdict&) const = default;
};

// One read takes up to this many bytes; a read that fills it is an overrun, never an answer.
constexpr std::size_t kReadSize = 256;

// The one judge of a command answer, for the protocol object, the trace and the fast read alike.
// Raw is the whole read. The checks run in this order: something arrived, less than kReadSize,
// at least kShortestAnswer bytes, then on the unstuffed frame the checksum and the trailer and,
// with Want, the address, the command echo, the length and the data the length byte promises.
// Without Want only the framing is judged. Once Raw has kShortestAnswer bytes, Answer holds the
// unstuffed frame (count byte, bytes) whatever the verdict.
TVerdict JudgeAnswer(std::span<const uint8_t> Raw, const std::optional<Expected>& Want, Area& Answer);

// The data bytes (after the header) of an answer the judge accepted with a Want.
std::span<const uint8_t> Data(const Area& Rx);

} // namespace CommandFrame
