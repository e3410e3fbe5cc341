// The port on Windows against the simulated controller behind a COM port. The ports are named by
// the environment, as windows-test.sh maps them:
//   ZUR_TEST_COM           a controller that answers normally
//   ZUR_TEST_COM_OVERSIZE  one whose every answer is padded to 300 bytes sent in one burst
//   ZUR_TEST_COM_SPLIT     one that pauses 40 ms after the first 4 bytes of every answer
//   ZUR_TEST_COM_SPLIT_SHORT  one that pauses 10 ms there
//   ZUR_TEST_COM_SLOW      one that pads every answer to 300 bytes and sends them at 2400 bit/s
// A test whose port is not named is skipped.

#include "protocol/CommandFrame.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "tests/support/LineContract.h"
#include "tests/windows/HandleCount.h"
#include "tests/windows/ImportHook.h"
#include "tests/windows/WineHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// The settings and time-outs the main window opens the line with.
constexpr uint32_t kQueueSize = 256;
constexpr uint32_t kDcbFlags = 2; // parity checked, no flow control, DTR and RTS off
constexpr uint8_t kOddParity = 1;
constexpr uint8_t kOneStopBit = 0;
constexpr uint8_t kEightBits = 8;
constexpr int kAnswerCount = 256;
constexpr uint8_t kControllerAddress = 1; // the simulator's default side-1 address
constexpr uint8_t kGetParam = 0x0F;
constexpr uint8_t kParamAddr1 = 1;

std::optional<std::string> PortFromEnvironment(const char* Variable) {
    const char* name = std::getenv(Variable);
    if (!name || !*name)
        return std::nullopt;
    return std::string(name);
}

std::unique_ptr<MyCOMM::TZMyComm> OpenPort(const std::string& Name, uint32_t BaudRate = 9600,
                                           uint8_t Parity = kOddParity, uint8_t StopBits = kOneStopBit) {
    auto port = std::make_unique<MyCOMM::TZMyComm>(Name, BaudRate, kQueueSize, kQueueSize, kDcbFlags, Parity,
                                                   StopBits, kEightBits);
    port->SetTimeouts(25, 0, 500, 1, 200);
    return port;
}

Bytes ReadOnce(MyCOMM::TZMyComm& Port) {
    Bytes bytes(kAnswerCount);
    bytes.resize(static_cast<size_t>(Port.Read(bytes.data(), kAnswerCount)));
    return bytes;
}

// A GetParam request as it travels.
Bytes GetParamFrame(uint8_t Id) {
    CommandFrame::Area tx{4, kControllerAddress, kGetParam, 1, Id};
    CommandFrame::Area scratch{};
    EXPECT_TRUE(CommandFrame::BuildFrame(tx, scratch));
    return Bytes(tx.begin() + 1, tx.begin() + 1 + tx[0]);
}

long long MsSince(Clock::time_point Start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start).count();
}

class ComLineTest : public testing::Test {
protected:
    void SetUp() override {
        const auto name = PortFromEnvironment("ZUR_TEST_COM");
        if (!name)
            GTEST_SKIP() << "ZUR_TEST_COM names no port";
        portName = *name;
        port = OpenPort(portName);
    }

    std::string portName;
    std::unique_ptr<MyCOMM::TZMyComm> port;
};

TEST_F(ComLineTest, ConfigurationReadRunsOverTheLine) {
    PtnLL::TPtnLL commands(kControllerAddress, *port);
    commands.GetConfig();
    ASSERT_TRUE(commands.Ok);
    EXPECT_EQ(commands.Cfg.Addr1, 1);
    EXPECT_EQ(commands.Cfg.Addr2, 2);
    EXPECT_EQ(commands.Cfg.NoFillTO1, 10);
    EXPECT_EQ(commands.Cfg.NoMaster, 30);
    EXPECT_EQ(commands.Cfg.FwVersion, "0102030405");
    EXPECT_EQ(commands.Cfg.SerialNo, "1234567890");
}

