#pragma once
// 8-bit texts in a Windows code page, turned into the UTF-16 texts the windows show.

#include <cstdint>
#include <string>

namespace AnsiText {

inline constexpr uint16_t kCyrillicCodePage = 1251;

// Text in code page CodePage as UTF-16; a code page the system does not know gives "" (Windows knows
// them all, elsewhere 1251 is the one known).
std::u16string AnsiToWide(const std::string& Text, uint16_t CodePage);

} // namespace AnsiText
