#pragma once
// A noisy line: each data bit of every byte that passes is flipped with one fixed probability, drawn
// from a seeded Mersenne Twister, so that a run can be repeated exactly. Which bits flip depends
// only on the seed and on how many bytes passed before, not on how they were cut into reads and
// writes. A pseudo-terminal carries only the eight data bits of a character: start, parity and
// stop bits cannot be hit here.

#include <cstdint>
#include <random>
#include <span>

namespace SimNoise {

// Which way the bytes go; each way has a generator of its own, so that the noise on one does not
// depend on how many bytes went the other way.
enum class Direction : uint32_t { ToController = 1, ToTool = 2 };

class Line {
public:
    // Rate 0 (or below) leaves every byte alone, 1 (or above) flips every bit.
    Line(double Rate, uint64_t Seed, Direction Way);

    // Flips bits of Bytes in place, continuing from the bytes passed before; the count of bits flipped.
    uint64_t Apply(std::span<uint8_t> Bytes);

private:
    uint64_t Gap(); // clean bits before the next flipped one

    double rate;
    double logClean = 0; // log(1 - rate)
    std::mt19937_64 random;
    uint64_t untilFlip = 0;
};

} // namespace SimNoise