TEST_F(ComLineTest, ExchangeOfNobodyFailsAfterTheReadLimit) {
    PtnLL::TPtnLL commands(kControllerAddress + 1, *port);
    const auto start = Clock::now();
    commands.GetParam(kParamAddr1);
    EXPECT_FALSE(commands.Ok);
    EXPECT_EQ(commands.State, 6);
    EXPECT_GE(MsSince(start), 500);
}

TEST_F(ComLineTest, WriteOfNothingIsNoFailure) {
    const uint8_t unused = 0;
    EXPECT_FALSE(port->WriteAll(&unused, 0));
    EXPECT_EQ(port->Write(&unused, -1), 0);
    uint8_t into = 0;
    EXPECT_EQ(port->Read(&into, 0), 0);
    EXPECT_EQ(port->Read(&into, -1), 0);
}

TEST_F(ComLineTest, ExchangeWorksAfterBreakAndPurge) {
    port->Break(false);
    port->Break(true);
    port->Purge();
    PtnLL::TPtnLL commands(kControllerAddress, *port);
    commands.GetParam(kParamAddr1);
    EXPECT_TRUE(commands.Ok);
}

TEST_F(ComLineTest, BytesLeftAfterReadComeWithTheNextRead) {
    const Bytes request = GetParamFrame(kParamAddr1);
    ASSERT_FALSE(port->WriteAll(request.data(), static_cast<int>(request.size())));
    Bytes answer(kAnswerCount);
    // Ask for less than the answer: the rest stays queued, as nothing purges between reads.
    const int first = port->Read(answer.data(), 3);
    ASSERT_EQ(first, 3);
    const Bytes rest = ReadOnce(*port);
    ASSERT_GE(rest.size(), CommandFrame::kShortestAnswer - 3);
    EXPECT_EQ(answer[0], kControllerAddress);
    EXPECT_EQ(answer[1], kGetParam);
    EXPECT_EQ(*(rest.end() - 2), 0x03);
    EXPECT_EQ(rest.back(), 0xFF);
}

TEST_F(ComLineTest, PurgeOnWriteDropsWhatAnEarlierAnswerLeft) {
    const Bytes request = GetParamFrame(kParamAddr1);
    ASSERT_FALSE(port->WriteAll(request.data(), static_cast<int>(request.size())));
    const Bytes whole = ReadOnce(*port);
    ASSERT_GE(whole.size(), CommandFrame::kShortestAnswer);

    ASSERT_FALSE(port->WriteAll(request.data(), static_cast<int>(request.size())));
    uint8_t head[3];
    ASSERT_EQ(port->Read(head, 3), 3);
    port->PurgeOnWrite = true;
    ASSERT_FALSE(port->WriteAll(request.data(), static_cast<int>(request.size())));
    EXPECT_EQ(ReadOnce(*port), whole);
}

TEST_F(ComLineTest, DestroyedPortLeavesNoHandleAndOpensAgain) {
    port.reset();
    const size_t closed = HandleCount::OfThisProcess();
    ASSERT_GT(closed, 0u);
    port = OpenPort(portName);
    EXPECT_EQ(HandleCount::OfThisProcess(), closed + 1);
    port.reset();
    EXPECT_EQ(HandleCount::OfThisProcess(), closed);
    EXPECT_NO_THROW(port = OpenPort(portName));
}

TEST_F(ComLineTest, SecondOpenIsRefused) {
    if (WineHost::UnderWine())
        GTEST_SKIP() << "Wine does not enforce share mode 0 on COM ports; this needs Windows itself";
    EXPECT_THROW(OpenPort(portName), MyCOMM::ECommError);
}

TEST_F(ComLineTest, MappedPortIsListed) {
    std::vector<std::string> list;
    MyCOMM::ListComPorts(list);
    EXPECT_EQ(std::ranges::count(list, portName), 1);
}

// The device-control block the port ends up with, as a second handle reads it back. Windows
// refuses that second handle, so this runs only under Wine. A pseudo-terminal keeps speed and stop
// bits but always reports 8 bits without parity, and it has no modem lines, so parity and DTR/RTS
// cannot be read back here.
struct TLineRow {
    const char* Name;
    uint32_t BaudRate;
    uint8_t StopBits;
};

