// The command protocol against the simulated controller on a pseudo-terminal, with the port
// opened as the main window opens it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <vector>

#include "protocol/CommandFrame.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "sim/Simulator.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

sim::Rule On(int Exchange, sim::Rule rule) {
    rule.First = rule.Last = Exchange;
    return rule;
}
sim::Rule WithFault(sim::Fault Fault) {
    sim::Rule rule;
    rule.fault = Fault;
    return rule;
}
sim::Rule Split(int After, int PauseMs) {
    sim::Rule rule;
    rule.SplitAfter = After;
    rule.SplitPauseMs = PauseMs;
    return rule;
}
sim::Rule Delay(int Ms) {
    sim::Rule rule;
    rule.DelayMs = Ms;
    return rule;
}
sim::Rule Stray(const Bytes& bytes) {
    sim::Rule rule;
    rule.StrayBefore = bytes;
    return rule;
}

sim::DispenserData State(uint8_t Code, uint8_t ReadyBits, uint8_t Errors) {
    sim::DispenserData data;
    data.State = Code;
    data.ReadyBits = ReadyBits;
    data.Errors = Errors;
    return data;
}

class CommandLine : public testing::Test {
protected:
    CommandLine() { Port.SetTimeouts(25, 0, 500, 1, 200); }

    // The next exchange gets no answer of its own, only Body framed and already waiting on the line.
    void AnswerNextWith(const Bytes& Body) {
        CommandFrame::Area frame{}, scratch{};
        frame[0] = static_cast<uint8_t>(Body.size());
        std::copy(Body.begin(), Body.end(), frame.begin() + 1);
        ASSERT_TRUE(CommandFrame::BuildFrame(frame, scratch));
        const int next = Sim.ExchangeCount() + 1;
        Sim.AddRule(On(next, WithFault(sim::Fault::Silent)));
        Sim.SendRaw(Bytes(frame.begin() + 1, frame.begin() + 1 + frame[0]));
    }

    void FaultOn(int Exchange, sim::Fault Fault) { Sim.AddRule(On(Exchange, WithFault(Fault))); }

    // Address byte and, for GetParam and SetParam, the id of every frame received.
    std::vector<std::pair<uint8_t, uint8_t>> AddressesAndIds() const {
        std::vector<std::pair<uint8_t, uint8_t>> out;
        for (const auto& frame : Sim.ReceivedFrames()) {
            out.emplace_back(frame.at(0), frame.size() > 3 ? frame[3] : 0);
        }
        return out;
    }

    sim::Simulator Sim;
    MyCOMM::TZMyComm Port{Sim.PortPath(), 9600, 256, 256, 2, 1, 0, 8};
    PtnLL::TPtnLL Commands{1, Port};
};

// Every command's request, byte for byte, and the simulator's well-formed answer accepted.
struct RequestRow {
    const char* Name;
    std::function<void(PtnLL::TPtnLL&)> Run;
    Bytes Wire;
};

void PrintTo(const RequestRow& row, std::ostream* os) {
    *os << row.Name;
}

class CommandRequest : public CommandLine, public testing::WithParamInterface<RequestRow> {};

