// The simulated controller seen from a raw descriptor on its port: what it answers, byte for
// byte, and how its knobs shape the answers in time.

#include "sim/Simulator.h"

#include "serial/UniqueFd.h"
#include "sim/SimFrames.h"
#include "sim/SimNoise.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <numeric>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A plain descriptor on the port; reads end after a silence or at a deadline.
class RawLine {
public:
    explicit RawLine(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios tio{};
        ::tcgetattr(fd.Get(), &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd.Get(), TCSANOW, &tio);
    }
    bool IsOpen() const { return static_cast<bool>(fd); }

    int TryWrite(const Bytes& bytes) { return ::write(fd.Get(), bytes.data(), bytes.size()) < 0 ? errno : 0; }

    void Write(const Bytes& bytes) {
        ASSERT_EQ(::write(fd.Get(), bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    struct Arrival {
        Bytes bytes;
        std::vector<Clock::time_point> at; // one per byte
        int lastErrno = 0;
        bool endOfFile = false;
    };

    // Everything that arrives until `silence` passes after a byte, or `total` after the start.
    Arrival Read(milliseconds silence = milliseconds(150), milliseconds total = milliseconds(1000)) {
        Arrival got;
        const auto deadline = Clock::now() + total;
        for (;;) {
            const auto now = Clock::now();
            auto until = got.bytes.empty() ? deadline : std::min(deadline, got.at.back() + silence);
            if (now >= until)
                return got;
            pollfd p{fd.Get(), POLLIN, 0};
            const auto waitMs = std::chrono::ceil<milliseconds>(until - now).count();
            if (::poll(&p, 1, static_cast<int>(waitMs)) <= 0)
                continue;
            uint8_t chunk[512];
            const auto n = ::read(fd.Get(), chunk, sizeof chunk);
            if (n == 0) {
                got.endOfFile = true;
                return got;
            }
            if (n < 0) {
                got.lastErrno = errno;
                if (errno != EAGAIN)
                    return got;
                continue;
            }
            const auto t = Clock::now();
            for (ssize_t i = 0; i < n; ++i) {
                got.bytes.push_back(chunk[i]);
                got.at.push_back(t);
            }
        }
    }

    Bytes Exchange(const Bytes& request) {
        Write(request);
        return Read().bytes;
    }

private:
    UniqueFd fd;
};

struct SimulatorFixture : ::testing::Test {
    sim::Simulator simulator;
    RawLine line{simulator.PortPath()};
};

// Requests to address 1 with the simulator's default configuration and data.
const Bytes kGetParam1{0x01, 0x0F, 0x01, 0x01, 0xF1, 0xAF, 0x03, 0xFF};
const Bytes kGetParam1Answer{0x01, 0x0F, 0x02, 0x01, 0x01, 0x5F, 0x44, 0x03, 0xFF};
const Bytes kGetState{0x01, 0x01, 0xC0, 0x50, 0x03, 0xFF};
const Bytes kGetStateAnswer{0x01, 0x01, 0x03, 0x01, 0x01, 0x00, 0x6C, 0x05, 0x03, 0xFF};
const Bytes kProbe{0xFF, 0x31, 0x80, 0x01, 0x00, 0x1A, 0x90, 0x03, 0xFA};
const Bytes kPoll{0xFF, 0x20, 0xFA};
const Bytes kEnterUpdateMode{0x01, 0xA5, 0x06, 0x01, 0x12, 0x34, 0x56, 0x78, 0x90, 0xD4, 0x49, 0x03, 0xFF};

struct CommandCase {
    const char* name;
    Bytes request;
    Bytes answer; // empty: no answer
};

class CommandAnswerTest : public SimulatorFixture, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandAnswerTest, AnswersByteExactly) {
    EXPECT_EQ(line.Exchange(GetParam().request), GetParam().answer);
    ASSERT_EQ(simulator.WaitForFrames(1, milliseconds(1000)), 1u);
    EXPECT_EQ(simulator.ReceivedFrames()[0], GetParam().request);
    EXPECT_EQ(simulator.ExchangeCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandAnswerTest,
    ::testing::Values(
        CommandCase{"GetParamAddr1", kGetParam1, kGetParam1Answer},
        CommandCase{"GetParamSerialNo",
                    {0x01, 0x0F, 0x01, 0x65, 0xF0, 0x44, 0x03, 0xFF},
                    {0x01, 0x0F, 0x06, 0x65, 0x12, 0x34, 0x56, 0x78, 0x90, 0x56, 0x6A, 0x03, 0xFF}},
        CommandCase{"GetAddresses",
                    {0x00, 0x85, 0xC1, 0xA3, 0x03, 0xFF},
                    {0x00, 0x85, 0x02, 0x01, 0x02, 0x08, 0x9D, 0x03, 0xFF}},
        CommandCase{"GetState", kGetState, kGetStateAnswer},
        CommandCase{"GetAmountBothKinds",
                    {0x01, 0x04, 0x01, 0x03, 0x01, 0xAC, 0x03, 0xFF},
                    {0x01, 0x04, 0x0D, 0x03, 0x01, 0x12, 0x34, 0x56, 0x78, 0x90,
                     0x02, 0x98, 0x76, 0x54, 0x32, 0x10, 0x01, 0x2E, 0x03, 0xFF}},
        CommandCase{
            "GetSummOneKind",
            {0x01, 0x06, 0x02, 0x05, 0x01, 0x5E, 0x18, 0x03, 0xFF},
            {0x01, 0x06, 0x08, 0x05, 0x01, 0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x9C, 0xF6, 0x03, 0xFF}},
        // 10 FF in the request travels stuffed; the index 0x10 comes back.
        CommandCase{"GetSummStuffedRequest",
                    {0x01, 0x06, 0x02, 0x10, 0x10, 0xFF, 0xD1, 0x08, 0x03, 0xFF},
                    {0x01, 0x06, 0x0F, 0x10, 0x01, 0x12, 0x34, 0x56, 0x78, 0x90, 0x12,
                     0x02, 0x98, 0x76, 0x54, 0x32, 0x10, 0x98, 0x94, 0x24, 0x03, 0xFF}},
        CommandCase{"OtherAddressIsSilent", {0x02, 0x01, 0xC0, 0xA0, 0x03, 0xFF}, {}},
        CommandCase{"UnknownCodeIsSilent", {0x01, 0x07, 0x40, 0x52, 0x03, 0xFF}, {}},
        CommandCase{"WrongSerialNumberIsSilent",
                    {0x01, 0xA5, 0x06, 0x01, 0x12, 0x34, 0x56, 0x78, 0x91, 0x15, 0x89, 0x03, 0xFF},
                    {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SimulatorFixture, StuffsAnAnswerHolding10FF) {
    auto config = simulator.Config();
    config.FwVersion = "10??000000"; // '?' packs to the nibble F
    simulator.SetConfig(config);
    EXPECT_EQ(line.Exchange({0x01, 0x0F, 0x01, 0x64, 0x31, 0x84, 0x03, 0xFF}),
              (Bytes{0x01, 0x0F, 0x06, 0x64, 0x10, 0x10, 0xFF, 0x00, 0x00, 0x00, 0xD2, 0x23, 0x03, 0xFF}));
}

TEST_F(SimulatorFixture, NewSideOneAddressAnswersFromTheNextRequestOn) {
    // SetParam id 1 := 7, answered from the old address.
    EXPECT_EQ(line.Exchange(SimFrames::CommandFrame(Bytes{0x01, 0x10, 0x02, 0x01, 0x07})),
              SimFrames::CommandFrame(Bytes{0x01, 0x10, 0x01, 0x00}));
    EXPECT_EQ(simulator.Config().Addr1, 7);
    EXPECT_TRUE(line.Exchange(kGetState).empty());
    EXPECT_EQ(line.Exchange(SimFrames::CommandFrame(Bytes{0x07, 0x0F, 0x01, 0x01})),
              SimFrames::CommandFrame(Bytes{0x07, 0x0F, 0x02, 0x01, 0x07}));
}

TEST_F(SimulatorFixture, StopsAnsweringFromTheGivenParameter) {
    simulator.StopAnsweringFromParam(5);
    for (uint8_t id : {1, 4, 101})
        EXPECT_EQ(line.Exchange(SimFrames::CommandFrame(Bytes{0x01, 0x0F, 0x01, id})).empty(), id >= 5)
            << int(id);
    EXPECT_TRUE(line.Exchange(SimFrames::CommandFrame(Bytes{0x01, 0x0F, 0x01, 5})).empty());
}

TEST_F(SimulatorFixture, DropsBytesThatFormNoFrameAfterASilence) {
    line.Write({0x01, 0x0F, 0x77});
    EXPECT_TRUE(line.Read().bytes.empty());
    EXPECT_EQ(line.Exchange(kGetParam1), kGetParam1Answer);
    EXPECT_EQ(simulator.ReceivedFrames(), std::vector<Bytes>{kGetParam1});
}

TEST_F(SimulatorFixture, PausedReadingLetsTheLineFillUp) {
    simulator.PauseReading(true);
    const Bytes filler(4096, 0x00);
    int error = 0;
    for (int i = 0; i < 64 && error == 0; ++i)
        error = line.TryWrite(filler);
    EXPECT_EQ(error, EAGAIN);
    simulator.PauseReading(false);
    // The filler forms no frame and is dropped once the line falls silent.
    EXPECT_TRUE(line.Read().bytes.empty());
    EXPECT_EQ(line.Exchange(kGetState), kGetStateAnswer);
}

TEST_F(SimulatorFixture, PulledLineEndsReadsAtOnceAndFailsWrites) {
    simulator.CloseLine();
    const auto start = Clock::now();
    const auto got = line.Read(milliseconds(150), milliseconds(2000));
    EXPECT_TRUE(got.bytes.empty());
    EXPECT_TRUE(got.endOfFile);
    EXPECT_LT(Clock::now() - start, milliseconds(500));
    EXPECT_EQ(line.TryWrite(kGetState), EIO);
}

// ---- Faults on command answers, applied to GetState ----

struct FaultCase {
    const char* name;
    sim::Fault fault;
    Bytes answer;
};

class CommandFaultTest : public SimulatorFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(CommandFaultTest, DamagesTheAnswerAsNamed) {
    sim::Rule rule;
    rule.First = rule.Last = 2;
    rule.fault = GetParam().fault;
    simulator.AddRule(rule);
    EXPECT_EQ(line.Exchange(kGetState), kGetStateAnswer);
    EXPECT_EQ(line.Exchange(kGetState), GetParam().answer);
    EXPECT_EQ(line.Exchange(kGetState), kGetStateAnswer);
}

Bytes Oversized() {
    Bytes out = kGetStateAnswer;
    out.resize(300, 0x55);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CommandFaultTest,
    ::testing::Values(
        FaultCase{"Silent", sim::Fault::Silent, {}},
        FaultCase{"WrongChecksum",
                  sim::Fault::WrongChecksum,
                  {0x01, 0x01, 0x03, 0x01, 0x01, 0x00, 0x6D, 0x05, 0x03, 0xFF}},
        FaultCase{"WrongAddress", sim::Fault::WrongAddress,
                  SimFrames::CommandFrame(Bytes{0x02, 0x01, 0x03, 0x01, 0x01, 0x00})},
        FaultCase{"WrongEcho", sim::Fault::WrongEcho,
                  SimFrames::CommandFrame(Bytes{0x01, 0x02, 0x03, 0x01, 0x01, 0x00})},
        FaultCase{"WrongLength", sim::Fault::WrongLength,
                  SimFrames::CommandFrame(Bytes{0x01, 0x01, 0x04, 0x01, 0x01, 0x00})},
        FaultCase{"BadTrailer",
                  sim::Fault::BadTrailer,
                  {0x01, 0x01, 0x03, 0x01, 0x01, 0x00, 0x6C, 0x05, 0x03, 0xFE}},
        FaultCase{"Truncated", sim::Fault::Truncated, {0x01, 0x01, 0x03, 0x01, 0x01, 0x00, 0x6C, 0x05}},
        FaultCase{"Oversize", sim::Fault::Oversize, Oversized()}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SimulatorFixture, StrayBytesComeFirst) {
    sim::Rule rule;
    rule.StrayBefore = {0xAA, 0xBB};
    simulator.AddRule(rule);
    Bytes expected{0xAA, 0xBB};
    expected.insert(expected.end(), kGetStateAnswer.begin(), kGetStateAnswer.end());
    EXPECT_EQ(line.Exchange(kGetState), expected);
}

// ---- Timing knobs: bounds only ----

TEST_F(SimulatorFixture, DelaysTheAnswer) {
    sim::Rule rule;
    rule.DelayMs = 200;
    simulator.AddRule(rule);
    const auto sent = Clock::now();
    line.Write(kGetState);
    const auto got = line.Read();
    ASSERT_EQ(got.bytes, kGetStateAnswer);
    EXPECT_GE(got.at.front() - sent, milliseconds(200));
    EXPECT_LT(got.at.front() - sent, milliseconds(600));
}

TEST_F(SimulatorFixture, SplitsTheAnswerWithAPause) {
    sim::Rule delay; // a later rule adds to an earlier one
    delay.DelayMs = 20;
    sim::Rule split;
    split.SplitAfter = 4;
    split.SplitPauseMs = 80;
    simulator.AddRule(delay);
    simulator.AddRule(split);
    line.Write(kGetState);
    const auto got = line.Read();
    ASSERT_EQ(got.bytes, kGetStateAnswer);
    EXPECT_EQ(got.at[3], got.at[0]);
    // The bytes are stamped when this side reads them, a few ms after they were written.
    EXPECT_GE(got.at[4] - got.at[3], milliseconds(65));
    EXPECT_LT(got.at[4] - got.at[3], milliseconds(400));
}

TEST(SimulatorPacing, AnswersAtLineSpeed) {
    sim::Options options;
    options.PaceBitsPerSecond = 9600; // 11 bits a byte: 1.146 ms
    sim::Simulator simulator(options);
    RawLine line(simulator.PortPath());
    const auto sent = Clock::now();
    line.Write(kGetState);
    const auto got = line.Read();
    ASSERT_EQ(got.bytes, kGetStateAnswer);
    // 6 request bytes, then 10 answer bytes, the last nine 10.3 ms after the first. A reader that
    // wakes late on the first byte stamps several at once, so the spread asked for is only what
    // tells paced bytes from a burst.
    EXPECT_GE(got.at.back() - sent, milliseconds(18));
    EXPECT_GE(got.at.back() - got.at.front(), milliseconds(3));
    EXPECT_LT(got.at.back() - sent, milliseconds(300));
}

// ---- Link side ----

Bytes UpdateStart(uint8_t tx, uint32_t value32, uint16_t value16) {
    const Bytes payload{0xB6,
                        0x08,
                        static_cast<uint8_t>(value32),
                        static_cast<uint8_t>(value32 >> 8),
                        static_cast<uint8_t>(value32 >> 16),
                        static_cast<uint8_t>(value32 >> 24),
                        static_cast<uint8_t>(value16),
                        static_cast<uint8_t>(value16 >> 8),
                        0x00,
                        0x00};
    return SimFrames::LinkData(0xFF, static_cast<uint8_t>(0x30 | tx), payload);
}

Bytes Block(uint8_t tx, const Bytes& data) {
    Bytes payload{0xC7, static_cast<uint8_t>(data.size())};
    payload.insert(payload.end(), data.begin(), data.end());
    return SimFrames::LinkData(0xFF, static_cast<uint8_t>(0x30 | tx), payload);
}

TEST(SimFramesTest, BuildsTheWireExamples) {
    EXPECT_EQ(SimFrames::LinkData(0xFF, 0x31, Bytes{0x80, 0x01, 0x00}), kProbe);
    EXPECT_EQ(Block(2, {0xFA}), (Bytes{0xFF, 0x32, 0xC7, 0x01, 0x10, 0xFA, 0x2A, 0x82, 0x03, 0xFA}));
    EXPECT_EQ(SimFrames::CommandFrame(Bytes{0x10, 0xFF}), (Bytes{0x10, 0x10, 0xFF, 0x4D, 0x80, 0x03, 0xFF}));
    EXPECT_EQ(SimFrames::CommandFrame(Bytes{0x00, 0x85}), (Bytes{0x00, 0x85, 0xC1, 0xA3, 0x03, 0xFF}));
}

TEST(SimFramesTest, TakesOnlyACompleteValidFrameAtTheFront) {
    Bytes stream = kProbe;
    stream.insert(stream.end(), kPoll.begin(), kPoll.end());
    const auto first = SimFrames::TakeFrame(stream);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind, SimFrames::Kind::LinkData);
    EXPECT_EQ(first->rawLength, kProbe.size());
    EXPECT_EQ(first->body, (Bytes{0xFF, 0x31, 0x80, 0x01, 0x00}));

    const auto block = Block(2, {0xFA});
    EXPECT_EQ(SimFrames::TakeFrame(block)->body, (Bytes{0xFF, 0x32, 0xC7, 0x01, 0xFA}));
    EXPECT_EQ(SimFrames::TakeFrame(Bytes{0x10, 0x10, 0xFF, 0x4D, 0x80, 0x03, 0xFF})->body,
              (Bytes{0x10, 0xFF}));

    EXPECT_FALSE(SimFrames::TakeFrame(Bytes(kProbe.begin(), kProbe.end() - 1)));
    Bytes badCrc = kGetParam1;
    badCrc[4] ^= 1;
    EXPECT_FALSE(SimFrames::TakeFrame(badCrc));
}

// A run must repeat for its seed however the line cut the bytes into reads, at the rate asked per
// bit, and each way must have its own draw.
TEST(SimNoiseTest, FlipsTheSameBitsForASeedHoweverTheBytesAreCut) {
    const Bytes clean(100'000, 0x55);
    Bytes whole = clean, cut = clean, otherWay = clean;
    SimNoise::Line once(1e-2, 7, SimNoise::Direction::ToTool), inPieces(1e-2, 7, SimNoise::Direction::ToTool),
        back(1e-2, 7, SimNoise::Direction::ToController);
    const uint64_t flipped = once.Apply(whole);
    uint64_t flippedInPieces = 0;
    for (size_t at = 0; at < cut.size(); at += 333)
        flippedInPieces += inPieces.Apply(std::span(cut).subspan(at, std::min<size_t>(333, cut.size() - at)));
    EXPECT_EQ(cut, whole);
    EXPECT_EQ(flippedInPieces, flipped);
    back.Apply(otherWay);
    EXPECT_NE(otherWay, whole);
    // 800 000 bits at 1 %: 8000 flips, give or take 89.
    EXPECT_NEAR(static_cast<double>(flipped), 8000, 450);
    size_t differing = 0;
    for (size_t k = 0; k < clean.size(); ++k)
        differing += static_cast<size_t>(std::popcount(static_cast<unsigned>(clean[k] ^ whole[k])));
    EXPECT_EQ(differing, flipped);
}

TEST_F(SimulatorFixture, LinkFramesGetNoAnswerInNormalMode) {
    EXPECT_TRUE(line.Exchange(kProbe).empty());
    EXPECT_TRUE(line.Exchange(kPoll).empty());
    EXPECT_EQ(simulator.ExchangeCount(), 2);
}

TEST_F(SimulatorFixture, RunsAWholeUpdate) {
    EXPECT_EQ(line.Exchange(kEnterUpdateMode), SimFrames::CommandFrame(Bytes{0x01, 0xA5, 0x01, 0x00}));
    ASSERT_TRUE(simulator.InUpdateMode());

    EXPECT_EQ(line.Exchange(kProbe), (Bytes{0xFF, 0x51, 0xFA})); // NAK with the probe's TX
    EXPECT_EQ(line.Exchange(UpdateStart(1, 34, 0xBEEF)), (Bytes{0xFF, 0xC1, 0xFA}));
    Bytes body(33);
    std::iota(body.begin(), body.end(), uint8_t{0xE0}); // holds 0xFA
    EXPECT_EQ(line.Exchange(Block(2, body)), (Bytes{0xFF, 0xC2, 0xFA}));
    EXPECT_TRUE(simulator.InUpdateMode());
    EXPECT_EQ(line.Exchange(Block(3, {0x10})), (Bytes{0xFF, 0xC3, 0xFA}));
    EXPECT_FALSE(simulator.InUpdateMode());

    const auto image = simulator.Image();
    EXPECT_TRUE(image.Started);
    EXPECT_EQ(image.Value32, 34u);
    EXPECT_EQ(image.Value16, 0xBEEF);
    body.push_back(0x10);
    EXPECT_EQ(image.Body, body);
    EXPECT_EQ(image.BlockSizes, (std::vector<size_t>{33, 1}));
    // After the update the link side is quiet again.
    EXPECT_TRUE(line.Exchange(kProbe).empty());
}

TEST_F(SimulatorFixture, RefusedBlockIsNotStored) {
    simulator.SetUpdateMode(true);
    EXPECT_EQ(line.Exchange(UpdateStart(1, 2, 0)), (Bytes{0xFF, 0xC1, 0xFA}));
    sim::Rule nak;
    nak.First = nak.Last = 2;
    nak.fault = sim::Fault::Nak;
    simulator.AddRule(nak);
    EXPECT_EQ(line.Exchange(Block(2, {0x01})), (Bytes{0xFF, 0x52, 0xFA}));
    EXPECT_EQ(line.Exchange(Block(3, {0x02})), (Bytes{0xFF, 0xC3, 0xFA}));
    EXPECT_EQ(simulator.Image().Body, (Bytes{0x02}));
    EXPECT_TRUE(simulator.InUpdateMode());
}

TEST_F(SimulatorFixture, PollTakesQueuedRepliesInOrder) {
    simulator.QueuePollReply({.Eot = false, .Tx = 5, .Transactions = {0x01, 0x01, 0xFA}, .BadCrc = false});
    simulator.QueuePollReply({.Eot = true, .Tx = 6, .Transactions = {}, .BadCrc = false});
    // While replies are queued a DATA frame is acknowledged even in normal mode.
    EXPECT_EQ(line.Exchange(kProbe), (Bytes{0xFF, 0xC1, 0xFA}));
    EXPECT_EQ(line.Exchange(kPoll), (Bytes{0xFF, 0x35, 0x01, 0x01, 0x10, 0xFA, 0xCB, 0xCB, 0x03, 0xFA}));
    line.Write({0xFF, 0xC5, 0xFA}); // the tool's ACK: recorded, not answered, not an exchange
    EXPECT_TRUE(line.Read(milliseconds(100), milliseconds(300)).bytes.empty());
    EXPECT_EQ(line.Exchange(kPoll), (Bytes{0xFF, 0x76, 0xFA}));
    EXPECT_TRUE(line.Exchange(kPoll).empty());
    EXPECT_EQ(simulator.ReceivedFrames().size(), 5u);
    EXPECT_EQ(simulator.ExchangeCount(), 4);
    simulator.SetUpdateMode(true);
    EXPECT_EQ(line.Exchange(kPoll), (Bytes{0xFF, 0x70, 0xFA}));
}

struct LinkFaultCase {
    const char* name;
    sim::Fault fault;
    Bytes answer;
};

class LinkFaultTest : public SimulatorFixture, public ::testing::WithParamInterface<LinkFaultCase> {};

TEST_P(LinkFaultTest, ReplacesOrDamagesTheReply) {
    simulator.SetUpdateMode(true);
    sim::Rule rule;
    rule.fault = GetParam().fault;
    simulator.AddRule(rule);
    EXPECT_EQ(line.Exchange(UpdateStart(4, 100, 0)), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LinkFaultTest,
    ::testing::Values(LinkFaultCase{"Nak", sim::Fault::Nak, {0xFF, 0x54, 0xFA}},
                      LinkFaultCase{"Eot", sim::Fault::Eot, {0xFF, 0x74, 0xFA}},
                      LinkFaultCase{"AckOtherTx", sim::Fault::AckOtherTx, {0xFF, 0xC5, 0xFA}},
                      LinkFaultCase{"WrongAddress", sim::Fault::WrongAddress, {0x00, 0xC4, 0xFA}},
                      LinkFaultCase{"Silent", sim::Fault::Silent, {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SimulatorFixture, PollReplyWithBadCrc) {
    simulator.QueuePollReply({.Eot = false, .Tx = 0, .Transactions = {0x01, 0x01, 0x07}, .BadCrc = true});
    const auto good = SimFrames::LinkData(0xFF, 0x30, Bytes{0x01, 0x01, 0x07});
    auto got = line.Exchange(kPoll);
    ASSERT_EQ(got.size(), good.size());
    EXPECT_NE(got, good);
    EXPECT_FALSE(SimFrames::TakeFrame(got));
}

// ---- The link to the port ----

TEST(SimLinkTest, LeavesALinkThatSomeoneElsePutInItsPlace) {
    const std::string path = testing::TempDir() + "zur-sim-relink-" + std::to_string(getpid());
    {
        sim::Options options;
        options.LinkPath = path;
        sim::Simulator simulator(options);
        ASSERT_EQ(::unlink(path.c_str()), 0);
        ASSERT_EQ(::symlink("/dev/null", path.c_str()), 0);
    }
    EXPECT_EQ(::unlink(path.c_str()), 0); // still there
}

} // namespace
