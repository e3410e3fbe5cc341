#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "link/LinkFrame.h"
#include "link/uDispenser.h"
#include "protocol/crc16c.h"
#include "serial/MyCOMM.h"
#include "sim/Simulator.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using uDispenser::TDispenserLL;

constexpr uint8_t kLinkAddress = 255;

sim::Options UpdateMode() {
    sim::Options options;
    options.UpdateMode = true;
    return options;
}

sim::PollReply Data(uint8_t Tx, Bytes Transactions, bool BadCrc = false) {
    sim::PollReply reply;
    reply.Tx = Tx;
    reply.Transactions = std::move(Transactions);
    reply.BadCrc = BadCrc;
    return reply;
}

// The simulated controller on a pseudo-terminal, the port opened as the main window opens it, and
// the engine as the main window makes it.
class LinkEngineTest : public testing::Test {
protected:
    sim::Simulator simulator{UpdateMode()};
    MyCOMM::TZMyComm port{simulator.PortPath(), 9600, 256, 256, 2, 1, 0, 8};
    TDispenserLL engine{kLinkAddress, 1, port, 1000};
    std::vector<std::string> notes;
    std::vector<std::string> crcMessages;

    void SetUp() override {
        port.SetTimeouts(25, 0, 500, 1, 200);
        engine.Notifier().Add([this](void* Sender, const std::string& Kind, const std::string& Subject,
                                     uNoty::TNotyData* Data) {
            EXPECT_EQ(Sender, &engine);
            EXPECT_EQ(Data, nullptr);
            notes.push_back(Kind + "/" + Subject);
        });
        engine.OnCrcMismatch = [this](const std::string& Text) { crcMessages.push_back(Text); };
    }

    void QueueBlock(const Bytes& Block) {
        engine.QueueUpdateBlock(Block.data(), static_cast<uint8_t>(Block.size()));
    }

    // Every frame the simulator has received once it has at least Count of them.
    std::vector<Bytes> Frames(size_t Count) {
        EXPECT_GE(simulator.WaitForFrames(Count, 2s), Count);
        return simulator.ReceivedFrames();
    }

    void Fault(int Exchange, sim::Fault What) {
        sim::Rule rule;
        rule.First = Exchange;
        rule.Last = Exchange;
        rule.fault = What;
        simulator.AddRule(rule);
    }
};

TEST_F(LinkEngineTest, EmptyQueueSendsNothing) {
    EXPECT_TRUE(engine.Execute());
    EXPECT_EQ(engine.TxCounter, 0);
    engine.QueueD8Command();
    EXPECT_TRUE(engine.Execute());
    const auto frames = Frames(1);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front(), LinkFrame::DataFrame(kLinkAddress, 1, Bytes{0xD8, 0x01, 0xAA}));
}

TEST_F(LinkEngineTest, TxRunsOneToFifteenThenOneAgain) {
    for (int i = 0; i < 16; ++i) {
        QueueBlock({static_cast<uint8_t>(i)});
        engine.NoPollAfterAck = true;
        ASSERT_TRUE(engine.Execute()) << i;
    }
    engine.TxCounter = 15;
    QueueBlock({0x99});
    engine.NoPollAfterAck = true;
    ASSERT_TRUE(engine.Execute());

    const auto frames = Frames(17);
    ASSERT_EQ(frames.size(), 17u);
    std::vector<int> txs;
    for (const Bytes& f : frames) {
        txs.push_back(f[1]);
    }
    EXPECT_EQ(txs, (std::vector<int>{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C,
                                     0x3D, 0x3E, 0x3F, 0x31, 0x31}));
    EXPECT_EQ(simulator.Image().BlockSizes.size(), 17u);
}

