// The port on a pseudo-terminal: a real byte stream with real timing at the other end.

#include "serial/MyCOMM.h"
#include "serial/Termios2.h"

#include "IoctlLog.h"
#include "sim/Simulator.h"
#include "tests/support/LineContract.h"
#include "tests/support/ProcessCounts.h"
#include "tests/support/PtyPeer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <limits>
#include <numeric>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// The settings and time-outs the main window opens the line with.
constexpr uint32_t kQueueSize = 256;
constexpr uint32_t kDcbFlags = 2;
constexpr uint8_t kOddParity = 1;
constexpr uint8_t kOneStopBit = 0;
constexpr uint8_t kEightBits = 8;
constexpr int kAnswerCount = 256;

std::unique_ptr<MyCOMM::TZMyComm> OpenPort(const std::string& Name, uint32_t BaudRate = 9600,
                                           uint32_t DcbFlags = kDcbFlags) {
    auto port = std::make_unique<MyCOMM::TZMyComm>(Name, BaudRate, kQueueSize, kQueueSize, DcbFlags,
                                                   kOddParity, kOneStopBit, kEightBits);
    port->SetTimeouts(25, 0, 500, 1, 200);
    return port;
}

Bytes Pattern(size_t Count) {
    Bytes bytes(Count);
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    return bytes;
}

Bytes ReadOnce(MyCOMM::TZMyComm& Port, int Count = kAnswerCount) {
    Bytes bytes(static_cast<size_t>(Count));
    bytes.resize(static_cast<size_t>(Port.Read(bytes.data(), Count)));
    return bytes;
}

long long MsSince(Clock::time_point Start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start).count();
}

class LineTest : public testing::Test {
protected:
    void SetUp() override { port = OpenPort(peer.SlavePath()); }

    PtyPeer peer;
    std::unique_ptr<MyCOMM::TZMyComm> port;
};

TEST_F(LineTest, QueuedBytesAreTakenEvenWhenTheLimitHasPassed) {
    peer.Send(Pattern(100));
    ASSERT_EQ(ReadOnce(*port, 1).size(), 1u); // the burst has reached the port
    port->SetTimeouts(0, 0, 1, 1, 200);
    std::this_thread::sleep_for(5ms); // past the coming read's whole limit
    EXPECT_EQ(ReadOnce(*port).size(), 99u);
}

TEST_F(LineTest, WithoutLimitsAReadWaitsForCount) {
    port->SetTimeouts(0, 0, 0, 0, 0);
    std::thread sender([&] {
        peer.Send({1, 2, 3});
        std::this_thread::sleep_for(60ms); // longer than any interval the tool uses
        peer.Send({4, 5, 6});
    });
    EXPECT_EQ(ReadOnce(*port, 6), (Bytes{1, 2, 3, 4, 5, 6}));
    sender.join();
}

TEST_F(LineTest, LargestTimeOutsStillWork) {
    constexpr uint32_t kMost = std::numeric_limits<uint32_t>::max();
    port->SetTimeouts(25, kMost, kMost, kMost, kMost);
    // The read must wait for the answer, not take an overflowed limit as already passed.
    std::thread sender([&] {
        std::this_thread::sleep_for(50ms);
        peer.Send({1, 2, 3});
    });
    EXPECT_EQ(ReadOnce(*port, 4096), (Bytes{1, 2, 3})); // 4096 × the multiplier overflows nanoseconds
    sender.join();
    const Bytes frame = Pattern(8);
    EXPECT_FALSE(port->WriteAll(frame.data(), static_cast<int>(frame.size())));
    EXPECT_EQ(peer.Receive(frame.size()), frame);
}

TEST_F(LineTest, ZeroCountsMoveNothing) {
    uint8_t byte = 0;
    EXPECT_EQ(port->Read(&byte, 0), 0);
    EXPECT_EQ(port->Read(&byte, -1), 0);
    EXPECT_EQ(port->Write(&byte, 0), 0);
    EXPECT_FALSE(port->WriteAll(&byte, 0));
    EXPECT_FALSE(port->ReadAll(&byte, 0));
}

