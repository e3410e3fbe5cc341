#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <random>
#include <vector>

#include "protocol/CommandFrame.h"

namespace {

using Bytes = std::vector<uint8_t>;
using CommandFrame::Area;

Area Load(const Bytes& bytes) {
    Area area{};
    area[0] = static_cast<uint8_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), area.begin() + 1);
    return area;
}

Bytes Content(const Area& area) {
    return Bytes(area.begin() + 1, area.begin() + 1 + area[0]);
}

struct FrameRow {
    const char* Name;
    Bytes Body;
    Bytes Wire;
};

void PrintTo(const FrameRow& row, std::ostream* os) {
    *os << row.Name;
}

class BuildFrameTest : public testing::TestWithParam<FrameRow> {};

TEST_P(BuildFrameTest, SendsExactBytes) {
    Area tx = Load(GetParam().Body), scratch{};
    ASSERT_TRUE(CommandFrame::BuildFrame(tx, scratch));
    EXPECT_EQ(Content(tx), GetParam().Wire);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, BuildFrameTest,
    testing::Values(FrameRow{"AddressQuery", {0x00, 0x85}, {0x00, 0x85, 0xC1, 0xA3, 0x03, 0xFF}},
                    FrameRow{"StateRequest", {0x01, 0x01}, {0x01, 0x01, 0xC0, 0x50, 0x03, 0xFF}},
                    FrameRow{"ReadParameter1",
                             {0x01, 0x0F, 0x01, 0x01},
                             {0x01, 0x0F, 0x01, 0x01, 0xF1, 0xAF, 0x03, 0xFF}},
                    FrameRow{"StuffedBody", {0x10, 0xFF}, {0x10, 0x10, 0xFF, 0x4D, 0x80, 0x03, 0xFF}},
                    FrameRow{"EnterUpdateMode",
                             {0x01, 0xA5, 0x06, 0x01, 0x12, 0x34, 0x56, 0x78, 0x90},
                             {0x01, 0xA5, 0x06, 0x01, 0x12, 0x34, 0x56, 0x78, 0x90, 0xD4, 0x49, 0x03, 0xFF}},
                    // Checksum 0xFF10 goes out as 10 FF and is stuffed like the body.
                    FrameRow{"StuffedChecksum", {0x3C, 0x54}, {0x3C, 0x54, 0x10, 0x10, 0xFF, 0x03, 0xFF}},
                    // A body ending in 0x10 followed by a checksum low byte 0xFF.
                    FrameRow{"StuffedAcrossBodyAndChecksum",
                             {0x02, 0xD4, 0x10},
                             {0x02, 0xD4, 0x10, 0x10, 0xFF, 0x0C, 0x03, 0xFF}},
                    // 0xFF after anything but 0x10 is left alone; the trailer is never stuffed.
                    FrameRow{"LoneFF", {0xFF, 0xFF}, {0xFF, 0xFF, 0x01, 0xB0, 0x03, 0xFF}}),
    [](const auto& row) { return row.param.Name; });

struct StuffRow {
    Bytes Raw;
    Bytes Stuffed;
};

class StuffingTest : public testing::TestWithParam<StuffRow> {};

TEST_P(StuffingTest, BothWays) {
    std::array<uint8_t, 64> out{};
    const auto stuffed = CommandFrame::Stuff(GetParam().Raw, out);
    ASSERT_TRUE(stuffed);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + *stuffed), GetParam().Stuffed);
    const auto unstuffed = CommandFrame::Unstuff(GetParam().Stuffed, out);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + unstuffed), GetParam().Raw);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StuffingTest,
    testing::Values(StuffRow{{}, {}}, StuffRow{{0x10, 0xFF}, {0x10, 0x10, 0xFF}},
                    StuffRow{{0xFF, 0x10}, {0xFF, 0x10}}, StuffRow{{0xFF, 0xFF}, {0xFF, 0xFF}},
                    StuffRow{{0x10, 0x10, 0xFF}, {0x10, 0x10, 0x10, 0xFF}},
                    StuffRow{{0x10, 0xFF, 0xFF}, {0x10, 0x10, 0xFF, 0xFF}},
                    StuffRow{{0x10, 0xFF, 0x10, 0xFF}, {0x10, 0x10, 0xFF, 0x10, 0x10, 0xFF}}));

