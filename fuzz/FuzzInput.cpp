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

std::vector<Bytes> TReader::Answers() {
    std::vector<Bytes> answers;
    while (!rest.empty()) {
        std::size_t length = Byte();
        if (length == kExtendedLength) {
            length += Byte();
        }
        const std::size_t taken = std::min(length, rest.size());
        answers.emplace_back(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(taken));
        rest = rest.subspan(taken);
    }
    return answers;
}

} // namespace FuzzInput