TEST_P(CommandRequest, SendsExactBytesAndTakesTheAnswer) {
    Commands.Cfg.Recalc = true;
    Commands.Cfg.NoFillTO1 = 10;
    Commands.Cfg.SerialNo = "1234567890";
    GetParam().Run(Commands);
    EXPECT_TRUE(Commands.Ok);
    const auto frames = Sim.ReceivedFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], GetParam().Wire);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandRequest,
    testing::Values(
        RequestRow{"GetState", [](auto& c) { c.GetState(); }, {0x01, 0x01, 0xC0, 0x50, 0x03, 0xFF}},
        RequestRow{"Auth", [](auto& c) { c.Auth(); }, {0x01, 0x02, 0x80, 0x51, 0x03, 0xFF}},
        RequestRow{"Stop", [](auto& c) { c.Stop(); }, {0x01, 0x03, 0x41, 0x91, 0x03, 0xFF}},
        RequestRow{"Reset", [](auto& c) { c.Reset(); }, {0x01, 0x08, 0x00, 0x56, 0x03, 0xFF}},
        RequestRow{
            "GetAmount", [](auto& c) { c.GetAmount(5); }, {0x01, 0x04, 0x01, 0x05, 0x81, 0xAE, 0x03, 0xFF}},
        RequestRow{"GetSumm",
                   [](auto& c) { c.GetSumm(3, 4); },
                   {0x01, 0x06, 0x02, 0x03, 0x04, 0x9D, 0xBB, 0x03, 0xFF}},
        RequestRow{
            "GetParam", [](auto& c) { c.GetParam(1); }, {0x01, 0x0F, 0x01, 0x01, 0xF1, 0xAF, 0x03, 0xFF}},
        RequestRow{"SetParamByte",
                   [](auto& c) { c.SetParam(3); },
                   {0x01, 0x10, 0x02, 0x03, 0x0A, 0x18, 0x37, 0x03, 0xFF}},
        RequestRow{"SetParamFlag",
                   [](auto& c) { c.SetParam(9); },
                   {0x01, 0x10, 0x02, 0x09, 0x01, 0x5F, 0x50, 0x03, 0xFF}},
        // No value byte for an unknown id, though the length still says 2.
        RequestRow{"SetParamUnknownId",
                   [](auto& c) { c.SetParam(0); },
                   {0x01, 0x10, 0x02, 0x00, 0x01, 0x59, 0x03, 0xFF}},
        RequestRow{"EnterUpdateMode",
                   [](auto& c) { c.EnterUpdateMode(); },
                   {0x01, 0xA5, 0x06, 0x01, 0x12, 0x34, 0x56, 0x78, 0x90, 0xD4, 0x49, 0x03, 0xFF}},
        // Always to address 0, whatever Address is.
        RequestRow{"GetAddresses",
                   [](auto& c) {
                       uint8_t first = 0, second = 0;
                       c.Address = 7;
                       c.GetAddresses(first, second);
                   },
                   {0x00, 0x85, 0xC1, 0xA3, 0x03, 0xFF}}),
    [](const auto& row) { return row.param.Name; });

TEST_F(CommandLine, GetStateDecodesStateReadyAndErrors) {
    Sim.SetData(State(3, 0xFE, 0x50));
    Commands.Ready = true;
    Commands.GetState();
    ASSERT_TRUE(Commands.Ok);
    EXPECT_EQ(Commands.State, 3);
    EXPECT_FALSE(Commands.Ready);
    EXPECT_EQ(Commands.Errors, 0x50u);

    Sim.SetData(State(0, 0x01, 0));
    Commands.GetState();
    ASSERT_TRUE(Commands.Ok);
    EXPECT_EQ(Commands.State, 0);
    EXPECT_TRUE(Commands.Ready);
    EXPECT_EQ(Commands.Errors, 0u);
}

TEST_F(CommandLine, AmountsAndTotalsHoldMoreThan32Bits) {
    Commands.GetAmount(0);
    ASSERT_TRUE(Commands.Ok);
    EXPECT_EQ(Commands.FillVolume, 1234567890);
    EXPECT_EQ(Commands.FillMoney, 9876543210);

    auto data = Sim.Data();
    data.FillVolume = 1;
    data.FillMoney = 2;
    Sim.SetData(data);
    Commands.GetAmount(2); // money alone
    ASSERT_TRUE(Commands.Ok);
    EXPECT_EQ(Commands.FillVolume, 1234567890);
    EXPECT_EQ(Commands.FillMoney, 2);

    Commands.GetSumm(3, 0);
    ASSERT_TRUE(Commands.Ok);
    Commands.GetSumm(8, 1); // volume alone
    ASSERT_TRUE(Commands.Ok);
    std::array<int64_t, 8> volume{}, money{};
    volume[2] = 123456789012;
    money[2] = 987654321098;
    volume[7] = 123456789012;
    EXPECT_EQ(Commands.TotalVolume, volume);
    EXPECT_EQ(Commands.TotalMoney, money);

    // No place for index 0 or 9: nothing stored, yet the command succeeded.
    for (uint8_t index : {0, 9, 255}) {
        Commands.GetSumm(index, 0);
        EXPECT_TRUE(Commands.Ok) << int(index);
    }
    EXPECT_EQ(Commands.TotalVolume, volume);
    EXPECT_EQ(Commands.TotalMoney, money);
}

TEST_F(CommandLine, GetAddressesReturnsBothSidesAndKeepsAddress) {
    auto config = Sim.Config();
    config.Addr1 = 5;
    config.Addr2 = 6;
    Sim.SetConfig(config);
    uint8_t first = 0, second = 0;
    Commands.GetAddresses(first, second);
    ASSERT_TRUE(Commands.Ok);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(second, 6);
    EXPECT_EQ(Commands.Address, 1);
}

