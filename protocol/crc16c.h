#pragma once
#include <cstdint>

namespace crc16c {

// CRC-16/ARC when Seed is 0 (reflected polynomial 0xA001, no final XOR). A null Data or a
// Length of 0 or less returns Seed; feeding a run in pieces, each result as the next Seed,
// equals one call over the whole run.
uint16_t Crc16(uint16_t Seed, const uint8_t* Data, int32_t Length);

} // namespace crc16c
