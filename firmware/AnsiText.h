#pragma once
// 8-bit texts in a Windows code page, turned into the UTF-16 texts the windows show.

#include <cstdint>
#include <string>

namespace AnsiText {

inline constexpr uint16_t kCyrillicCodePage = 1251;

// Text in code page CodePage as UTF-16; code page 1251 is the one known, any other gives "".
std::u16string AnsiToWide(const std::string& Text, uint16_t CodePage);

} // namespace AnsiText
