#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "link/LinkFrame.h"
#include "protocol/crc16c.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes WithCrc(Bytes Body) {
    const uint16_t crc = crc16c::Crc16(0, Body.data(), static_cast<int32_t>(Body.size()));
    Body.push_back(static_cast<uint8_t>(crc & 0xFF));
    Body.push_back(static_cast<uint8_t>(crc >> 8));
    return Body;
}

// A DATA reply as the controller sends it: body with CRC, stuffed, ETX, SF.
Bytes Reply(uint8_t Adr, uint8_t Control, const Bytes& Payload) {
    Bytes body{Adr, Control};
    body.insert(body.end(), Payload.begin(), Payload.end());
    Bytes frame = LinkFrame::Stuff(WithCrc(body));
    frame.push_back(0x03);
    frame.push_back(0xFA);
    return frame;
}

TEST(LinkFrameTest, WireExamples) {
    EXPECT_EQ(LinkFrame::DataFrame(0xFF, 1, Bytes{0x80, 0x01, 0x00}),
              (Bytes{0xFF, 0x31, 0x80, 0x01, 0x00, 0x1A, 0x90, 0x03, 0xFA}));
    EXPECT_EQ(LinkFrame::DataFrame(0xFF, 2, Bytes{0xC7, 0x01, 0xFA}),
              (Bytes{0xFF, 0x32, 0xC7, 0x01, 0x10, 0xFA, 0x2A, 0x82, 0x03, 0xFA}));
    const auto poll = LinkFrame::PollFrame(0xFF);
    EXPECT_EQ(Bytes(poll.begin(), poll.end()), (Bytes{0xFF, 0x20, 0xFA}));
    const auto ack = LinkFrame::AckFrame(0xFF, 3);
    EXPECT_EQ(Bytes(ack.begin(), ack.end()), (Bytes{0xFF, 0xC3, 0xFA}));
}

struct StuffCase {
    Bytes Body;
    Bytes Wire;
};

class StuffingTest : public testing::TestWithParam<StuffCase> {};

TEST_P(StuffingTest, StuffsAndUnstuffs) {
    EXPECT_EQ(LinkFrame::Stuff(GetParam().Body), GetParam().Wire);
    EXPECT_EQ(LinkFrame::Unstuff(GetParam().Wire), GetParam().Body);
}

INSTANTIATE_TEST_SUITE_P(Bodies, StuffingTest,
                         testing::Values(StuffCase{{}, {}}, StuffCase{{0x01, 0x02}, {0x01, 0x02}},
                                         StuffCase{{0xFA}, {0x10, 0xFA}},
                                         StuffCase{{0xFA, 0xFA}, {0x10, 0xFA, 0x10, 0xFA}},
                                         StuffCase{{0x10, 0x55}, {0x10, 0x55}}, StuffCase{{0x10}, {0x10}},
                                         StuffCase{{0x10, 0xFA}, {0x10, 0x10, 0xFA}},
                                         StuffCase{{0x03, 0xFA, 0x03}, {0x03, 0x10, 0xFA, 0x03}}));

TEST(LinkFrameTest, CrcHoldingSfIsStuffedButEtxAndSfAreNot) {
    // Look for a one-byte payload whose CRC holds 0xFA so the CRC bytes get stuffed too.
    for (int b = 0; b < 256; ++b) {
        const Bytes body = WithCrc({0xFF, 0x31, 0x01, 0x01, static_cast<uint8_t>(b)});
        if (body[5] != 0xFA && body[6] != 0xFA) {
            continue;
        }
        const Bytes frame = LinkFrame::DataFrame(0xFF, 1, Bytes{0x01, 0x01, static_cast<uint8_t>(b)});
        Bytes expected = LinkFrame::Stuff(body);
        expected.insert(expected.end(), {0x03, 0xFA});
        EXPECT_EQ(frame, expected);
        EXPECT_GT(frame.size(), body.size() + 2);
        return;
    }
    FAIL() << "no payload byte gives a CRC with 0xFA";
}

TEST(LinkFrameTest, EmptyDataReplyIsValid) {
    const Bytes reply = Reply(0xFF, 0x35, {});
    ASSERT_EQ(reply.size(), 6u);
    const auto data = LinkFrame::AcceptData(reply, 0xFF);
    EXPECT_EQ(data.Status, LinkFrame::TDataStatus::Accepted);
    EXPECT_EQ(data.Tx, 5);
    EXPECT_TRUE(data.Payload.empty());
}

TEST(LinkFrameTest, StuffedPayloadIsUnstuffed) {
    const Bytes payload{0x01, 0x03, 0xFA, 0x10, 0x22};
    const Bytes reply = Reply(0xFF, 0x30, payload);
    ASSERT_EQ(reply.size(), 2 + payload.size() + 1 + 2 + 2);
    const auto data = LinkFrame::AcceptData(reply, 0xFF);
    ASSERT_EQ(data.Status, LinkFrame::TDataStatus::Accepted);
    EXPECT_EQ(data.Payload, payload);
}