TEST(Stuffing, RoundTripsAnyBytes) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> pick(0, 3);
    const std::array<uint8_t, 4> alphabet{0x10, 0xFF, 0x00, 0x03}; // the bytes that matter, densely
    for (int round = 0; round < 500; ++round) {
        Bytes raw(static_cast<std::size_t>(round % 40));
        std::generate(raw.begin(), raw.end(),
                      [&] { return alphabet[static_cast<std::size_t>(pick(random))]; });
        std::array<uint8_t, 128> stuffed{}, back{};
        const auto n = CommandFrame::Stuff(raw, stuffed);
        ASSERT_TRUE(n);
        const auto m = CommandFrame::Unstuff(std::span(stuffed).first(*n), back);
        ASSERT_EQ(Bytes(back.begin(), back.begin() + m), raw);
    }
}

TEST(Stuffing, RefusesWhatDoesNotFit) {
    std::array<uint8_t, 3> out{};
    EXPECT_FALSE(CommandFrame::Stuff(Bytes{0x10, 0xFF}, std::span(out).first(2)));
    EXPECT_EQ(CommandFrame::Stuff(Bytes{0x10, 0xFF}, out), 3u);
    EXPECT_FALSE(CommandFrame::Stuff(Bytes{1, 2, 3, 4}, out));
}

TEST(BuildFrame, RefusesAFrameLongerThan255Bytes) {
    Area scratch{};
    // 251 body bytes + checksum + trailer is exactly 255.
    Area fits = Load(Bytes(251, 0x00));
    ASSERT_TRUE(CommandFrame::BuildFrame(fits, scratch));
    EXPECT_EQ(fits[0], 255);

    Area tooLong = Load(Bytes(252, 0x00));
    EXPECT_FALSE(CommandFrame::BuildFrame(tooLong, scratch));
    EXPECT_EQ(tooLong[0], 0);

    // 251 bytes fit before stuffing, not after it.
    Bytes stuffedOver(251, 0x00);
    stuffedOver[0] = 0x10;
    stuffedOver[1] = 0xFF;
    Area grows = Load(stuffedOver);
    EXPECT_FALSE(CommandFrame::BuildFrame(grows, scratch));
    EXPECT_EQ(grows[0], 0);

    Area longest = Load(Bytes(255, 0xFF));
    EXPECT_FALSE(CommandFrame::BuildFrame(longest, scratch));
}

using CommandFrame::TFault;
using CommandFrame::TVerdict;

// An answer as the controller sends it: Body, its checksum, stuffed, and the trailer.
Bytes Framed(const Bytes& Body) {
    Area tx = Load(Body), scratch{};
    EXPECT_TRUE(CommandFrame::BuildFrame(tx, scratch));
    return Content(tx);
}

const Bytes kStateBody{0x01, 0x01, 0x03, 0x05, 0x01, 0x80};
const Bytes kState{0x01, 0x01, 0x03, 0x05, 0x01, 0x80, 0x2C, 0x64, 0x03, 0xFF};

// The longest read that is no overrun, all of it 10 FF pairs that unstuff to half as much.
Bytes LongestRead() {
    Bytes raw(255, 0x10);
    std::transform(raw.begin(), raw.end(), raw.begin(),
                   [i = 0](uint8_t b) mutable { return i++ % 2 ? 0xFF : b; });
    return raw;
}

struct JudgeRow {
    const char* Name;
    Bytes Raw;
    std::optional<CommandFrame::Expected> Want;
    TVerdict Verdict;
};