TEST_F(LineTest, TransfersGiveTheThreadItsTimerSlackBack) {
    // A transfer waits with the least slack the kernel allows; the caller's own must survive it.
    constexpr long kOwnSlackNs = 123'456;
    ASSERT_EQ(prctl(PR_SET_TIMERSLACK, kOwnSlackNs, 0, 0, 0), 0);
    peer.Send({1});
    EXPECT_EQ(ReadOnce(*port), Bytes{1});
    const Bytes frame = Pattern(8);
    EXPECT_FALSE(port->WriteAll(frame.data(), static_cast<int>(frame.size())));
    EXPECT_EQ(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), kOwnSlackNs);
    prctl(PR_SET_TIMERSLACK, 0, 0, 0, 0); // the default again
}

TEST_F(LineTest, ReadAllTellsAShortRead) {
    peer.Send({1, 2, 3});
    Bytes buffer(4);
    EXPECT_TRUE(port->ReadAll(buffer.data(), 4));
    peer.Send({1, 2, 3, 4});
    EXPECT_FALSE(port->ReadAll(buffer.data(), 4));
    EXPECT_EQ(buffer, (Bytes{1, 2, 3, 4}));
}

TEST_F(LineTest, PurgeDropsWhatWasReceived) {
    peer.Send(Pattern(10));
    ASSERT_EQ(ReadOnce(*port, 1).size(), 1u);
    port->Purge();
    port->SetTimeouts(25, 0, 100, 1, 200);
    EXPECT_TRUE(ReadOnce(*port).empty());
}

TEST_F(LineTest, BreakStartsOnFalseEndsOnTrueAndLeavesTheLineWorking) {
    IoctlLog::Clear();
    port->Break(false);
    const std::vector<unsigned long> started = IoctlLog::Requests();
    port->Break(true);
    EXPECT_EQ(started, std::vector<unsigned long>{TIOCSBRK});
    EXPECT_EQ(IoctlLog::Requests(), (std::vector<unsigned long>{TIOCSBRK, TIOCCBRK}));
    peer.Send({0x55});
    EXPECT_EQ(ReadOnce(*port), Bytes{0x55});
}

TEST_F(LineTest, PurgeOnWriteDropsWhatCameBeforeTheWrite) {
    peer.Send(Pattern(10));
    ASSERT_EQ(ReadOnce(*port, 1).size(), 1u); // the other nine wait at the port
    port->PurgeOnWrite = true;
    const Bytes frame = Pattern(8);
    EXPECT_FALSE(port->WriteAll(frame.data(), static_cast<int>(frame.size())));
    EXPECT_EQ(peer.Receive(frame.size()), frame);
    port->SetTimeouts(25, 0, 100, 1, 200);
    EXPECT_TRUE(ReadOnce(*port).empty());
}

TEST_F(LineTest, WriteLimitGrowsByTheMultiplierPerByte) {
    // The peer reads nothing: once the pseudo-terminal's buffer is full, nothing more drains.
    port->SetTimeouts(25, 0, 500, 0, 50);
    const Bytes fill = Pattern(1 << 20);
    ASSERT_LT(port->Write(fill.data(), static_cast<int>(fill.size())), static_cast<int>(fill.size()));

    // 1 ms a byte and nothing constant: 300 bytes have 300 ms, then the write gives up.
    port->SetTimeouts(25, 0, 500, 1, 0);
    const Bytes frame = Pattern(300);
    const auto start = Clock::now();
    auto written = std::async(std::launch::async,
                              [&] { return port->Write(frame.data(), static_cast<int>(frame.size())); });
    // A limit without the per-byte part would be none at all here; the hang-up ends such a write.
    if (written.wait_for(10s) != std::future_status::ready) {
        peer.HangUp();
        ADD_FAILURE() << "the write did not end at its limit";
    }
    EXPECT_LT(written.get(), static_cast<int>(frame.size()));
    EXPECT_GE(MsSince(start), 150); // or the limit ended at once, as if it were 0
}

TEST_F(LineTest, WriteStopsAtItsDeadlineWithTheCountSent) {
    port->SetTimeouts(25, 0, 500, 0, 200);
    const Bytes big = Pattern(1 << 20); // far more than a pseudo-terminal holds
    const auto start = Clock::now();
    const int written = port->Write(big.data(), static_cast<int>(big.size()));
    const auto elapsed = MsSince(start);
    EXPECT_GE(elapsed, 200);
    EXPECT_LT(elapsed, 600);
    ASSERT_GT(written, 0);
    ASSERT_LT(written, static_cast<int>(big.size()));
    // The count is exactly what reached the other side.
    const Bytes received = peer.Receive(big.size());
    ASSERT_EQ(received.size(), static_cast<size_t>(written));
    EXPECT_TRUE(std::equal(received.begin(), received.end(), big.begin()));
}

