#include "service/AnsiText.h"

#include <windows.h>

namespace AnsiText {

// Windows knows every code page: the length with the closing zero first, then the text itself.
std::u16string AnsiToWide(const std::string& Text, uint16_t CodePage) {
    if (Text.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CodePage, MB_PRECOMPOSED, Text.c_str(), -1, nullptr, 0);
    if (length <= 1) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CodePage, MB_PRECOMPOSED, Text.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return std::u16string(wide.begin(), wide.end());
}

} // namespace AnsiText