void PrintTo(const JudgeRow& row, std::ostream* os) {
    *os << row.Name;
}

class JudgeAnswerTest : public testing::TestWithParam<JudgeRow> {};

TEST_P(JudgeAnswerTest, NamesTheFirstCheckThatFails) {
    Area answer{};
    EXPECT_EQ(CommandFrame::JudgeAnswer(GetParam().Raw, GetParam().Want, answer), GetParam().Verdict);
    EXPECT_LE(answer[0], 255);
}

// What the framing alone makes of a read: every check up to the trailer.
INSTANTIATE_TEST_SUITE_P(
    Framing, JudgeAnswerTest,
    testing::Values(
        JudgeRow{"State", kState, std::nullopt, {}},
        JudgeRow{"Stuffed", {0x01, 0x0F, 0x02, 0x10, 0x10, 0xFF, 0xD2, 0x94, 0x03, 0xFF}, std::nullopt, {}},
        JudgeRow{"Empty", {}, std::nullopt, {.Fault = TFault::NoAnswer}},
        // Well formed with no data and a right checksum, but shorter than any answer.
        JudgeRow{"SevenBytes",
                 {0x01, 0x02, 0x00, 0x50, 0xA0, 0x03, 0xFF},
                 std::nullopt,
                 {.Fault = TFault::TooShort, .Got = 7, .Wanted = 8}},
        JudgeRow{"TrailerFE",
                 {0x01, 0x01, 0x03, 0x05, 0x01, 0x80, 0x2C, 0x64, 0x03, 0xFE},
                 std::nullopt,
                 {.Fault = TFault::Trailer, .Trailer = {0x03, 0xFE}}},
        JudgeRow{"Trailer02",
                 {0x01, 0x01, 0x03, 0x05, 0x01, 0x80, 0x2C, 0x64, 0x02, 0xFF},
                 std::nullopt,
                 {.Fault = TFault::Trailer, .Trailer = {0x02, 0xFF}}},
        JudgeRow{"ChecksumSwapped",
                 {0x01, 0x01, 0x03, 0x05, 0x01, 0x80, 0x64, 0x2C, 0x03, 0xFF},
                 std::nullopt,
                 {.Fault = TFault::Checksum, .Received = 0x2C64, .Computed = 0x642C}},
        JudgeRow{"ChecksumOffByOne",
                 {0x01, 0x01, 0x03, 0x05, 0x01, 0x80, 0x2D, 0x64, 0x03, 0xFF},
                 std::nullopt,
                 {.Fault = TFault::Checksum, .Received = 0x642D, .Computed = 0x642C}},
        // Unstuffed, the 10 FF of the data loses its 10 and the checksum no longer holds.
        JudgeRow{"NotStuffedOnTheWire",
                 {0x01, 0x0F, 0x02, 0x10, 0xFF, 0xD2, 0x94, 0x03, 0xFF},
                 std::nullopt,
                 {.Fault = TFault::Checksum, .Received = 0x94D2, .Computed = 0xDF70}},
        JudgeRow{"StaleInFront",
                 {0x55, 0x01, 0x01, 0x03, 0x05, 0x01, 0x80, 0x2C, 0x64, 0x03, 0xFF},
                 std::nullopt,
                 {.Fault = TFault::Checksum, .Received = 0x642C, .Computed = 0x6129}},
        JudgeRow{"WholeRead",
                 Bytes(256, 0x00),
                 std::nullopt,
                 {.Fault = TFault::Overrun, .Got = 256, .Wanted = 255}},
        JudgeRow{"LongestReadUnstuffsToNothingValid",
                 LongestRead(),
                 std::nullopt,
                 {.Fault = TFault::Checksum, .Received = 0xFFFF, .Computed = 0x9555}}),
    [](const auto& row) { return row.param.Name; });

const Bytes kQueryAnswer{0x00, 0x85, 0x02, 0x01, 0x02};