TEST_F(LineTest, WriteAllOfAFrameSucceeds) {
    const Bytes frame{0x01, 0x0F, 0x01, 0x01, 0xFF, 0xFF, 0x03, 0xFF};
    EXPECT_FALSE(port->WriteAll(frame.data(), static_cast<int>(frame.size())));
    EXPECT_EQ(peer.Receive(frame.size()), frame);
}

TEST_F(LineTest, HungUpLineEndsTransfersAtOnce) {
    port->SetTimeouts(0, 0, 3000, 0, 3000);
    peer.Send({7, 8, 9});
    ASSERT_EQ(ReadOnce(*port, 1), Bytes{7});
    peer.HangUp();
    const auto start = Clock::now();
    const Bytes rest = ReadOnce(*port);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_LE(rest.size(), 2u);
    const Bytes frame = Pattern(16);
    const auto writeStart = Clock::now();
    EXPECT_TRUE(port->WriteAll(frame.data(), static_cast<int>(frame.size())));
    EXPECT_LT(MsSince(writeStart), 1000);
}

// What the port told of one transfer.
struct Transfer {
    LineTap::TDirection Direction = LineTap::TDirection::Tx;
    std::vector<uint8_t> Bytes;
    LineTap::TEnd End = LineTap::TEnd::None;
    bool operator==(const Transfer&) const = default;
};

// Keeps what the port tells it.
struct RecordingTap final : LineTap::TLineTap {
    void Record(LineTap::TDirection Direction, std::span<const uint8_t> Data, LineTap::TEnd End) override {
        chunks.push_back({.Direction = Direction, .Bytes = {Data.begin(), Data.end()}, .End = End});
    }
    std::vector<Transfer> chunks;
};

TEST_F(LineTest, TapIsToldEveryTransferAndWhyEachReadEnded) {
    using LineTap::TDirection;
    using LineTap::TEnd;
    RecordingTap tap;
    port->Tap = &tap;
    const Bytes frame{0x01, 0x0F, 0x01, 0x01, 0xF1, 0xAF, 0x03, 0xFF};
    ASSERT_FALSE(port->WriteAll(frame.data(), static_cast<int>(frame.size())));
    peer.Send({1, 2, 3});
    ReadOnce(*port);
    ReadOnce(*port);
    peer.Send(Pattern(20));
    ReadOnce(*port, 20);
    port->Tap = nullptr;
    ReadOnce(*port, 1);
    const std::vector<Transfer> expected{
        {.Direction = TDirection::Tx, .Bytes = frame, .End = TEnd::None},
        {.Direction = TDirection::Rx, .Bytes = {1, 2, 3}, .End = TEnd::Silence},
        {.Direction = TDirection::Rx, .Bytes = {}, .End = TEnd::Timeout},
        {.Direction = TDirection::Rx, .Bytes = Pattern(20), .End = TEnd::Count},
    };
    EXPECT_EQ(tap.chunks, expected);
}

TEST_F(LineTest, DtrAndRtsAreOffAfterOpening) {
    // A second descriptor on the same terminal; root passes TIOCEXCL, others are refused.
    const int fd = open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        GTEST_SKIP() << "the terminal is exclusive to the port";
    int lines = 0;
    const int result = ioctl(fd, TIOCMGET, &lines);
    close(fd);
    if (result != 0)
        GTEST_SKIP() << "a pseudo-terminal has no modem lines";
    EXPECT_EQ(lines & (TIOCM_DTR | TIOCM_RTS), 0);
}