class LineSettingsTest : public testing::TestWithParam<TLineRow> {};

TEST_P(LineSettingsTest, DeviceControlBlockHoldsTheArguments) {
    const auto name = PortFromEnvironment("ZUR_TEST_COM");
    if (!name)
        GTEST_SKIP() << "ZUR_TEST_COM names no port";
    if (!WineHost::UnderWine())
        GTEST_SKIP() << "a second handle to an open port needs Wine";
    const TLineRow& row = GetParam();
    const auto port = OpenPort(*name, row.BaudRate, kOddParity, row.StopBits);

    const std::string path = "\\\\?\\" + *name;
    const HANDLE second = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    const bool read = GetCommState(second, &dcb);
    CloseHandle(second);
    ASSERT_TRUE(read);
    EXPECT_EQ(dcb.BaudRate, row.BaudRate);
    EXPECT_EQ(dcb.ByteSize, kEightBits);
    EXPECT_EQ(dcb.StopBits, row.StopBits);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);
}

const TLineRow kLineRows[] = {
    {"Slowest", 2400, kOneStopBit},
    {"Default", 9600, kOneStopBit},
    {"Fastest", 115200, kOneStopBit},
    {"TwoStopBits", 19200, 2},
};

INSTANTIATE_TEST_SUITE_P(Rows, LineSettingsTest, testing::ValuesIn(kLineRows),
                         [](const testing::TestParamInfo<TLineRow>& row) { return row.param.Name; });

// The line contract on COM ports, with a simulator of its own behind the port of each row: a
// burst is the oversize controller's padded answer, the answers come from the split and slow ones.
class TComFarEnd final : public LineContract::TFarEnd {
public:
    MyCOMM::TZMyComm* Arrange(const LineContract::TRow& Row) override {
        using LineContract::TFar;
        port.reset();
        const char* variable = Row.Far == TFar::Nothing       ? "ZUR_TEST_COM"
                               : Row.Far == TFar::Burst       ? "ZUR_TEST_COM_OVERSIZE"
                               : Row.Far == TFar::SlowAnswer  ? "ZUR_TEST_COM_SLOW"
                               : Row.PauseMs >= kSplitPauseMs ? "ZUR_TEST_COM_SPLIT"
                                                              : "ZUR_TEST_COM_SPLIT_SHORT";
        const auto name = PortFromEnvironment(variable);
        // The simulators pause after 4 bytes, 40 or 10 ms.
        if (!name || (Row.Far == TFar::PausedAnswer && Row.Bytes != kSplitAfter))
            return nullptr;
        port = LineContract::OpenPort(*name, Row.Far == TFar::SlowAnswer ? 2400 : 9600);
        if (Row.Far != TFar::Nothing)
            LineContract::Ask(*port);
        return port.get();
    }

private:
    static constexpr size_t kSplitAfter = 4;
    static constexpr int kSplitPauseMs = 40;
    std::unique_ptr<MyCOMM::TZMyComm> port;
};

class ComLineContractTest : public testing::TestWithParam<LineContract::TRow> {};

TEST_P(ComLineContractTest, ReadsTakeWhatTheFarEndSends) {
    TComFarEnd farEnd;
    LineContract::Check(GetParam(), farEnd);
}

INSTANTIATE_TEST_SUITE_P(ComPorts, ComLineContractTest, testing::ValuesIn(LineContract::Rows(true)),
                         [](const testing::TestParamInfo<LineContract::TRow>& Row) {
                             return Row.param.Name;
                         });

// The flag word goes into the device-control block whole, bit for bit, as SetCommState receives
// it: the pseudo-terminal behind the port could not show parity checking, DTR and RTS control or
// the reserved bits.
struct TFlagRow {
    const char* Name;
    uint32_t Flags;
    DWORD Parity, DtrControl, RtsControl, Reserved;
};

