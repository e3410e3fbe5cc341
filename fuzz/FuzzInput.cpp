#include "fuzz/FuzzInput.h"

#include <algorithm>

namespace FuzzInput {

namespace {
// A length byte of this value is followed by a second one that adds to it.
constexpr std::size_t kExtendedLength = 255;
} // namespace

uint8_t TReader::Byte() {
    if (rest.empty()) {
        return 0;
    }
    const uint8_t b = rest.front();
    rest = rest.subspan(1);
    return b;
}

void TReader::Answers(std::vector<Piece>& Out) {
    Out.clear();
    while (!rest.empty()) {
        std::size_t length = Byte();
        if (length == kExtendedLength) {
            length += Byte();
        }
        const std::size_t taken = std::min(length, rest.size());
        Out.push_back(rest.first(taken));
        rest = rest.subspan(taken);
    }
}

} // namespace FuzzInput
