#pragma once
// The controller's view of the wire: finding a complete frame at the front of what arrived, and
// building the answers. Pure functions over byte runs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace SimFrames {

constexpr uint8_t kEtx = 0x03;         // both protocols: first trailer byte
constexpr uint8_t kCommandEnd = 0xFF;  // command protocol: last trailer byte
constexpr uint8_t kLinkEnd = 0xFA;     // link protocol: stop flag, last byte of every frame
constexpr uint8_t kDle = 0x10;         // both protocols: stuffing prefix
constexpr uint8_t kLinkAddress = 0xFF; // link address the tool uses
constexpr uint8_t kPoll = 0x20;        // link control byte high nibbles
constexpr uint8_t kData = 0x30;
constexpr uint8_t kNak = 0x50;
constexpr uint8_t kEot = 0x70;
constexpr uint8_t kAck = 0xC0;

enum class Kind { Command, LinkControl, LinkData };

struct Frame {
    Kind kind = Kind::Command;
    size_t rawLength = 0;      // bytes it took on the line
    std::vector<uint8_t> body; // unstuffed; without checksum and trailer (a control frame: ADR, control)
};

// The first complete, valid frame that starts at buffer[0], if any.
std::optional<Frame> TakeFrame(std::span<const uint8_t> buffer);

// Command protocol: 0x10 0xFF travels as 0x10 0x10 0xFF.
std::vector<uint8_t> StuffCommand(std::span<const uint8_t> bytes);
std::vector<uint8_t> UnstuffCommand(std::span<const uint8_t> bytes);
// Link protocol: every 0xFA travels as 0x10 0xFA.
std::vector<uint8_t> StuffLink(std::span<const uint8_t> bytes);
std::vector<uint8_t> UnstuffLink(std::span<const uint8_t> bytes);

// body: address, command, length, data. crcOffset is added to the checksum (0 for a good frame).
std::vector<uint8_t> CommandFrame(std::span<const uint8_t> body, uint16_t crcOffset = 0,
                                  uint8_t lastByte = kCommandEnd);
std::vector<uint8_t> LinkControl(uint8_t address, uint8_t control);
std::vector<uint8_t> LinkData(uint8_t address, uint8_t control, std::span<const uint8_t> payload,
                              uint16_t crcOffset = 0);

// Answers that several controllers send at once on one line: a byte of each in turn, until the
// longest is out. A single answer goes out as it is.
std::vector<uint8_t> Interleave(const std::vector<std::vector<uint8_t>>& answers);

} // namespace SimFrames