// The header checks, on answers whose framing holds.
INSTANTIATE_TEST_SUITE_P(
    Header, JudgeAnswerTest,
    testing::Values(
        JudgeRow{"Expected", Framed(kStateBody), CommandFrame::Expected{1, false, 0x01, 3}, {}},
        JudgeRow{"OtherAddress",
                 Framed(kStateBody),
                 CommandFrame::Expected{2, false, 0x01, 3},
                 {.Fault = TFault::WrongAddress, .Got = 1, .Wanted = 2}},
        JudgeRow{"AnyAddress", Framed(kStateBody), CommandFrame::Expected{2, true, 0x01, 3}, {}},
        // The low byte of 257 is 1, but the address is compared whole.
        JudgeRow{"AddressAbove255",
                 Framed(kStateBody),
                 CommandFrame::Expected{257, false, 0x01, 3},
                 {.Fault = TFault::WrongAddress, .Got = 1, .Wanted = 257}},
        JudgeRow{"NegativeAddress",
                 Framed({0xFF, 0x01, 0x03, 0, 0, 0}),
                 CommandFrame::Expected{-1, false, 0x01, 3},
                 {.Fault = TFault::WrongAddress, .Got = 255, .Wanted = -1}},
        JudgeRow{"Address0", Framed(kQueryAnswer), CommandFrame::Expected{0, false, 0x85, 2}, {}},
        JudgeRow{"Address256",
                 Framed(kQueryAnswer),
                 CommandFrame::Expected{256, false, 0x85, 2},
                 {.Fault = TFault::WrongAddress, .Got = 0, .Wanted = 256}},
        JudgeRow{"OtherCommand",
                 Framed(kStateBody),
                 CommandFrame::Expected{1, false, 0x02, 3},
                 {.Fault = TFault::WrongCommand, .Got = 0x01, .Wanted = 0x02}},
        JudgeRow{"OtherLength",
                 Framed(kStateBody),
                 CommandFrame::Expected{1, false, 0x01, 1},
                 {.Fault = TFault::WrongLength, .Got = 3, .Wanted = 1}},
        JudgeRow{"AnyLength", Framed(kStateBody), CommandFrame::Expected{1, false, 0x01, std::nullopt}, {}},
        // The length byte promises 4 data bytes; 3 arrived.
        JudgeRow{"LengthBeyondAnswer",
                 Framed({0x01, 0x0F, 0x04, 0x01, 0x02, 0x03}),
                 CommandFrame::Expected{1, false, 0x0F, std::nullopt},
                 {.Fault = TFault::LengthBeyondData, .Got = 3, .Wanted = 4}},
        // The framing fails first: the header is not looked at.
        JudgeRow{"ChecksumBeforeAddress",
                 {0x01, 0x01, 0x03, 0x05, 0x01, 0x80, 0x2D, 0x64, 0x03, 0xFF},
                 CommandFrame::Expected{2, false, 0x02, 1},
                 {.Fault = TFault::Checksum, .Received = 0x642D, .Computed = 0x642C}}),
    [](const auto& row) { return row.param.Name; });

TEST(JudgeAnswer, LeavesTheAnswerUnstuffed) {
    Area answer{};
    const Bytes raw{0x01, 0x0F, 0x02, 0x10, 0x10, 0xFF, 0xD2, 0x94, 0x03, 0xFF};
    ASSERT_TRUE(CommandFrame::JudgeAnswer(raw, CommandFrame::Expected{1, false, 0x0F, 2}, answer).Accepted());
    EXPECT_EQ(Content(answer), (Bytes{0x01, 0x0F, 0x02, 0x10, 0xFF, 0xD2, 0x94, 0x03, 0xFF}));
    EXPECT_EQ(Bytes(CommandFrame::Data(answer).begin(), CommandFrame::Data(answer).end()),
              (Bytes{0x10, 0xFF}));
}

} // namespace