TEST_F(LinkEngineTest, UpdateStartIsAcknowledgedWithoutPoll) {
    engine.QueueUpdateStart(0x04030201, 0x0605);
    EXPECT_TRUE(engine.NoPollAfterAck);
    EXPECT_TRUE(engine.Execute());
    EXPECT_FALSE(engine.NoPollAfterAck);
    EXPECT_EQ(engine.LastReplyCount, 3);
    EXPECT_EQ(Bytes(engine.LastReply.begin(), engine.LastReply.begin() + 3), (Bytes{0xFF, 0xC1, 0xFA}));
    const auto image = simulator.Image();
    EXPECT_TRUE(image.Started);
    EXPECT_EQ(image.Value32, 0x04030201u);
    EXPECT_EQ(image.Value16, 0x0605);

    // The next frame on the line is the next DATA frame, not a POLL.
    engine.QueueD8Command();
    EXPECT_TRUE(engine.Execute());
    const auto frames = Frames(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], LinkFrame::DataFrame(kLinkAddress, 1, Bytes{0xB6, 8, 1, 2, 3, 4, 5, 6, 0, 0}));
    EXPECT_EQ(frames[1][1], 0x32);
}

TEST_F(LinkEngineTest, ProbeInUpdateModeSeesThreeBytesThatAreNoAck) {
    engine.QueueConfigRequest();
    EXPECT_FALSE(engine.Execute());
    EXPECT_EQ(engine.LastReplyCount, 3);
    EXPECT_EQ(engine.LastReply[0], 255);
    EXPECT_EQ(Frames(1).front(), (Bytes{0xFF, 0x31, 0x80, 0x01, 0x00, 0x1A, 0x90, 0x03, 0xFA}));
}

struct FaultCase {
    const char* Name;
    sim::Fault What;
    uint8_t Flags;
    LinkFrame::TReplyFault Fault;
    Bytes Raw{}; // when set, the reply instead of the simulator's, already waiting on the line
};

void PrintTo(const FaultCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class LinkFaultTest : public LinkEngineTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(LinkFaultTest, FailedDataExchangeSetsItsFlags) {
    Fault(1, GetParam().What);
    if (!GetParam().Raw.empty()) {
        simulator.SendRaw(GetParam().Raw);
    }
    engine.QueueD8Command();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(engine.Execute());
    EXPECT_EQ(engine.ErrorFlags, GetParam().Flags);
    EXPECT_EQ(engine.LastFailure.Fault, GetParam().Fault);
    EXPECT_FALSE(engine.LastFailure.ToPoll);
    // Once set, the poll switch waits for an accepted ACK.
    EXPECT_TRUE(engine.NoPollAfterAck);
    if (GetParam().What == sim::Fault::Silent && GetParam().Raw.empty()) {
        EXPECT_EQ(engine.LastReplyCount, 0);
        const auto waited = std::chrono::steady_clock::now() - started;
        EXPECT_GE(waited, 500ms);
        EXPECT_LT(waited, 900ms);
    }

    if (GetParam().What == sim::Fault::Oversize) {
        // The filler beyond the one read is still waiting on the line.
        std::array<uint8_t, 256> rest{};
        EXPECT_GT(port.Read(rest.data(), static_cast<int>(rest.size())), 0);
    }
    // The failed frame is gone; the next exchange takes the next TX and succeeds.
    engine.QueueD8Command();
    EXPECT_TRUE(engine.Execute());
    EXPECT_EQ(engine.ErrorFlags, 0);
    EXPECT_FALSE(engine.NoPollAfterAck);
    const auto frames = Frames(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1][1], 0x32);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, LinkFaultTest,
    testing::Values(
        FaultCase{"AckOtherTx", sim::Fault::AckOtherTx, 0, LinkFrame::TReplyFault::OtherTx},
        FaultCase{"Nak", sim::Fault::Nak, 0x02, LinkFrame::TReplyFault::Nak},
        FaultCase{"Eot", sim::Fault::Eot, 0x80, LinkFrame::TReplyFault::Eot},
        FaultCase{"Silent", sim::Fault::Silent, 0x01, LinkFrame::TReplyFault::NoReply},
        FaultCase{"WrongAddress", sim::Fault::WrongAddress, 0x14, LinkFrame::TReplyFault::OtherAddress},
        FaultCase{"Oversize", sim::Fault::Oversize, 0x44, LinkFrame::TReplyFault::WrongLength},
        // The ACK of the frame sent, but its last byte is no SF.
        FaultCase{
            "NoFrameEnd", sim::Fault::Silent, 0x04, LinkFrame::TReplyFault::NoStopFlag, {0xFF, 0xC1, 0x00}}),
    [](const testing::TestParamInfo<FaultCase>& row) { return row.param.Name; });