TEST(LinkFrameTest, BadCrcReportsBothValues) {
    Bytes reply = Reply(0xFF, 0x31, {0x01, 0x01, 0x05});
    const uint16_t good = static_cast<uint16_t>(reply[5] | (reply[6] << 8));
    reply[5] ^= 0x01;
    const auto data = LinkFrame::AcceptData(reply, 0xFF);
    EXPECT_EQ(data.Status, LinkFrame::TDataStatus::BadCrc);
    EXPECT_EQ(data.ComputedCrc, good);
    EXPECT_EQ(data.ReceivedCrc, good ^ 0x01);
    EXPECT_TRUE(data.Payload.empty());
}

struct RejectCase {
    const char* Name;
    Bytes Reply;
    LinkFrame::TDataStatus Status;
};

class DataReplyTest : public testing::TestWithParam<RejectCase> {};

TEST_P(DataReplyTest, Classifies) {
    EXPECT_EQ(LinkFrame::AcceptData(GetParam().Reply, 0xFF).Status, GetParam().Status);
}

Bytes Oversize() {
    Bytes payload(250, 0x00);
    payload[0] = 0x55;
    payload[1] = 248;
    Bytes reply = Reply(0xFF, 0x31, payload);
    reply.resize(256, 0x00);
    reply.back() = 0xFA;
    reply[254] = 0x03;
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DataReplyTest,
    testing::Values(
        RejectCase{"Empty", {}, LinkFrame::TDataStatus::Rejected},
        RejectCase{"TwoBytes", {0xFF, 0xFA}, LinkFrame::TDataStatus::Rejected},
        RejectCase{"ThreeByteData", {0xFF, 0x31, 0xFA}, LinkFrame::TDataStatus::Control},
        RejectCase{"ThreeByteAck", {0xFF, 0xC1, 0xFA}, LinkFrame::TDataStatus::Control},
        RejectCase{"OtherAddress", Reply(0x01, 0x31, {}), LinkFrame::TDataStatus::Rejected},
        RejectCase{"NoSf", {0xFF, 0x31, 0x00, 0x00, 0x03, 0xFB}, LinkFrame::TDataStatus::Rejected},
        RejectCase{"NoEtx", {0xFF, 0x31, 0x00, 0x00, 0x04, 0xFA}, LinkFrame::TDataStatus::Rejected},
        RejectCase{"NotData", {0xFF, 0xC1, 0x00, 0x00, 0x03, 0xFA}, LinkFrame::TDataStatus::Rejected},
        RejectCase{"FiveBytes", {0xFF, 0x31, 0x00, 0x03, 0xFA}, LinkFrame::TDataStatus::Rejected},
        RejectCase{
            "CrcLostToUnstuffing", {0xFF, 0x31, 0x10, 0xFA, 0x03, 0xFA}, LinkFrame::TDataStatus::Rejected},
        RejectCase{"WholeRead", Oversize(), LinkFrame::TDataStatus::Rejected}),
    [](const testing::TestParamInfo<RejectCase>& row) { return row.param.Name; });

using LinkFrame::TReplyFault;

struct JudgeRow {
    const char* Name;
    Bytes Reply;
    uint8_t Kind; // the request: kData (TX 2) or kPoll, both to FF
    TReplyFault Fault;
    int Got = 0, Wanted = 0;
    bool WholeFrame = false;
};

