#include "protocol/PackedDecimal.h"

#include <numeric>
#include <span>

namespace PackedDecimal {

int64_t BcdToInt(const uint8_t* Data, int Count) {
    if (Data == nullptr || Count <= 0) {
        return 0;
    }
    const std::span bytes(Data, static_cast<std::size_t>(Count));
    return std::accumulate(bytes.begin(), bytes.end(), int64_t{0},
                           [](int64_t value, uint8_t b) { return value * 100 + (b >> 4) * 10 + (b & 0x0F); });
}

std::string BcdToText(const uint8_t* Data, int Count) {
    std::string text;
    if (Data == nullptr || Count <= 0) {
        return text;
    }
    text.reserve(2 * static_cast<std::size_t>(Count));
    for (uint8_t b : std::span(Data, static_cast<std::size_t>(Count))) {
        text += static_cast<char>('0' + (b >> 4));
        text += static_cast<char>('0' + (b & 0x0F));
    }
    return text;
}

} // namespace PackedDecimal
