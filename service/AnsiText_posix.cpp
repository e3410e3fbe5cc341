#include "service/AnsiText.h"

#include <algorithm>
#include <array>

namespace AnsiText {
namespace {

// Code page 1251 from 0x80 up; 0x98 has no character of its own and keeps its C1 code.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
constexpr unsigned char kCp1251Letters = 0xC0; // А to я follow in order from here
constexpr char16_t kCapitalA = 0x0410;

} // namespace

std::u16string AnsiToWide(const std::string& Text, uint16_t CodePage) {
    if (CodePage != kCyrillicCodePage) {
        return {};
    }
    std::u16string wide(Text.size(), u'\0');
    std::transform(Text.begin(), Text.end(), wide.begin(), [](char c) -> char16_t {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            return byte;
        }
        if (byte >= kCp1251Letters) {
            return static_cast<char16_t>(kCapitalA + (byte - kCp1251Letters));
        }
        return kCp1251High[byte - 0x80];
    });
    return wide;
}

} // namespace AnsiText
