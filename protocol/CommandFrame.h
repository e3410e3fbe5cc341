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
// Checksum and trailer after the data.
constexpr std::size_t kTailSize = 4;

// Stuffs In into Out; the stuffed length, or nothing when it does not fit Out.
std::optional<std::size_t> Stuff(std::span<const uint8_t> In, std::span<uint8_t> Out);
// Undoes Stuff; Out needs In's size at most. Returns the unstuffed length.
std::size_t Unstuff(std::span<const uint8_t> In, std::span<uint8_t> Out);

// Turns the request body in Tx (count byte, body) into the frame that travels. False, with the
// count set to 0, when the frame would not fit kLongestFrame bytes.
bool BuildFrame(Area& Tx, Area& Scratch);

// True when the raw answer in Rx (count byte, bytes) is a well-formed frame. Answers of
// kShortestAnswer bytes or more are left unstuffed in Rx whatever the outcome.
bool CheckAnswer(Area& Rx, Area& Scratch);

// What a command expects of an answer's first three bytes.
struct Expected {
    int32_t Address;               // compared as a whole: outside 0..255 nothing matches
    bool AnyAddress;               // the address byte is not compared
    uint8_t Command;               // the request's command code, echoed
    std::optional<uint8_t> Length; // absent: any length
};

// The header check on a checked answer. An answer whose length byte promises more data than
// arrived fails too, so decoding never reads bytes that were not received.
bool HeaderMatches(const Area& Rx, const Expected& Want);

// The answer's data bytes (after the header) of a checked answer that passed HeaderMatches.
std::span<const uint8_t> Data(const Area& Rx);

} // namespace CommandFrame
