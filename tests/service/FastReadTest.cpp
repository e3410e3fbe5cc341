// Fast reads end at the end of a frame; they must never make an answer acceptable that the
// window's read rejects. Every fault the simulated controller can put into a command answer is
// run through both reads, on fresh lines, and must end the same way; the frame-end rules are
// checked on every prefix of stuffed frames.
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

#include "link/LinkFrame.h"
#include "protocol/CommandFrame.h"
#include "protocol/PtnLL.h"
#include "service/FrameEnd.h"
#include "service/LinePort.h"
#include "sim/Simulator.h"

namespace {

struct TFaultRow {
    const char* Name;
    sim::Rule Rule;
    uint32_t Pace = 0; // 0: the answer comes in one burst
};

void PrintTo(const TFaultRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

TFaultRow Row(const char* Name, sim::Fault Fault, uint32_t Pace = 0) {
    sim::Rule rule;
    rule.fault = Fault;
    return {Name, rule, Pace};
}

TFaultRow Timed(const char* Name, int DelayMs, int SplitAfter, int SplitPauseMs) {
    sim::Rule rule;
    rule.DelayMs = DelayMs;
    rule.SplitAfter = SplitAfter;
    rule.SplitPauseMs = SplitPauseMs;
    return {Name, rule};
}

TFaultRow Stray(const char* Name, std::vector<uint8_t> Bytes, uint32_t Pace = 0) {
    sim::Rule rule;
    rule.StrayBefore = std::move(Bytes);
    return {Name, rule, Pace};
}

// One GetParam on a fresh line; whether the command took the answer.
bool Answered(const TFaultRow& Row, bool Fast) {
    sim::Options options;
    options.PaceBitsPerSecond = Row.Pace;
    sim::Simulator simulator(options);
    simulator.AddRule(Row.Rule);
    LinePort::TLinePort port(simulator.PortPath(), Row.Pace ? Row.Pace : 9600, Fast, nullptr);
    PtnLL::TPtnLL commands(1, port);
    commands.GetParam(1);
    return commands.Ok;
}

class FastReadFaultTest : public testing::TestWithParam<TFaultRow> {};

TEST_P(FastReadFaultTest, EndsAsTheWindowsReadEnds) {
    const bool standard = Answered(GetParam(), false);
    const bool fast = Answered(GetParam(), true);
    EXPECT_FALSE(fast && !standard) << "fast mode took an answer the window's read rejects";
    EXPECT_EQ(fast, standard);
}

INSTANTIATE_TEST_SUITE_P(
    CommandAnswers, FastReadFaultTest,
    testing::Values(Row("Clean", sim::Fault::None), Row("CleanPaced", sim::Fault::None, 9600),
                    Row("Silent", sim::Fault::Silent), Row("WrongChecksum", sim::Fault::WrongChecksum),
                    Row("WrongChecksumPaced", sim::Fault::WrongChecksum, 9600),
                    Row("WrongAddress", sim::Fault::WrongAddress), Row("WrongEcho", sim::Fault::WrongEcho),
                    Row("WrongLength", sim::Fault::WrongLength),
                    Row("WrongLengthPaced", sim::Fault::WrongLength, 9600),
                    Row("BadTrailer", sim::Fault::BadTrailer), Row("Truncated", sim::Fault::Truncated),
                    Row("TruncatedPaced", sim::Fault::Truncated, 9600), Row("Oversize", sim::Fault::Oversize),
                    Timed("Late", 700, -1, 0), Timed("SlowButInTime", 300, -1, 0),
                    Timed("PauseInTheMiddle", 0, 4, 100), Timed("ShortPauseInTheMiddle", 0, 4, 10),
                    // Pauses on either side of the 25 ms interval, inside the first 8 bytes and
                    // after them: a longer one ends the read in both modes.
                    Timed("Pause15InTheHeader", 0, 3, 15), Timed("Pause35InTheHeader", 0, 3, 35),
                    Timed("Pause40InTheHeader", 0, 4, 40), Timed("Pause60InTheHeader", 0, 4, 60),
                    Timed("Pause15InTheData", 0, 8, 15), Timed("Pause40InTheData", 0, 8, 40),
                    Timed("Pause40BeforeTheTrailer", 0, 7, 40), Stray("StrayBytesInFront", {0x01, 0x0F}),
                    Stray("StrayBytesInFrontPaced", {0x55}, 9600),
                    Stray("StrayFrameInFront", {0x01, 0x0F, 0x02, 0x01, 0x01, 0x00, 0x00, 0x03, 0xFF})),
    [](const testing::TestParamInfo<TFaultRow>& Info) { return std::string(Info.param.Name); });

// Every proper prefix of a frame asks for no byte past the frame's end and is never complete;
// the whole frame is.
template <typename Progress> void ExpectEndsExactly(const std::vector<uint8_t>& Frame, Progress At) {
    for (size_t n = 0; n < Frame.size(); ++n) {
        const FrameEnd::TProgress progress = At(std::span(Frame).first(n));
        EXPECT_FALSE(progress.Complete) << "prefix of " << n << " bytes";
        EXPECT_LE(n + progress.AtLeast, Frame.size()) << "prefix of " << n << " bytes";
    }
    EXPECT_TRUE(At(std::span(Frame)).Complete);
}

std::vector<uint8_t> CommandAnswer(std::initializer_list<uint8_t> Body) {
    CommandFrame::Area tx{}, scratch{};
    tx[0] = static_cast<uint8_t>(Body.size());
    std::copy(Body.begin(), Body.end(), tx.begin() + 1);
    EXPECT_TRUE(CommandFrame::BuildFrame(tx, scratch));
    return {tx.begin() + 1, tx.begin() + 1 + tx[0]};
}

TEST(FrameEndTest, StuffedFramesEndWhereTheirTrailerIs) {
    const auto command = [](std::span<const uint8_t> Raw) { return FrameEnd::CommandAnswer(Raw); };
    ExpectEndsExactly(CommandAnswer({0x01, 0x0F, 0x02, 0x01, 0x05}), command);
    // 10 FF travels stuffed; 03 FF inside the data is not a trailer.
    ExpectEndsExactly(CommandAnswer({0x01, 0x0F, 0x05, 0x10, 0xFF, 0x03, 0xFF, 0x10}), command);

    const auto link = [](std::span<const uint8_t> Raw) { return FrameEnd::LinkReply(Raw, 255); };
    const auto ack = LinkFrame::AckFrame(255, 3);
    ExpectEndsExactly({ack.begin(), ack.end()}, link);
    const std::vector<uint8_t> records{0x80, 0x04, 0xFA, 0x10, 0xFA, 0x03};
    ExpectEndsExactly(LinkFrame::DataFrame(255, 2, records), link);
    // Another station's reply is no frame to end at.
    EXPECT_FALSE(FrameEnd::LinkReply(std::span(ack), 254).Complete);
}

} // namespace
