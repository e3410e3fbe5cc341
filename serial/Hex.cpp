#include "serial/Hex.h"

namespace Hex {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

std::string Byte(uint8_t Value) {
    return {kDigits[Value >> 4], kDigits[Value & 0x0F]};
}

std::string Word(uint16_t Value) {
    return Byte(static_cast<uint8_t>(Value >> 8)) + Byte(static_cast<uint8_t>(Value & 0xFF));
}

std::string Bytes(std::span<const uint8_t> Values) {
    std::string text;
    AppendBytes(text, Values);
    return text;
}

void AppendBytes(std::string& Out, std::span<const uint8_t> Values) {
    if (Values.empty())
        return;
    const std::size_t start = Out.size();
    Out.resize(start + 3 * Values.size() - 1, ' ');
    char* at = Out.data() + start;
    for (const uint8_t value : Values) {
        at[0] = kDigits[value >> 4];
        at[1] = kDigits[value & 0x0F];
        at += 3;
    }
}

} // namespace Hex
