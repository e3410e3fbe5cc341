#include "sim/SimNoise.h"

#include <cmath>
#include <limits>

namespace SimNoise {

namespace {

constexpr uint64_t kBitsPerByte = 8;
constexpr int kMantissaBits = 53; // of a double: the generator's top bits make a uniform number
constexpr double kUnit = 0x1p-53;
constexpr double kFarthest = 0x1p63; // a gap this long never ends within a run

} // namespace

Line::Line(double Rate, uint64_t Seed, Direction Way) : rate(Rate) {
    std::seed_seq seeds{static_cast<uint32_t>(Seed), static_cast<uint32_t>(Seed >> 32),
                        static_cast<uint32_t>(Way)};
    random.seed(seeds);
    if (rate > 0 && rate < 1) {
        logClean = std::log1p(-rate);
        untilFlip = Gap();
    }
}

// The geometric distribution by its inverse, from the generator's raw output alone: the standard
// library's distributions may differ between implementations, the engine may not.
uint64_t Line::Gap() {
    const double uniform = (static_cast<double>(random() >> (64 - kMantissaBits)) + 1) * kUnit; // (0, 1]
    const double gap = std::floor(std::log(uniform) / logClean);
    return gap < kFarthest ? static_cast<uint64_t>(gap) : std::numeric_limits<uint64_t>::max();
}

uint64_t Line::Apply(std::span<uint8_t> Bytes) {
    if (!(rate > 0))
        return 0;
    if (rate >= 1) {
        for (uint8_t& byte : Bytes)
            byte = static_cast<uint8_t>(~byte);
        return Bytes.size() * kBitsPerByte;
    }
    const uint64_t bits = Bytes.size() * kBitsPerByte;
    uint64_t at = 0, flipped = 0;
    while (untilFlip < bits - at) {
        at += untilFlip;
        Bytes[at / kBitsPerByte] ^= static_cast<uint8_t>(1u << (at % kBitsPerByte));
        ++at;
        ++flipped;
        untilFlip = Gap();
    }
    untilFlip -= bits - at;
    return flipped;
}

} // namespace SimNoise