TEST_F(CommandLine, GetConfigReadsTheWholeRecord) {
    const sim::ControllerConfig config{.Addr1 = 1,
                                       .Addr2 = 9,
                                       .NoFillTO1 = 11,
                                       .NoFillTO2 = 22,
                                       .NoMaster = 33,
                                       .MinVoltage = 44,
                                       .PricePoint = 1,
                                       .AmoPoint = 2,
                                       .Recalc = false,
                                       .ElType = true,
                                       .FwVersion = "0908070605",
                                       .SerialNo = "5566778899"};
    Sim.SetConfig(config);
    Commands.Cfg.Recalc = true;
    Commands.GetConfig();
    ASSERT_TRUE(Commands.Ok);
    const auto& cfg = Commands.Cfg;
    EXPECT_EQ(cfg.Addr1, 1);
    EXPECT_EQ(cfg.Addr2, 9);
    EXPECT_EQ(cfg.NoFillTO1, 11);
    EXPECT_EQ(cfg.NoFillTO2, 22);
    EXPECT_EQ(cfg.NoMaster, 33);
    EXPECT_EQ(cfg.MinVoltage, 44);
    EXPECT_EQ(cfg.PricePoint, 1);
    EXPECT_EQ(cfg.AmoPoint, 2);
    EXPECT_FALSE(cfg.Recalc);
    EXPECT_TRUE(cfg.ElType);
    EXPECT_EQ(cfg.FwVersion, "0908070605");
    EXPECT_EQ(cfg.SerialNo, "5566778899");
    const std::vector<std::pair<uint8_t, uint8_t>> asked{{1, 1}, {1, 2}, {1, 3}, {1, 4},  {1, 5},   {1, 6},
                                                         {1, 7}, {1, 8}, {1, 9}, {1, 10}, {1, 100}, {1, 101}};
    EXPECT_EQ(AddressesAndIds(), asked);
}

TEST_F(CommandLine, GetConfigStopsAtTheFirstFailure) {
    Sim.StopAnsweringFromParam(5);
    Commands.Cfg.NoMaster = 77;
    Commands.GetConfig();
    EXPECT_FALSE(Commands.Ok);
    EXPECT_EQ(Commands.State, 6);
    EXPECT_EQ(Sim.ReceivedFrames().size(), 5u);
    EXPECT_EQ(Commands.Cfg.NoFillTO2, 20); // id 4, read
    EXPECT_EQ(Commands.Cfg.NoMaster, 77);  // id 5, not answered
    EXPECT_EQ(Commands.Cfg.MinVoltage, 0); // id 6, never asked

    Sim.ClearReceived();
    Sim.StopAnsweringFromParam(101);
    Commands.GetConfig();
    EXPECT_FALSE(Commands.Ok);
    EXPECT_EQ(Sim.ReceivedFrames().size(), 12u);
    EXPECT_EQ(Commands.Cfg.FwVersion, "0102030405");
    EXPECT_EQ(Commands.Cfg.SerialNo, "");
}

// Decoding of answers the simulator would not give on its own.
struct AnswerRow {
    const char* Name;
    std::function<void(PtnLL::TPtnLL&)> Run;
    Bytes Answer; // body; framed by the test
    bool Ok;
    std::function<void(const PtnLL::TPtnLL&)> Check;
};

void PrintTo(const AnswerRow& row, std::ostream* os) {
    *os << row.Name;
}

class CommandAnswer : public CommandLine, public testing::WithParamInterface<AnswerRow> {};