// The line contract on a pseudo-terminal, with the simulated controller of the test program at its
// far end: a fresh controller and line for every attempt.
class TPtyFarEnd final : public LineContract::TFarEnd {
public:
    MyCOMM::TZMyComm* Arrange(const LineContract::TRow& Row) override {
        using LineContract::TFar;
        port.reset();
        sim::Options options;
        if (Row.Far == TFar::SlowAnswer)
            options.PaceBitsPerSecond = 2400;
        simulator = std::make_unique<sim::Simulator>(options);
        port = LineContract::OpenPort(simulator->PortPath(), Row.Far == TFar::SlowAnswer ? 2400 : 9600);
        sent.reset();
        sim::Rule rule;
        switch (Row.Far) {
        case TFar::Nothing:
            break;
        case TFar::Burst:
            sent = Pattern(Row.Bytes);
            simulator->SendRaw(*sent);
            break;
        case TFar::PausedAnswer:
            rule.SplitAfter = static_cast<int>(Row.Bytes);
            rule.SplitPauseMs = Row.PauseMs;
            simulator->AddRule(rule);
            LineContract::Ask(*port);
            break;
        case TFar::SlowAnswer:
            rule.fault = sim::Fault::Oversize;
            simulator->AddRule(rule);
            LineContract::Ask(*port);
            break;
        }
        return port.get();
    }
    std::optional<Bytes> Sent() const override { return sent; }

private:
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<MyCOMM::TZMyComm> port;
    std::optional<Bytes> sent;
};

class LineContractTest : public testing::TestWithParam<LineContract::TRow> {};

TEST_P(LineContractTest, ReadsTakeWhatTheFarEndSends) {
    TPtyFarEnd farEnd;
    LineContract::Check(GetParam(), farEnd);
}

INSTANTIATE_TEST_SUITE_P(PseudoTerminal, LineContractTest, testing::ValuesIn(LineContract::Rows(true)),
                         [](const testing::TestParamInfo<LineContract::TRow>& Row) {
                             return Row.param.Name;
                         });

// Every byte value both ways, with 0xFF in runs and at every read boundary. Parity checking on
// makes the kernel double each received 0xFF; off, it does not.
class RoundTripTest : public testing::TestWithParam<uint32_t> {
protected:
    void SetUp() override { port = OpenPort(peer.SlavePath(), 9600, GetParam()); }

    static Bytes Payload() {
        Bytes bytes = Pattern(256);
        for (const Bytes& run : {Bytes{0xFF, 0xFF}, Bytes{0xFF, 0x00, 0x41},
                                 Bytes{0xFF, 0xFF, 0xFF, 0x00, 0x00}, Bytes{0x03, 0xFF, 0xFF}})
            bytes.insert(bytes.end(), run.begin(), run.end());
        return bytes;
    }

    PtyPeer peer;
    std::unique_ptr<MyCOMM::TZMyComm> port;
};

TEST_P(RoundTripTest, ReceivedUnchangedWhateverTheReadSize) {
    const Bytes payload = Payload();
    for (int count : {1, 2, 3, 7, 255, 256}) {
        peer.Send(payload);
        Bytes all;
        while (all.size() < payload.size()) {
            const Bytes part = ReadOnce(*port, count);
            ASSERT_LE(part.size(), static_cast<size_t>(count));
            if (part.empty())
                break;
            all.insert(all.end(), part.begin(), part.end());
        }
        EXPECT_EQ(all, payload) << "reads of " << count;
    }
}

TEST_P(RoundTripTest, SentUnchanged) {
    const Bytes payload = Payload();
    EXPECT_FALSE(port->WriteAll(payload.data(), static_cast<int>(payload.size())));
    EXPECT_EQ(peer.Receive(payload.size()), payload);
}

INSTANTIATE_TEST_SUITE_P(ParityChecking, RoundTripTest, testing::Values(2u, 0u),
                         [](const testing::TestParamInfo<uint32_t>& row) {
                             return row.param ? std::string("On") : std::string("Off");
                         });

// Opening and refusing.

// The UUCP lock files that serial programs on Linux share.
constexpr char kLockFolder[] = "/var/lock";

std::filesystem::path LockOf(const PtyPeer& Peer) {
    return std::filesystem::path(kLockFolder) /
           ("LCK.." + std::filesystem::path(Peer.SlavePath()).filename().string());
}

// The conventional content: the pid right-aligned in ten characters, then a newline.
std::string LockNaming(pid_t Pid) {
    const std::string digits = std::to_string(Pid);
    return std::string(10 - digits.size(), ' ') + digits + "\n";
}

