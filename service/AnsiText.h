#pragma once
// Texts turned into the UTF-16 texts the windows show: 8-bit texts in a Windows code page, and
// the UTF-8 texts the tool keeps its own in.

#include <cstdint>
#include <string>

namespace AnsiText {

inline constexpr uint16_t kCyrillicCodePage = 1251;

// Text in code page CodePage as UTF-16; a code page the system does not know gives "" (Windows knows
// them all, elsewhere 1251 is the one known).
std::u16string AnsiToWide(const std::string& Text, uint16_t CodePage);

// UTF-8 as UTF-16; a byte that starts no character of up to three bytes stands for U+FFFD.
std::u16string Utf16(const std::string& Text);

} // namespace AnsiText