TEST_F(LinkEngineTest, OversizeReplyIsKeptAsFarAsItFits) {
    Fault(1, sim::Fault::Oversize);
    engine.QueueD8Command();
    EXPECT_FALSE(engine.Execute());
    EXPECT_EQ(engine.LastReplyCount, 255);
    EXPECT_EQ(Bytes(engine.LastReply.begin(), engine.LastReply.begin() + 2), (Bytes{0xFF, 0xC1}));
}

TEST_F(LinkEngineTest, PollDecodesAndNotifiesInFixedOrder) {
    simulator.QueuePollReply(
        Data(1, {0x65, 11, 0,    0x98, 0x76, 0x54, 0x32, 0x10, 0,    0,    0, 0x12, 0x34, // totals
                 0x02, 8,  0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02,                // values
                 0x03, 4,  0x00, 0x45, 0x67, 0x11,                                        // nozzle 1 out
                 0x09, 5,  0x01, 0x23, 0x45, 0x67, 0x89,                                  // identity
                 0x01, 1,  0x04}));                                                       // status
    QueueBlock({0x01});
    EXPECT_TRUE(engine.Execute());
    EXPECT_EQ(engine.Controller.Status, 4);
    EXPECT_EQ(engine.Controller.Value1, 100);
    EXPECT_EQ(engine.Controller.Value2, 2);
    EXPECT_EQ(engine.Controller.Prices[1], 4567);
    EXPECT_EQ(engine.Controller.Nozzle, 1);
    EXPECT_TRUE(engine.Controller.NozzleOut);
    EXPECT_EQ(engine.Controller.Identity, "0123456789");
    EXPECT_EQ(engine.Controller.Total1, 9876543210);
    EXPECT_EQ(engine.Controller.Total2, 1234);
    EXPECT_EQ(notes, (std::vector<std::string>{"CHANGED/STATUS", "CHANGED/NOZZLE", "CHANGED/OUTVALUES",
                                               "CHANGED/TOTALS", "CHANGED/NONE"}));
    EXPECT_FALSE(engine.Controller.StatusChanged || engine.Controller.TotalsChanged);

    // DATA, POLL, then the ACK of the reply.
    const auto frames = Frames(3);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1], (Bytes{0xFF, 0x20, 0xFA}));
    EXPECT_EQ(frames[2], (Bytes{0xFF, 0xC1, 0xFA}));
}

TEST_F(LinkEngineTest, ConfigurationRecordsByLength) {
    Bytes record30(30, 0x00);
    record30[0] = 0x42;
    record30[19] = 1; // Flag2
    Bytes thirty{0x80, 30};
    thirty.insert(thirty.end(), record30.begin(), record30.end());
    simulator.QueuePollReply(Data(1, thirty));
    Bytes twentyEight{0x80, 28};
    twentyEight.resize(30, 0x11);
    simulator.QueuePollReply(Data(2, twentyEight));

    QueueBlock({0x01});
    EXPECT_TRUE(engine.Execute());
    EXPECT_EQ(engine.Controller.Config.Kind, 30);
    EXPECT_EQ(engine.Controller.Config.Lead, 0x42);
    EXPECT_TRUE(engine.Controller.Config.Flag2);
    EXPECT_EQ(engine.ErrorFlags, 0);

    QueueBlock({0x02});
    EXPECT_TRUE(engine.Execute());
    EXPECT_EQ(engine.ErrorFlags, 0x44);
    EXPECT_EQ(engine.Controller.Config.Kind, 30);
    EXPECT_EQ(engine.Controller.Config.Lead, 0x42);

    // A record stored clears what a rejected one before it in the same reply had set.
    Bytes rejectedThenStored = twentyEight;
    rejectedThenStored.insert(rejectedThenStored.end(), thirty.begin(), thirty.end());
    simulator.QueuePollReply(Data(3, rejectedThenStored));
    QueueBlock({0x03});
    EXPECT_TRUE(engine.Execute());
    EXPECT_EQ(engine.ErrorFlags, 0);
}