std::string Contents(const std::filesystem::path& File) {
    std::ifstream in(File);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Removes the path when released.
std::shared_ptr<void> Removed(const std::filesystem::path& Path) {
    return std::shared_ptr<void>(nullptr, [Path](void*) { std::filesystem::remove(Path); });
}

TEST(OpenTest, SecondOpenFailsWhileTheFirstLives) {
    PtyPeer peer;
    auto first = OpenPort(peer.SlavePath());
    try {
        OpenPort(peer.SlavePath());
        FAIL() << "opened twice";
    } catch (const MyCOMM::ECommError& error) {
        EXPECT_STREQ(error.what(), ("Cannot open COM-port " + peer.SlavePath()).c_str());
        // Refused by the exclusive flag, or (for root, whom it does not stop) by the lock.
        const std::string reason = error.Reason();
        EXPECT_TRUE(reason == std::generic_category().message(EBUSY) ||
                    reason == std::generic_category().message(EWOULDBLOCK))
            << reason;
    }
    // The refused attempt must not have taken the first one's lock with it.
    if (access(kLockFolder, W_OK) == 0) {
        EXPECT_EQ(Contents(LockOf(peer)), LockNaming(getpid()));
    }
    // Nor spoilt its line.
    peer.Send({0x42});
    EXPECT_EQ(ReadOnce(*first), Bytes{0x42});
    first.reset();
    auto again = OpenPort(peer.SlavePath());
    peer.Send({0x43});
    EXPECT_EQ(ReadOnce(*again), Bytes{0x43});
}

TEST(OpenTest, RelativeNameIsTakenUnderDev) {
    PtyPeer peer;
    const std::string name = peer.SlavePath().substr(std::string("/dev/").size());
    ASSERT_TRUE(name.starts_with("pts/"));
    auto port = OpenPort(name);
    EXPECT_EQ(port->PortName, name);
    peer.Send({0x5A});
    EXPECT_EQ(ReadOnce(*port), Bytes{0x5A});
}

class RefusedTest : public testing::TestWithParam<std::string> {};

TEST_P(RefusedTest, ThrowsWithTheNameAsGivenAndLeavesNothingOpen) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "zur-serial-not-a-port";
    std::ofstream(file) << "x";
    const std::string name = GetParam() == "<file>" ? file.string() : GetParam();
    const int before = ProcessCounts::OpenDescriptors();
    try {
        OpenPort(name);
        FAIL() << "opened " << name;
    } catch (const MyCOMM::ECommError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open COM-port " + name);
        EXPECT_STRNE(error.Reason(), "");
        EXPECT_FALSE(error.PermissionDenied());
    }
    EXPECT_EQ(ProcessCounts::OpenDescriptors(), before);
    std::filesystem::remove(file);
}

