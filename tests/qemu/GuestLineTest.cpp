// The port on the kernel's real serial drivers: what reaches the chip, what the driver holds, and
// the read rules through the driver's queues.

#include "tests/qemu/GuestLine.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "tests/qemu/HostLink.h"
#include "tests/qemu/TtyWatch.h"
#include "tests/support/LineContract.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using GuestLine::TLine;
using Bytes = std::vector<uint8_t>;

// The speeds the main window offers.
constexpr uint32_t kSpeeds[] = {2400, 4800, 7200, 9600, 14400, 19200, 38400, 57600, 115200};
constexpr int kAnswerCount = 256;
constexpr uid_t kUnprivileged = 1000;

// The speed the chip is left running at. The 16550's divisor of 115200 is exact for every speed
// of the list; the FTDI chip divides 24 MHz by a whole number of eighths (14400 runs at 14397).
uint32_t ChipSpeed(const TLine& Line, uint32_t Speed) {
    if (!Line.Ftdi)
        return Speed;
    constexpr uint32_t kFtdiEighthsClock = 24'000'000;
    const uint32_t eighths = (kFtdiEighthsClock + Speed / 2) / Speed;
    return kFtdiEighthsClock / eighths;
}

std::string Far(const char* Verb, const TLine& Line, const std::string& Arguments = "") {
    return HostLink::Ask(std::string(Verb) + " " + Line.Far + (Arguments.empty() ? "" : " " + Arguments));
}

Bytes ReadOnce(MyCOMM::TZMyComm& Port) {
    Bytes bytes(kAnswerCount);
    bytes.resize(static_cast<size_t>(Port.Read(bytes.data(), kAnswerCount)));
    return bytes;
}

