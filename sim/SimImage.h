#pragma once
// Firmware image files for tests and for trying the tool without a dispenser.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace SimImage {

// The whole file: the 32-bit value (the body's length, our convention, unless a test wants
// otherwise), the 16-bit value, the body, and the trailing checksum over header and body, low byte
// first.
std::vector<uint8_t> MakeImageFile(uint32_t Value32, uint16_t Value16, const std::vector<uint8_t>& Body);
// A pseudo-random body of Count bytes, the same for the same Seed.
std::vector<uint8_t> PatternBody(size_t Count, uint32_t Seed);

} // namespace SimImage