TEST_P(CommandAnswer, Decodes) {
    Commands.Cfg.Addr1 = 1;
    Commands.Cfg.FwVersion = "0000000000";
    AnswerNextWith(GetParam().Answer);
    GetParam().Run(Commands);
    EXPECT_EQ(Commands.Ok, GetParam().Ok);
    EXPECT_EQ(Commands.State, GetParam().Ok ? -1 : 6);
    GetParam().Check(Commands);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandAnswer,
    testing::Values(
        // The id in the answer, not the one asked for, says where the value goes.
        AnswerRow{"OtherIdInAnswer",
                  [](auto& c) { c.GetParam(1); },
                  {0x01, 0x0F, 0x02, 0x03, 0x2A},
                  true,
                  [](const auto& c) {
                      EXPECT_EQ(c.Cfg.NoFillTO1, 42);
                      EXPECT_EQ(c.Cfg.Addr1, 1);
                  }},
        AnswerRow{"LengthOne",
                  [](auto& c) { c.GetParam(1); },
                  {0x01, 0x0F, 0x01, 0x07},
                  true,
                  [](const auto& c) { EXPECT_EQ(c.Cfg.Addr1, 1); }},
        AnswerRow{"FlagNonzero",
                  [](auto& c) { c.GetParam(9); },
                  {0x01, 0x0F, 0x02, 0x09, 0x02},
                  true,
                  [](const auto& c) { EXPECT_TRUE(c.Cfg.Recalc); }},
        AnswerRow{"UnknownId",
                  [](auto& c) { c.GetParam(50); },
                  {0x01, 0x0F, 0x02, 0x32, 0x09},
                  true,
                  [](const auto& c) { EXPECT_EQ(c.Cfg.Addr1, 1); }},
        AnswerRow{"SerialNo",
                  [](auto& c) { c.GetParam(101); },
                  {0x01, 0x0F, 0x06, 0x65, 0x12, 0x34, 0x56, 0x78, 0x90},
                  true,
                  [](const auto& c) { EXPECT_EQ(c.Cfg.SerialNo, "1234567890"); }},
        AnswerRow{"NibblesAbove9",
                  [](auto& c) { c.GetParam(100); },
                  {0x01, 0x0F, 0x06, 0x64, 0xAB, 0x00, 0x00, 0x00, 0x01},
                  true,
                  [](const auto& c) { EXPECT_EQ(c.Cfg.FwVersion, ":;00000001"); }},
        // A text that did not arrive whole fails rather than being read from stale bytes.
        AnswerRow{"ShortText",
                  [](auto& c) { c.GetParam(100); },
                  {0x01, 0x0F, 0x04, 0x64, 0x12, 0x34, 0x56},
                  false,
                  [](const auto& c) { EXPECT_EQ(c.Cfg.FwVersion, "0000000000"); }},
        // The length byte promises more than the frame holds.
        AnswerRow{"LengthBeyondFrame",
                  [](auto& c) { c.GetParam(101); },
                  {0x01, 0x0F, 0x06, 0x65, 0x12, 0x34},
                  false,
                  [](const auto& c) { EXPECT_EQ(c.Cfg.SerialNo, ""); }},
        AnswerRow{"AmountOddLength",
                  [](auto& c) { c.GetAmount(1); },
                  {0x01, 0x04, 0x09, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00},
                  true,
                  [](const auto& c) { EXPECT_EQ(c.FillVolume, 0); }},
        AnswerRow{"AmountOtherKind",
                  [](auto& c) { c.GetAmount(1); },
                  {0x01, 0x04, 0x07, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01},
                  true,
                  [](const auto& c) {
                      EXPECT_EQ(c.FillVolume, 0);
                      EXPECT_EQ(c.FillMoney, 0);
                  }},
        AnswerRow{"TotalsFirstIndex",
                  [](auto& c) { c.GetSumm(1, 2); },
                  {0x01, 0x06, 0x08, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07},
                  true,
                  [](const auto& c) { EXPECT_EQ(c.TotalMoney[0], 7); }},
        // The query is answered at address 0 only, also by a controller at the current address.
        AnswerRow{"AddressesFromElsewhere",
                  [](auto& c) {
                      uint8_t first = 0, second = 0;
                      c.GetAddresses(first, second);
                  },
                  {0x01, 0x85, 0x02, 0x05, 0x06},
                  false,
                  [](const auto&) {}},
        AnswerRow{"TotalsOddLength",
                  [](auto& c) { c.GetSumm(1, 2); },
                  {0x01, 0x06, 0x09, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00},
                  true,
                  [](const auto& c) { EXPECT_EQ(c.TotalMoney[0], 0); }}),
    [](const auto& row) { return row.param.Name; });

// Commands with a fixed answer length refuse a well-formed answer of any other length, one byte
// short or long, though its length byte agrees with the data that came.
struct FixedLengthRow {
    const char* Name;
    std::function<void(PtnLL::TPtnLL&)> Run;
    uint8_t Address;
    uint8_t Code;
    uint8_t Length;
};

void PrintTo(const FixedLengthRow& row, std::ostream* os) {
    *os << row.Name;
}