TEST_F(LinkEngineTest, RepeatedTxIsAcknowledgedButNotDecoded) {
    simulator.QueuePollReply(Data(5, Bytes{0x01, 1, 0x07}));
    simulator.QueuePollReply(Data(5, Bytes{0x01, 1, 0x08}));
    simulator.QueuePollReply(Data(0, Bytes{0x01, 1, 0x09}));
    simulator.QueuePollReply(Data(0, Bytes{0x01, 1, 0x0A}));
    std::vector<int> statuses;
    for (int i = 0; i < 4; ++i) {
        QueueBlock({static_cast<uint8_t>(i)});
        EXPECT_TRUE(engine.Execute()) << i;
        statuses.push_back(engine.Controller.Status);
    }
    EXPECT_EQ(statuses, (std::vector<int>{7, 7, 9, 10}));
    const auto frames = Frames(12);
    ASSERT_EQ(frames.size(), 12u);
    EXPECT_EQ(frames[2], (Bytes{0xFF, 0xC5, 0xFA}));
    EXPECT_EQ(frames[5], (Bytes{0xFF, 0xC5, 0xFA}));
    EXPECT_EQ(frames[8], (Bytes{0xFF, 0xC0, 0xFA}));
    EXPECT_EQ(frames[11], (Bytes{0xFF, 0xC0, 0xFA}));
}

TEST_F(LinkEngineTest, CrcMismatchIsReportedAndNothingAcknowledged) {
    const Bytes transactions{0x01, 1, 0x07};
    simulator.QueuePollReply(Data(1, transactions, true));
    QueueBlock({0x01});
    EXPECT_FALSE(engine.Execute());

    Bytes body{0xFF, 0x31};
    body.insert(body.end(), transactions.begin(), transactions.end());
    const uint16_t computed = crc16c::Crc16(0, body.data(), static_cast<int32_t>(body.size()));
    // The simulator's wrong CRC is the right one plus one.
    std::array<char, 16> expected{};
    std::snprintf(expected.data(), expected.size(), "%4.4X %4.4X",
                  unsigned{static_cast<uint16_t>(computed + 1)}, unsigned{computed});
    EXPECT_EQ(crcMessages, (std::vector<std::string>{expected.data()}));
    EXPECT_EQ(engine.Controller.Status, -1);
    EXPECT_TRUE(notes.empty());

    // Nothing was acknowledged: the next frame on the line is the next DATA frame.
    engine.QueueD8Command();
    EXPECT_TRUE(engine.Execute());
    const auto frames = Frames(3);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2][1], 0x32);
}

TEST_F(LinkEngineTest, CrcMismatchWithoutReporterShowsNothing) {
    engine.OnCrcMismatch = nullptr;
    simulator.QueuePollReply(Data(1, Bytes{0x01, 1, 0x07}, true));
    QueueBlock({0x01});
    EXPECT_FALSE(engine.Execute());
    EXPECT_EQ(engine.Controller.Status, -1);
}

struct PollCase {
    const char* Name;
    sim::Fault What; // on the poll, the second exchange
    bool Result;
    bool Dispatched;
    LinkFrame::TReplyFault Fault = LinkFrame::TReplyFault::None;
};

class PollReplyTest : public LinkEngineTest, public testing::WithParamInterface<PollCase> {};