// A port of a group the user is not in is told apart from a missing or busy one, so that the
// command line can name the group.
TEST(OpenTest, PortTheUserMayNotOpenSaysSo) {
    if (geteuid() != 0)
        GTEST_SKIP() << "becoming another user needs root";
    PtyPeer peer;
    ASSERT_EQ(chmod(peer.SlavePath().c_str(), 0600), 0);
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(2);
        try {
            OpenPort(peer.SlavePath());
            _exit(3);
        } catch (const MyCOMM::ECommError& error) {
            _exit(error.PermissionDenied() ? 0 : 1);
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedTest,
                         testing::Values("ttyZUR99", "/dev/ttyZUR99", "", "<file>", "/tmp", "/dev/null"),
                         [](const testing::TestParamInfo<std::string>& row) {
                             return std::to_string(row.index);
                         });

// A lock found in the folder, and whether it stops the opening.
struct TLockCase {
    const char* Name;
    std::function<pid_t()> Holder; // the pid in the lock already there; no lock when empty
    bool ThroughSymlink;           // the device opened by another of its names, as /tmp/zur-sim
    bool Refused;
};

pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

const TLockCase kLockCases[] = {
    {.Name = "LiveOtherProgram", .Holder = getppid, .ThroughSymlink = true, .Refused = true},
    {.Name = "DeadProgram", .Holder = DeadPid, .ThroughSymlink = false, .Refused = false},
    // kill() would take pid 0 for this process's own group.
    {.Name = "NoProgram", .Holder = [] { return pid_t{0}; }, .ThroughSymlink = false, .Refused = false},
    {.Name = "None", .Holder = nullptr, .ThroughSymlink = true, .Refused = false},
};

void PrintTo(const TLockCase& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class UucpLockTest : public testing::TestWithParam<TLockCase> {};

TEST_P(UucpLockTest, LiveLockOfAnotherRefusesOursIsThereWhileOpen) {
    if (access(kLockFolder, W_OK) != 0)
        GTEST_SKIP() << kLockFolder << " may not be written here";
    PtyPeer peer;
    const std::filesystem::path lock = LockOf(peer);
    const std::filesystem::path link =
        std::filesystem::temp_directory_path() / ("zur-lock-" + std::to_string(getpid()));
    const auto removed = std::make_pair(Removed(lock), Removed(link));
    const std::string found = GetParam().Holder ? LockNaming(GetParam().Holder()) : "";
    if (GetParam().Holder)
        std::ofstream(lock) << found;
    if (GetParam().ThroughSymlink)
        std::filesystem::create_symlink(peer.SlavePath(), link);
    const std::string name = GetParam().ThroughSymlink ? link.string() : peer.SlavePath();
    const int descriptors = ProcessCounts::OpenDescriptors();

    try {
        auto port = OpenPort(name);
        EXPECT_FALSE(GetParam().Refused);
        EXPECT_EQ(Contents(lock), LockNaming(getpid()));
    } catch (const MyCOMM::ECommError& error) {
        EXPECT_TRUE(GetParam().Refused);
        EXPECT_EQ(std::string(error.what()), "Cannot open COM-port " + name);
        EXPECT_EQ(Contents(lock), found); // the holder's lock is left alone
    }
    EXPECT_EQ(ProcessCounts::OpenDescriptors(), descriptors);
    EXPECT_EQ(std::filesystem::exists(lock), GetParam().Refused); // ours went with the port
}

INSTANTIATE_TEST_SUITE_P(Locks, UucpLockTest, testing::ValuesIn(kLockCases),
                         [](const testing::TestParamInfo<TLockCase>& row) { return row.param.Name; });

// The speeds of the main window, 7200 and 14400 among them, as the line reports them back.
class SpeedTest : public testing::TestWithParam<uint32_t> {};

TEST_P(SpeedTest, LineRunsAtTheChosenSpeed) {
    PtyPeer peer;
    auto port = OpenPort(peer.SlavePath(), GetParam());
    // Terminal settings asked through the master are the slave's.
    EXPECT_EQ(Termios2::OutputSpeed(peer.MasterFd()), GetParam());
}

INSTANTIATE_TEST_SUITE_P(MainWindowSpeeds, SpeedTest,
                         testing::Values(2400u, 4800u, 7200u, 9600u, 14400u, 19200u, 38400u, 57600u, 115200u),
                         testing::PrintToStringParamName());

// Character format from the constructor's arguments.
struct FormatCase {
    uint32_t dcbFlags;
    uint8_t parity, stopBits, byteSize;
    tcflag_t cflags;
    tcflag_t iflags;
};

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, LineTakesTheFormat) {
    PtyPeer peer;
    const FormatCase& c = GetParam();
    MyCOMM::TZMyComm port(peer.SlavePath(), 9600, kQueueSize, kQueueSize, c.dcbFlags, c.parity, c.stopBits,
                          c.byteSize);
    termios line{};
    ASSERT_EQ(tcgetattr(peer.MasterFd(), &line), 0);
    // A pseudo-terminal forces 8 bits and no parity bit whatever it is told (CSIZE, PARENB); the
    // rest of the format it keeps as set.
    constexpr tcflag_t formatBits = CSTOPB | PARODD | CMSPAR | CRTSCTS;
    EXPECT_EQ(line.c_cflag & formatBits, c.cflags & formatBits);
    EXPECT_TRUE(line.c_cflag & CREAD);
    EXPECT_TRUE(line.c_cflag & CLOCAL);
    constexpr tcflag_t inputBits = INPCK | PARMRK | IXON | IXOFF | ISTRIP | ICRNL | IGNPAR;
    EXPECT_EQ(line.c_iflag & inputBits, c.iflags);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    testing::Values(FormatCase{2, 1, 0, 8, CS8 | PARENB | PARODD, INPCK | PARMRK}, // the main window's
                    FormatCase{0, 0, 0, 8, CS8, 0}, FormatCase{0, 2, 0, 7, CS7 | PARENB, 0},
                    FormatCase{0, 3, 2, 6, CS6 | PARENB | PARODD | CMSPAR | CSTOPB, 0},
                    FormatCase{0, 4, 1, 5, CS5 | PARENB | CMSPAR | CSTOPB, 0},
                    FormatCase{2 | 4 | 256 | 512, 1, 0, 8, CS8 | PARENB | PARODD | CRTSCTS,
                               INPCK | PARMRK | IXON | IXOFF}));

} // namespace