// What the host sends for "send": byte i is i modulo 256.
Bytes SentPattern(size_t Count) {
    Bytes bytes(Count);
    for (size_t i = 0; i < Count; ++i)
        bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

// The ECommError message that opening Device as an unprivileged user gives, "" when it opens.
std::string OpenFailureAsUser(const std::string& Device) {
    int result[2];
    if (pipe(result) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(result[0]);
        std::string outcome = "could not drop root";
        if (setgid(kUnprivileged) == 0 && setuid(kUnprivileged) == 0)
            outcome = GuestLine::OpenFailure(Device);
        const ssize_t written = write(result[1], outcome.data(), outcome.size());
        _exit(written == static_cast<ssize_t>(outcome.size()) ? 0 : 1);
    }
    close(result[1]);
    std::string outcome;
    char chunk[128];
    ssize_t n = 0;
    while ((n = read(result[0], chunk, sizeof chunk)) > 0)
        outcome.append(chunk, static_cast<size_t>(n));
    close(result[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? outcome : "the child failed";
}

std::string LineName(const testing::TestParamInfo<TLine>& Info) {
    return Info.param.Name;
}

class SpeedTest : public testing::TestWithParam<std::tuple<TLine, uint32_t>> {};

TEST_P(SpeedTest, ChipRunsAtTheSpeedWith8O1AndDtrRtsOff) {
    const auto& [line, speed] = GetParam();
    const TTtyWatch watch(line.Device);
    const auto port = GuestLine::OpenPort(line.Device, speed);
    PtnLL::TPtnLL commands(1, *port);
    uint8_t first = 0, second = 0;
    commands.GetAddresses(first, second);

    EXPECT_TRUE(commands.Ok) << "no exchange at " << speed;
    EXPECT_EQ(watch.ModemLines(), "dtr=0 rts=0");
    EXPECT_EQ(Far("modem", line), "dtr=0 rts=0");
    EXPECT_EQ(Far("settings", line), std::to_string(ChipSpeed(line, speed)) + " O 8 1");
}

INSTANTIATE_TEST_SUITE_P(Lines, SpeedTest,
                         testing::Combine(testing::Values(GuestLine::kUart, GuestLine::kAdapter),
                                          testing::ValuesIn(kSpeeds)),
                         [](const auto& Info) {
                             return std::get<0>(Info.param).Name + "_" +
                                    std::to_string(std::get<1>(Info.param));
                         });

class LineTest : public testing::TestWithParam<TLine> {
protected:
    void TearDown() override { Far("clear", GetParam()); }

    const TLine& line = GetParam();
    std::unique_ptr<MyCOMM::TZMyComm> port = GuestLine::OpenPort(line.Device);
};

TEST_P(LineTest, BreakIsSetAndClearedOnTheChip) {
    port->Break(false);
    EXPECT_EQ(Far("break", line), "on");
    port->Break(true);
    EXPECT_EQ(Far("break", line), "off");
}

TEST_P(LineTest, PurgeEmptiesWhatTheDriverHolds) {
    const TTtyWatch watch(line.Device);
    ASSERT_EQ(Far("send", line, "100"), "sent");
    ASSERT_TRUE(watch.WaitForInput(100)) << watch.InputQueued() << " bytes arrived";

    port->Purge();

    EXPECT_EQ(watch.InputQueued(), 0);
    EXPECT_TRUE(ReadOnce(*port).empty());
}

TEST_P(LineTest, SecondOpenIsRefusedForRootAndForAUser) {
    // The node lets everybody in, so that only the port's own lock can refuse the user.
    ASSERT_EQ(chmod(line.Device.c_str(), 0666), 0);
    const std::string refused = "Cannot open COM-port " + line.Device;

    EXPECT_EQ(GuestLine::OpenFailure(line.Device), refused);
    EXPECT_EQ(OpenFailureAsUser(line.Device), refused);
    port.reset();
    EXPECT_EQ(OpenFailureAsUser(line.Device), "");
}

INSTANTIATE_TEST_SUITE_P(Lines, LineTest, testing::Values(GuestLine::kUart, GuestLine::kAdapter), LineName);

// The line contract on the kernel's drivers, with the host's simulator at the far end of each line.
// QEMU does not pace what it passes on, so the rows that need a paced far end are left out.
class TGuestFarEnd final : public LineContract::TFarEnd {
public:
    explicit TGuestFarEnd(const TLine& Line) : line(Line) {}
    ~TGuestFarEnd() override { Far("clear", line); }

    MyCOMM::TZMyComm* Arrange(const LineContract::TRow& Row) override {
        using LineContract::TFar;
        Far("clear", line);
        port.reset();
        port = GuestLine::OpenPort(line.Device);
        sent.reset();
        switch (Row.Far) {
        case TFar::Nothing:
            break;
        case TFar::Burst:
            if (Far("send", line, std::to_string(Row.Bytes)) != "sent")
                return nullptr;
            sent = SentPattern(Row.Bytes);
            break;
        case TFar::PausedAnswer:
            if (Far("split", line, std::to_string(Row.Bytes) + " " + std::to_string(Row.PauseMs)) != "ok")
                return nullptr;
            LineContract::Ask(*port);
            break;
        case TFar::SlowAnswer:
            return nullptr;
        }
        return port.get();
    }
    std::optional<Bytes> Sent() const override { return sent; }
    // An emulated machine on a shared host may be late to wake the reader.
    std::chrono::milliseconds Slack() const override { return std::chrono::milliseconds(2000); }

private:
    const TLine& line;
    std::unique_ptr<MyCOMM::TZMyComm> port;
    std::optional<Bytes> sent;
};

class LineContractTest : public testing::TestWithParam<std::tuple<TLine, LineContract::TRow>> {};

TEST_P(LineContractTest, ReadsTakeWhatTheFarEndSends) {
    TGuestFarEnd farEnd(std::get<0>(GetParam()));
    LineContract::Check(std::get<1>(GetParam()), farEnd);
}

INSTANTIATE_TEST_SUITE_P(Lines, LineContractTest,
                         testing::Combine(testing::Values(GuestLine::kUart, GuestLine::kAdapter),
                                          testing::ValuesIn(LineContract::Rows(false))),
                         [](const auto& Info) {
                             return std::get<0>(Info.param).Name + "_" + std::get<1>(Info.param).Name;
                         });

TEST(PortsTest, ListHoldsTheRealUartsAndTheAdapter) {
    std::vector<std::string> list;
    MyCOMM::ListComPorts(list);
    EXPECT_EQ(list, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"}));
}

TEST(PortsTest, PortsThatAreNotThereAreRefused) {
    // ttyS2 is a placeholder without a UART; ttyUSB1 has no node at all.
    for (const std::string device : {"/dev/ttyS2", "/dev/ttyUSB1"})
        EXPECT_EQ(GuestLine::OpenFailure(device), "Cannot open COM-port " + device);
}

} // namespace
