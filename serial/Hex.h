#pragma once
// Bytes as the tool shows them to people: upper-case hex digits, two a byte, four a 16-bit value.

#include <cstdint>
#include <span>
#include <string>

namespace Hex {

// "0A".
std::string Byte(uint8_t Value);
// "12AB".
std::string Word(uint16_t Value);
// "0A FF 10": pairs separated by blanks; "" for no bytes.
std::string Bytes(std::span<const uint8_t> Values);
// The same, appended to Out: a line built in one string costs no temporary per dump.
void AppendBytes(std::string& Out, std::span<const uint8_t> Values);

} // namespace Hex