void PrintTo(const JudgeRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class JudgeReplyTest : public testing::TestWithParam<JudgeRow> {};

TEST_P(JudgeReplyTest, NamesTheFirstCheckThatFails) {
    const JudgeRow& row = GetParam();
    const LinkFrame::TReplyVerdict verdict =
        LinkFrame::JudgeReply(row.Reply, {.Kind = row.Kind, .Tx = 2, .Address = 0xFF});
    EXPECT_EQ(verdict.Fault, row.Fault);
    EXPECT_EQ(verdict.Got, row.Got);
    EXPECT_EQ(verdict.Wanted, row.Wanted);
    EXPECT_EQ(verdict.WholeFrame(), row.WholeFrame);
    EXPECT_EQ(verdict.ToPoll, row.Kind == LinkFrame::kPoll);
}

constexpr uint8_t kData = LinkFrame::kData, kPoll = LinkFrame::kPoll;

INSTANTIATE_TEST_SUITE_P(
    Replies, JudgeReplyTest,
    testing::Values(
        // Replies to a DATA frame: a 3-byte ACK with the frame's TX.
        JudgeRow{"Ack", {0xFF, 0xC2, 0xFA}, kData, TReplyFault::None, 0, 0, true},
        JudgeRow{"Nothing", {}, kData, TReplyFault::NoReply},
        JudgeRow{"FourBytes", {0xFF, 0xC2, 0xFA, 0x00}, kData, TReplyFault::WrongLength, 4, 3},
        JudgeRow{"AckFromElsewhere", {0xFE, 0xC2, 0xFA}, kData, TReplyFault::OtherAddress, 0xFE, 0xFF},
        JudgeRow{"NoStopFlag", {0xFF, 0xC2, 0xFB}, kData, TReplyFault::NoStopFlag},
        JudgeRow{"Nak", {0xFF, 0x57, 0xFA}, kData, TReplyFault::Nak, 0, 0, true},
        JudgeRow{"Eot", {0xFF, 0x70, 0xFA}, kData, TReplyFault::Eot, 0, 0, true},
        JudgeRow{"AckOfAnotherTx", {0xFF, 0xC3, 0xFA}, kData, TReplyFault::OtherTx, 3, 2, true},
        JudgeRow{"UnknownKind", {0xFF, 0x91, 0xFA}, kData, TReplyFault::UnknownKind, 0x91, 0, true},
        // Replies to a poll: EOT, or a DATA frame whose CRC holds.
        JudgeRow{"PollEot", {0xFF, 0x70, 0xFA}, kPoll, TReplyFault::None, 0, 0, true},
        JudgeRow{"PollData", Reply(0xFF, 0x33, {0x01, 0x01, 0x05}), kPoll, TReplyFault::None, 0, 0, true},
        JudgeRow{"PollNothing", {}, kPoll, TReplyFault::NoReply},
        JudgeRow{"PollTwoBytes", {0xFF, 0xFA}, kPoll, TReplyFault::TooShort, 2, 3},
        JudgeRow{"PollFromElsewhere", Reply(0x01, 0x33, {}), kPoll, TReplyFault::OtherAddress, 0x01, 0xFF},
        JudgeRow{"PollNoStopFlag", {0xFF, 0x31, 0x00, 0x00, 0x03, 0xFB}, kPoll, TReplyFault::NoStopFlag},
        JudgeRow{"PollNak", {0xFF, 0x51, 0xFA}, kPoll, TReplyFault::NotEot, 0x51, 0, true},
        JudgeRow{"PollNotData", {0xFF, 0xC1, 0x00, 0x00, 0x03, 0xFA}, kPoll, TReplyFault::NotData, 6},
        JudgeRow{"PollWholeRead", Oversize(), kPoll, TReplyFault::NotData, 256}),
    [](const testing::TestParamInfo<JudgeRow>& row) { return row.param.Name; });

TEST(JudgeReplyTest, AcceptedDataCarriesItsTxAndRecords) {
    const auto verdict =
        LinkFrame::JudgeReply(Reply(0xFF, 0x34, {0x01, 0x01, 0xFA}), {.Kind = kPoll, .Address = 0xFF});
    ASSERT_TRUE(verdict.Accepted());
    EXPECT_EQ(verdict.Kind, LinkFrame::kData);
    EXPECT_EQ(verdict.Tx, 4);
    EXPECT_EQ(verdict.Payload, (Bytes{0x01, 0x01, 0xFA}));
}

TEST(JudgeReplyTest, BadCrcReportsBothValues) {
    Bytes reply = Reply(0xFF, 0x31, {0x01, 0x01, 0x05});
    const uint16_t good = static_cast<uint16_t>(reply[5] | (reply[6] << 8));
    reply[5] ^= 0x01;
    const auto verdict = LinkFrame::JudgeReply(reply, {.Kind = kPoll, .Address = 0xFF});
    EXPECT_EQ(verdict.Fault, TReplyFault::BadCrc);
    EXPECT_EQ(verdict.Computed, good);
    EXPECT_EQ(verdict.Received, good ^ 0x01);
    EXPECT_FALSE(verdict.WholeFrame());
}

struct Visited {
    uint8_t Trans;
    Bytes Data;
    bool operator==(const Visited&) const = default;
};

std::vector<Visited> Walk(const Bytes& Payload) {
    std::vector<Visited> seen;
    LinkFrame::WalkPayload(Payload, [&seen](uint8_t Trans, std::span<const uint8_t> Data) {
        seen.push_back({Trans, Bytes(Data.begin(), Data.end())});
    });
    return seen;
}

TEST(WalkPayloadTest, VisitsEveryRecordInOrder) {
    EXPECT_EQ(Walk({0x01, 0x01, 0x07, 0x44, 0x00, 0x09, 0x02, 0xAB, 0xCD}),
              (std::vector<Visited>{{0x01, {0x07}}, {0x44, {}}, {0x09, {0xAB, 0xCD}}}));
    EXPECT_TRUE(Walk({}).empty());
}

TEST(WalkPayloadTest, RecordRunningPastTheEndDropsTheRest) {
    EXPECT_EQ(Walk({0x01, 0x01, 0x07, 0x02, 0x08, 0x12, 0x34}), (std::vector<Visited>{{0x01, {0x07}}}));
    // A lone TRANS byte without its LNG.
    EXPECT_EQ(Walk({0x01, 0x01, 0x07, 0x02}), (std::vector<Visited>{{0x01, {0x07}}}));
}

} // namespace
