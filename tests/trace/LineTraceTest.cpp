// The trace's text form: what a saved trace reads back as, and lines that are not chunks.
#include <gtest/gtest.h>

#include "trace/LineTrace.h"

namespace {

using LineTrace::TChunk;
using LineTrace::TDirection;
using LineTrace::TEnd;

TEST(LineTraceTest, ChunksReadBackAsWritten) {
    const TChunk chunks[] = {
        {.TimeUs = 12, .Direction = TDirection::Tx, .Bytes = {0x01, 0x0F, 0xAF, 0xFF}},
        {.TimeUs = 18446744073709551615u, .Direction = TDirection::Rx, .Bytes = {0x00}, .End = TEnd::Count},
        {.TimeUs = 3, .Direction = TDirection::Rx, .Bytes = {}, .End = TEnd::Timeout},
        {.TimeUs = 4, .Direction = TDirection::Rx, .Bytes = {0x10, 0xFA}, .End = TEnd::Silence},
        {.TimeUs = 5, .Direction = TDirection::Tx, .Bytes = {0x03}, .End = TEnd::Failed},
        {.TimeUs = 6, .Direction = TDirection::Rx, .Bytes = {0x03, 0xFF}, .End = TEnd::Frame},
    };
    for (const TChunk& chunk : chunks) {
        EXPECT_EQ(LineTrace::Parse(LineTrace::Format(chunk)), chunk) << LineTrace::Format(chunk);
    }
    EXPECT_EQ(LineTrace::Format(chunks[0]), "12 TX 01 0F AF FF");
    EXPECT_EQ(LineTrace::Format(chunks[2]), "3 RX - timeout");
}

TEST(LineTraceTest, OnlyChunkLinesAreChunks) {
    for (const char* line : {"# zur-trace 1", "", "12 TX", "12 XX 01", "x TX 01", "12 TX 1", "12 TX 01 later",
                             "12 RX 01 silence 02", "-5 TX 01"}) {
        EXPECT_FALSE(LineTrace::Parse(line)) << line;
    }
    const auto tolerant = LineTrace::Parse("  7\tRX 0a fa  silence\r");
    ASSERT_TRUE(tolerant);
    EXPECT_EQ(tolerant->Bytes, (std::vector<uint8_t>{0x0A, 0xFA}));
}

} // namespace
