#pragma once
// Firmware image files for tests and for trying the tool without a dispenser.

#include <cstdint>
#include <vector>

namespace SimImage {

// The whole file: the 32-bit value (the body's length, our convention), the 16-bit value, a
// pseudo-random body of bodySize bytes drawn from seed, and the trailing checksum over header and
// body, low byte first.
std::vector<uint8_t> MakeImage(uint32_t bodySize, uint16_t value16, uint32_t seed);

} // namespace SimImage
