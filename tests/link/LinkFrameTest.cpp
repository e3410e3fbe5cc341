#include <gtest/gtest.h>

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

TEST(LinkFrameTest, ControlReply) {
    LinkFrame::TControlReply out;
    ASSERT_TRUE(LinkFrame::AcceptControl(Bytes{0xFF, 0x57, 0xFA}, 0xFF, out));
    EXPECT_EQ(out.Kind, LinkFrame::kNak);
    EXPECT_EQ(out.Tx, 7);
    EXPECT_FALSE(LinkFrame::AcceptControl(Bytes{0xFE, 0xC1, 0xFA}, 0xFF, out));
    EXPECT_FALSE(LinkFrame::AcceptControl(Bytes{0xFF, 0xC1, 0xFB}, 0xFF, out));
    EXPECT_FALSE(LinkFrame::AcceptControl(Bytes{0xFF, 0xC1, 0xFA, 0x00}, 0xFF, out));
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
