#pragma once
// Cutting one fuzzer input into the pieces a target needs: single bytes for its set-up, then the
// answers the line gives, one after another.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace FuzzInput {

// A stretch of the input; it lives as long as the input does.
using Piece = std::span<const uint8_t>;

// A length byte of 255 and the byte that adds to it.
inline constexpr std::size_t kLongestAnswer = 255 + 255;

class TReader {
public:
    explicit TReader(std::span<const uint8_t> Input) : rest(Input) {}

    // The next byte, or 0 once the input is used up.
    uint8_t Byte();
    // What is left, as answers, into Out (emptied first, so a caller may keep it from input to
    // input): each a length byte and that many bytes (fewer at the end). A length byte of 255
    // takes one more byte that adds to it, so whole 256-byte reads occur too.
    void Answers(std::vector<Piece>& Out);

private:
    std::span<const uint8_t> rest;
};

} // namespace FuzzInput