TEST_P(PollReplyTest, PollOutcome) {
    Fault(2, GetParam().What);
    QueueBlock({0x01});
    EXPECT_EQ(engine.Execute(), GetParam().Result);
    EXPECT_EQ(engine.ErrorFlags, 0);
    if (!GetParam().Result) {
        EXPECT_EQ(engine.LastFailure.Fault, GetParam().Fault);
        EXPECT_TRUE(engine.LastFailure.ToPoll);
    }
    EXPECT_EQ(notes,
              GetParam().Dispatched ? std::vector<std::string>{"CHANGED/NONE"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PollReplyTest,
    testing::Values(PollCase{"Eot", sim::Fault::None, true, true},
                    PollCase{"Silent", sim::Fault::Silent, false, true, LinkFrame::TReplyFault::NoReply},
                    PollCase{"Nak", sim::Fault::Nak, false, false, LinkFrame::TReplyFault::NotEot},
                    PollCase{"Ack", sim::Fault::AckOtherTx, false, false, LinkFrame::TReplyFault::NotEot},
                    PollCase{"WrongAddress", sim::Fault::WrongAddress, false, false,
                             LinkFrame::TReplyFault::OtherAddress}),
    [](const testing::TestParamInfo<PollCase>& row) { return row.param.Name; });

TEST_F(LinkEngineTest, OversizePollReplyIsRejected) {
    simulator.QueuePollReply(Data(1, Bytes{0x01, 1, 0x07}));
    Fault(2, sim::Fault::Oversize);
    QueueBlock({0x01});
    EXPECT_FALSE(engine.Execute());
    EXPECT_EQ(engine.Controller.Status, -1);
}

TEST_F(LinkEngineTest, TransactionsBeyondOneFrameGoInTheNext) {
    const Bytes block(33, 0x5A);
    for (int i = 0; i < 8; ++i) {
        QueueBlock(block);
    }
    engine.NoPollAfterAck = true;
    EXPECT_TRUE(engine.Execute());
    engine.NoPollAfterAck = true;
    EXPECT_TRUE(engine.Execute());
    const auto frames = Frames(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_LE(frames[0].size(), 255u);
    EXPECT_EQ(frames[1][1], 0x32);
    EXPECT_EQ(simulator.Image().BlockSizes, std::vector<size_t>(8, 33));
}

TEST_F(LinkEngineTest, TransactionFittingNoFrameIsRefused) {
    const Bytes block(250, 0x00);
    QueueBlock(block);
    engine.QueueD8Command();
    EXPECT_FALSE(engine.Execute());
    EXPECT_EQ(engine.ErrorFlags, 0x44);
    EXPECT_EQ(engine.LastFailure.Fault, LinkFrame::TReplyFault::NotSent);
    EXPECT_EQ(engine.TxCounter, 0);
    // The transaction behind it goes out with the next call, as the first frame on the line.
    EXPECT_TRUE(engine.Execute());
    EXPECT_TRUE(engine.Execute()); // nothing left queued
    const auto frames = Frames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], LinkFrame::DataFrame(kLinkAddress, 1, Bytes{0xD8, 0x01, 0xAA}));
}

TEST_F(LinkEngineTest, NozzleCountAndTimer) {
    EXPECT_EQ(engine.Controller.NozzleCount, 1);
    EXPECT_FALSE(engine.Timer().Enabled);
    EXPECT_EQ(engine.Timer().IntervalMs, 1000);
    EXPECT_EQ(TDispenserLL(kLinkAddress, -2, port, 1000).Controller.NozzleCount, 1);
    EXPECT_EQ(TDispenserLL(kLinkAddress, 0, port, 1000).Controller.NozzleCount, 1);
    EXPECT_EQ(TDispenserLL(kLinkAddress, 3, port, 1000).Controller.NozzleCount, 3);
    EXPECT_EQ(TDispenserLL(kLinkAddress, 4, port, 1000).Controller.NozzleCount, 4);
    EXPECT_EQ(TDispenserLL(kLinkAddress, 5, port, 1000).Controller.NozzleCount, 4);
}

TEST_F(LinkEngineTest, PricesBeyondNozzleCountAreNotStored) {
    simulator.QueuePollReply(Data(1, Bytes{0x03, 4, 0x00, 0x12, 0x34, 0x02}));
    QueueBlock({0x01});
    EXPECT_TRUE(engine.Execute());
    EXPECT_EQ(engine.Controller.Nozzle, 2);
    EXPECT_EQ(engine.Controller.Prices[2], 0);
    EXPECT_EQ(notes, (std::vector<std::string>{"CHANGED/NOZZLE", "CHANGED/NONE"}));
}

} // namespace
