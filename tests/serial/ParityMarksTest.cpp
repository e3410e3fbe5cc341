#include "serial/ParityMarks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct MarkCase {
    const char* name;
    Bytes raw;
    Bytes decoded;
};

class ParityMarksTest : public testing::TestWithParam<MarkCase> {};

// Decodes Raw fed in pieces of Piece bytes, as reads of a port would hand it over.
Bytes DecodeInPieces(const Bytes& Raw, size_t Piece) {
    ParityMarks::Decoder decoder;
    Bytes out;
    for (size_t at = 0; at < Raw.size(); at += Piece) {
        Bytes chunk(Raw.begin() + static_cast<long>(at),
                    Raw.begin() + static_cast<long>(std::min(Raw.size(), at + Piece)));
        const size_t n = decoder.Decode(chunk.data(), chunk.size());
        EXPECT_LE(n, chunk.size());
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
    }
    return out;
}

TEST_P(ParityMarksTest, DecodesWhateverTheReadBoundaries) {
    for (size_t piece = 1; piece <= GetParam().raw.size(); ++piece)
        EXPECT_EQ(DecodeInPieces(GetParam().raw, piece), GetParam().decoded) << "pieces of " << piece;
}

INSTANTIATE_TEST_SUITE_P(
    Marks, ParityMarksTest,
    testing::Values(MarkCase{"Plain", {0x01, 0x00, 0xFE, 0x03}, {0x01, 0x00, 0xFE, 0x03}},
                    MarkCase{"DoubledFF", {0xFF, 0xFF}, {0xFF}},
                    MarkCase{"FramesOfFF", {0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xFA}, {0x03, 0xFF, 0xFF, 0xFA}},
                    MarkCase{"ParityErrorOnByte", {0x10, 0xFF, 0x00, 0x41, 0x11}, {0x10, 0x41, 0x11}},
                    MarkCase{"ParityErrorOnZero", {0xFF, 0x00, 0x00}, {0x00}},
                    MarkCase{"ParityErrorOnFF", {0xFF, 0x00, 0xFF, 0x05}, {0xFF, 0x05}},
                    MarkCase{"MarkThenDoubledFF", {0xFF, 0x00, 0x7E, 0xFF, 0xFF, 0x00}, {0x7E, 0xFF, 0x00}}),
    [](const testing::TestParamInfo<MarkCase>& row) { return row.param.name; });

TEST(ParityMarksResetTest, ResetForgetsAHalfMark) {
    ParityMarks::Decoder decoder;
    Bytes first{0x01, 0xFF};
    EXPECT_EQ(decoder.Decode(first.data(), first.size()), 1u);
    decoder.Reset();
    // Without the reset the 0x00 would begin an error mark and swallow itself.
    Bytes second{0x00, 0x02};
    ASSERT_EQ(decoder.Decode(second.data(), second.size()), 2u);
    EXPECT_EQ(second, (Bytes{0x00, 0x02}));
}

} // namespace