class FixedLengthAnswer : public CommandLine, public testing::WithParamInterface<FixedLengthRow> {};

TEST_P(FixedLengthAnswer, OnlyTheExpectedLengthIsTaken) {
    const FixedLengthRow& row = GetParam();
    Commands.Cfg.SerialNo = "1234567890";
    const auto answer = [&](uint8_t Length) {
        Bytes body{row.Address, row.Code, Length};
        body.resize(body.size() + Length, 0x01);
        return body;
    };
    AnswerNextWith(answer(row.Length));
    row.Run(Commands);
    ASSERT_TRUE(Commands.Ok) << "the expected length";
    Commands.Errors = 0x21;
    for (const uint8_t length :
         {static_cast<uint8_t>(row.Length - 1), static_cast<uint8_t>(row.Length + 1)}) {
        Commands.State = 0;
        AnswerNextWith(answer(length));
        row.Run(Commands);
        EXPECT_FALSE(Commands.Ok) << "length " << int(length);
        EXPECT_EQ(Commands.State, 6) << "length " << int(length);
        EXPECT_EQ(Commands.Errors, 0x21u) << "length " << int(length);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FixedLengthAnswer,
    testing::Values(FixedLengthRow{"GetState", [](auto& c) { c.GetState(); }, 1, 0x01, 3},
                    FixedLengthRow{"Auth", [](auto& c) { c.Auth(); }, 1, 0x02, 1},
                    FixedLengthRow{"Stop", [](auto& c) { c.Stop(); }, 1, 0x03, 1},
                    FixedLengthRow{"Reset", [](auto& c) { c.Reset(); }, 1, 0x08, 1},
                    FixedLengthRow{"SetParam", [](auto& c) { c.SetParam(3); }, 1, 0x10, 1},
                    FixedLengthRow{"SetParamAddress", [](auto& c) { c.SetParam(1); }, 1, 0x10, 1},
                    FixedLengthRow{"EnterUpdateMode", [](auto& c) { c.EnterUpdateMode(); }, 1, 0xA5, 1},
                    FixedLengthRow{"GetAddresses",
                                   [](auto& c) {
                                       uint8_t first = 0, second = 0;
                                       c.GetAddresses(first, second);
                                   },
                                   0, 0x85, 2}),
    [](const auto& row) { return row.param.Name; });

// Every way an answer goes wrong: the command fails, State becomes 6, nothing decoded changes,
// and the failure names the exchange and the check that failed.
struct FaultRow {
    const char* Name;
    sim::Rule Rule;
    CommandFrame::TFault Fault;
};

void PrintTo(const FaultRow& row, std::ostream* os) {
    *os << row.Name;
}

class CommandFault : public CommandLine, public testing::WithParamInterface<FaultRow> {};

TEST_P(CommandFault, FailsAndKeepsWhatWasDecoded) {
    Sim.SetData(State(2, 1, 0x21));
    Commands.GetState();
    ASSERT_TRUE(Commands.Ok);
    Commands.Cfg.Addr1 = 77;

    const auto rule = On(2, GetParam().Rule);
    Sim.AddRule(rule);
    const auto start = Clock::now();
    Commands.GetParam(1);
    const auto elapsed = Clock::now() - start;

    EXPECT_FALSE(Commands.Ok);
    EXPECT_EQ(Commands.State, 6);
    EXPECT_TRUE(Commands.Ready);
    EXPECT_EQ(Commands.Errors, 0x21u);
    EXPECT_EQ(Commands.Cfg.Addr1, 77);
    EXPECT_EQ(Commands.LastFailure.Command, 0x0F);
    EXPECT_EQ(Commands.LastFailure.Parameter, 1);
    EXPECT_EQ(Commands.LastFailure.Verdict.Fault, GetParam().Fault);
    EXPECT_LT(elapsed, milliseconds(900));
    if (rule.fault == sim::Fault::Silent) {
        EXPECT_GE(elapsed, milliseconds(500));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandFault,
    testing::Values(
        FaultRow{"Silent", WithFault(sim::Fault::Silent), CommandFrame::TFault::NoAnswer},
        FaultRow{"WrongChecksum", WithFault(sim::Fault::WrongChecksum), CommandFrame::TFault::Checksum},
        FaultRow{"WrongAddress", WithFault(sim::Fault::WrongAddress), CommandFrame::TFault::WrongAddress},
        FaultRow{"WrongEcho", WithFault(sim::Fault::WrongEcho), CommandFrame::TFault::WrongCommand},
        // GetParam takes any length, but not one that promises more than came.
        FaultRow{"WrongLength", WithFault(sim::Fault::WrongLength), CommandFrame::TFault::LengthBeyondData},
        FaultRow{"BadTrailer", WithFault(sim::Fault::BadTrailer), CommandFrame::TFault::Trailer},
        FaultRow{"Truncated", WithFault(sim::Fault::Truncated), CommandFrame::TFault::TooShort},
        // 300 bytes at once: the read fills all 256 and that is no answer.
        FaultRow{"Oversize", WithFault(sim::Fault::Oversize), CommandFrame::TFault::Overrun},
        // The read ends in the pause and holds half an answer.
        FaultRow{"SplitBy40ms", Split(4, 40), CommandFrame::TFault::TooShort},
        FaultRow{"LaterThanTheReadLimit", Delay(600), CommandFrame::TFault::NoAnswer},
        FaultRow{"StrayInFront", Stray({0x55, 0x10}), CommandFrame::TFault::Checksum},
        // Leading zeros leave the checksum as it is; the address byte catches them.
        FaultRow{"StrayZeroInFront", Stray({0x00}), CommandFrame::TFault::WrongAddress}),
    [](const auto& row) { return row.param.Name; });

TEST_F(CommandLine, AnswersWithinTheReadRulesAreTaken) {
    for (const sim::Rule& rule : {On(1, Split(4, 10)), On(2, Delay(300))}) {
        Sim.AddRule(rule);
        Commands.GetParam(2);
        EXPECT_TRUE(Commands.Ok) << "exchange " << rule.First;
        EXPECT_EQ(Commands.Cfg.Addr2, 2);
        Commands.Cfg.Addr2 = 0;
    }
}

TEST_F(CommandLine, StaleInputIsReadInFrontOfTheAnswer) {
    // A whole, well-formed answer from before: the checks run over it and the new answer together.
    Sim.SendRaw({0x01, 0x01, 0x03, 0x05, 0x01, 0x80, 0x2C, 0x64, 0x03, 0xFF});
    Commands.GetParam(1);
    EXPECT_FALSE(Commands.Ok);
    EXPECT_EQ(Commands.State, 6);
    EXPECT_EQ(Commands.Errors, 0u);
    EXPECT_EQ(Commands.Cfg.Addr1, 0);
    EXPECT_EQ(Sim.WaitForFrames(1, milliseconds(1000)), 1u);
}

TEST_F(CommandLine, AnAddressOutsideAByteNeverMatches) {
    Commands.Address = 257; // goes out as 01, and the controller at 1 answers
    Commands.GetState();
    EXPECT_FALSE(Commands.Ok);
    EXPECT_EQ(Commands.State, 6);
    ASSERT_EQ(Sim.ReceivedFrames().size(), 1u);
    EXPECT_EQ(Sim.ReceivedFrames()[0][0], 0x01);
}

TEST_F(CommandLine, EnterUpdateModeNeedsTenCharacters) {
    for (const char* serial : {"", "123456789", "12345678901"}) {
        Commands.Cfg.SerialNo = serial;
        Commands.Ok = true;
        Commands.State = 0;
        Commands.EnterUpdateMode();
        EXPECT_FALSE(Commands.Ok) << serial;
        EXPECT_EQ(Commands.State, 6) << serial;
        EXPECT_EQ(Commands.LastFailure.Verdict.Fault, CommandFrame::TFault::NotSent) << serial;
    }
    // Nothing went out: the only frame the controller sees is the state request after them.
    Commands.GetState();
    EXPECT_TRUE(Commands.Ok);
    ASSERT_EQ(Sim.ReceivedFrames().size(), 1u);
    EXPECT_EQ(Sim.ReceivedFrames()[0][1], 0x01);
    EXPECT_FALSE(Sim.InUpdateMode());
}

class SetConfigTest : public CommandLine {
protected:
    SetConfigTest() {
        Commands.Cfg = {.Addr1 = 7,
                        .NoFillTO1 = 13,
                        .Addr2 = 8,
                        .NoFillTO2 = 14,
                        .MinVoltage = 60,
                        .NoMaster = 15,
                        .PricePoint = 2,
                        .AmoPoint = 1,
                        .Recalc = false,
                        .ElType = false,
                        .SerialNo = {},
                        .FwVersion = {}};
        Commands.OnAddressChanged = [this](int32_t address) {
            Announced.push_back(address);
            FramesWhenAnnounced = Sim.ReceivedFrames().size();
        };
    }
    std::vector<int32_t> Announced;
    size_t FramesWhenAnnounced = 0;
};

TEST_F(SetConfigTest, WritesInOrderAndSwitchesAddressAfterSide1) {
    std::vector<uint8_t> written;
    Commands.SetConfig([&written](uint8_t Id) { written.push_back(Id); });
    ASSERT_TRUE(Commands.Ok);
    EXPECT_EQ(written, (std::vector<uint8_t>{3, 4, 5, 6, 7, 8, 9, 10, 1, 2}));
    const std::vector<std::pair<uint8_t, uint8_t>> sent{{1, 3}, {1, 4}, {1, 5},  {1, 6}, {1, 7},
                                                        {1, 8}, {1, 9}, {1, 10}, {1, 1}, {7, 2}};
    EXPECT_EQ(AddressesAndIds(), sent);
    EXPECT_EQ(Announced, std::vector<int32_t>{7});
    EXPECT_EQ(FramesWhenAnnounced, 9u);
    EXPECT_EQ(Commands.Address, 7);
    const auto stored = Sim.Config();
    EXPECT_EQ(stored.Addr1, 7);
    EXPECT_EQ(stored.Addr2, 8);
    EXPECT_EQ(stored.NoFillTO1, 13);
    EXPECT_EQ(stored.NoFillTO2, 14);
    EXPECT_EQ(stored.NoMaster, 15);
    EXPECT_EQ(stored.MinVoltage, 60);
    EXPECT_EQ(stored.PricePoint, 2);
    EXPECT_EQ(stored.AmoPoint, 1);
    EXPECT_FALSE(stored.Recalc);
    EXPECT_FALSE(stored.ElType);
}

TEST_F(SetConfigTest, TakesTheAddressAnswersFromAnyAddress) {
    FaultOn(9, sim::Fault::WrongAddress);
    FaultOn(10, sim::Fault::WrongAddress);
    Commands.SetConfig();
    EXPECT_TRUE(Commands.Ok);
    EXPECT_EQ(Commands.Address, 7);
}

struct StopRow {
    const char* Name;
    int FailingExchange;
    sim::Fault Fault;
    int32_t AddressAfter;
    size_t Announcements;
    uint8_t FailedId;
};

void PrintTo(const StopRow& row, std::ostream* os) {
    *os << row.Name;
}

class SetConfigStop : public SetConfigTest, public testing::WithParamInterface<StopRow> {};

TEST_P(SetConfigStop, StopsAtTheFirstFailure) {
    FaultOn(GetParam().FailingExchange, GetParam().Fault);
    std::vector<uint8_t> written;
    Commands.SetConfig([&written](uint8_t Id) { written.push_back(Id); });
    EXPECT_FALSE(Commands.Ok);
    // Told every parameter written before the one that failed, and that one only as the failure.
    const std::vector<uint8_t> order{3, 4, 5, 6, 7, 8, 9, 10, 1, 2};
    EXPECT_EQ(written, std::vector<uint8_t>(order.begin(), order.begin() + GetParam().FailingExchange - 1));
    EXPECT_EQ(Commands.LastFailure.Command, 0x10);
    EXPECT_EQ(Commands.LastFailure.Parameter, GetParam().FailedId);
    EXPECT_EQ(Commands.State, 6);
    EXPECT_EQ(Sim.ReceivedFrames().size(), static_cast<size_t>(GetParam().FailingExchange));
    EXPECT_EQ(Commands.Address, GetParam().AddressAfter);
    EXPECT_EQ(Announced.size(), GetParam().Announcements);
}

INSTANTIATE_TEST_SUITE_P(Rows, SetConfigStop,
                         testing::Values(StopRow{"FirstSetting", 1, sim::Fault::Silent, 1, 0, 3},
                                         // Only the address answers are taken from anyone.
                                         StopRow{"LastSettingFromElsewhere", 8, sim::Fault::WrongAddress, 1,
                                                 0, 10},
                                         StopRow{"Side1Address", 9, sim::Fault::WrongChecksum, 1, 0, 1},
                                         // Side 1 already moved: the new address stays.
                                         StopRow{"Side2Address", 10, sim::Fault::Silent, 7, 1, 2}),
                         [](const auto& row) { return row.param.Name; });

} // namespace