void PrintTo(const TFlagRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

DCB PassedToSetCommState;
int SetCommStateCalls = 0;

BOOL WINAPI RecordSetCommState(HANDLE, LPDCB Dcb) {
    PassedToSetCommState = *Dcb;
    ++SetCommStateCalls;
    return TRUE;
}

// The 32 flag bits that follow BaudRate in the block.
uint32_t FlagWord(const DCB& Dcb) {
    uint32_t word = 0;
    std::memcpy(&word, reinterpret_cast<const char*>(&Dcb.BaudRate) + sizeof(Dcb.BaudRate), sizeof(word));
    return word;
}

class FlagWordTest : public testing::TestWithParam<TFlagRow> {};

TEST_P(FlagWordTest, GoesIntoTheBlockWhole) {
    const auto name = PortFromEnvironment("ZUR_TEST_COM");
    if (!name)
        GTEST_SKIP() << "ZUR_TEST_COM names no port";
    const ImportHook::TImportHook hook("kernel32.dll", "SetCommState",
                                       reinterpret_cast<void*>(&RecordSetCommState));
    ASSERT_TRUE(hook.Installed());
    SetCommStateCalls = 0;
    const TFlagRow& row = GetParam();
    MyCOMM::TZMyComm port(*name, 9600, kQueueSize, kQueueSize, row.Flags, kOddParity, kOneStopBit,
                          kEightBits);
    ASSERT_EQ(SetCommStateCalls, 1);
    const DCB& dcb = PassedToSetCommState;
    EXPECT_EQ(dcb.fParity, row.Parity);
    EXPECT_EQ(dcb.fDtrControl, row.DtrControl);
    EXPECT_EQ(dcb.fRtsControl, row.RtsControl);
    EXPECT_EQ(dcb.fDummy2, row.Reserved);
    EXPECT_EQ(FlagWord(dcb), row.Flags);
}

const TFlagRow kFlagRows[] = {
    {.Name = "MainWindow",
     .Flags = kDcbFlags,
     .Parity = 1,
     .DtrControl = DTR_CONTROL_DISABLE,
     .RtsControl = RTS_CONTROL_DISABLE,
     .Reserved = 0},
    {.Name = "DtrEnabledRtsHandshake",
     .Flags = 0x2010,
     .Parity = 0,
     .DtrControl = DTR_CONTROL_ENABLE,
     .RtsControl = RTS_CONTROL_HANDSHAKE,
     .Reserved = 0},
    {.Name = "DtrHandshakeRtsToggle",
     .Flags = 0x3020,
     .Parity = 0,
     .DtrControl = DTR_CONTROL_HANDSHAKE,
     .RtsControl = RTS_CONTROL_TOGGLE,
     .Reserved = 0},
    {.Name = "ReservedBits",
     .Flags = 0xFFFF8000,
     .Parity = 0,
     .DtrControl = 0,
     .RtsControl = 0,
     .Reserved = 0x1FFFF},
    {.Name = "EveryBit",
     .Flags = 0xFFFFFFFF,
     .Parity = 1,
     .DtrControl = 3,
     .RtsControl = 3,
     .Reserved = 0x1FFFF},
};

INSTANTIATE_TEST_SUITE_P(Rows, FlagWordTest, testing::ValuesIn(kFlagRows),
                         [](const testing::TestParamInfo<TFlagRow>& row) { return row.param.Name; });

class ComOpenTest : public testing::TestWithParam<const char*> {};

TEST_P(ComOpenTest, MissingPortFailsWithItsNameAndHoldsNothing) {
    const std::string name = GetParam();
    const auto attempt = [&] {
        try {
            OpenPort(name);
            ADD_FAILURE() << name << " opened";
        } catch (const MyCOMM::ECommError& error) {
            EXPECT_EQ(error.what(), "Cannot open COM-port " + name);
            EXPECT_STRNE(error.Reason(), "");
        }
    };
    // The first device lookup of a process makes Wine keep handles of its own: count from the second.
    attempt();
    const size_t before = HandleCount::OfThisProcess();
    ASSERT_GT(before, 0u);
    attempt();
    EXPECT_EQ(HandleCount::OfThisProcess(), before);
}

// A port that is not there, a name that is no device, and an empty name.
INSTANTIATE_TEST_SUITE_P(Names, ComOpenTest, testing::Values("COM77", "NOSUCHPORT", ""));

} // namespace
