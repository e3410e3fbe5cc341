#pragma once
// Packed decimal, as both protocols carry it: two decimal digits a byte, the high nibble first,
// the most significant byte first.

#include <cstdint>
#include <string>

namespace PackedDecimal {

// The digits as a number. Nibbles above 9 count with their face value (0x0A counts as ten).
int64_t BcdToInt(const uint8_t* Data, int Count);
// Two characters a byte: '0' + high nibble, then '0' + low nibble (':' to '?' above 9).
std::string BcdToText(const uint8_t* Data, int Count);

} // namespace PackedDecimal
