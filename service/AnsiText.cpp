#include "service/AnsiText.h"

namespace AnsiText {

std::u16string Utf16(const std::string& Text) {
    constexpr char16_t kReplacement = 0xFFFD;
    std::u16string wide;
    wide.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size();) {
        const auto lead = static_cast<unsigned char>(Text[i]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                                           : 0;
        bool whole = length > 0 && i + length <= Text.size();
        char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : lead & 0x0F;
        for (std::size_t k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(Text[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        wide.push_back(whole ? static_cast<char16_t>(code) : kReplacement);
        i += whole ? length : 1;
    }
    return wide;
}

} // namespace AnsiText
