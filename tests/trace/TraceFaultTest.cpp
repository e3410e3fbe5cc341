// What the decoded trace of a configuration read says when the controller misbehaves: each
// simulator fault against the first exchange of a read, and the lines that must name it. The read
// runs twice where what went wrong shows only in the next read (a late or split answer). A saved
// trace of the link side checks the replies are judged by the engine's own rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/PtnLL.h"
#include "service/LinePort.h"
#include "sim/Simulator.h"
#include "trace/TraceDecoder.h"
#include "trace/TraceLog.h"

namespace {

struct TFaultRow {
    const char* Name;
    sim::Rule Rule;
    int Reads;
    std::vector<std::string> Lines; // each must be part of some decoded line, in this order
    bool Fast = false;              // zur-cli's fast reads
};

// On the first exchange only, so that the next read meets the consequences and nothing else.
sim::Rule First(sim::Fault Fault) {
    sim::Rule rule;
    rule.First = rule.Last = 1;
    rule.fault = Fault;
    return rule;
}
sim::Rule FirstDelayed(int DelayMs) {
    sim::Rule rule = First(sim::Fault::None);
    rule.DelayMs = DelayMs;
    return rule;
}
sim::Rule FirstSplit(int After, int PauseMs) {
    sim::Rule rule = First(sim::Fault::None);
    rule.SplitAfter = After;
    rule.SplitPauseMs = PauseMs;
    return rule;
}
sim::Rule FirstWithStray(std::vector<uint8_t> Stray) {
    sim::Rule rule = First(sim::Fault::None);
    rule.StrayBefore = std::move(Stray);
    return rule;
}

const TFaultRow kRows[] = {
    {.Name = "Silent",
     .Rule = First(sim::Fault::Silent),
     .Reads = 1,
     .Lines = {"RX nothing, ended by the total time-out", "the tool: no answer"}},
    {.Name = "WrongChecksum",
     .Rule = First(sim::Fault::WrongChecksum),
     .Reads = 1,
     .Lines =
         {"command answer from 1, GetParam (0F), length 2: parameter 1 Addr1 = 1; checksum BAD: received",
          "the tool: rejected, checksum received"}},
    {.Name = "WrongAddress",
     .Rule = First(sim::Fault::WrongAddress),
     .Reads = 1,
     .Lines = {"command answer from 2, GetParam (0F), length 2: parameter 1 Addr1 = 1; checksum 441B good",
               "the tool: rejected, answer from address 2, the request went to 1"}},
    {.Name = "LateAnswer",
     .Rule = FirstDelayed(700),
     .Reads = 2,
     .Lines = {"RX nothing, ended by the total time-out", "the tool: no answer",
               "command request to 1, GetParam (0F): parameter 1 Addr1", "RX 18 bytes",
               "command answer from 1, GetParam (0F), length 2: parameter 1 Addr1 = 1; checksum",
               "command answer from 1, GetParam (0F), length 2: parameter 1 Addr1 = 1; checksum",
               "2 frames ended in this read; the tool takes a read as one answer",
               "the tool: rejected, checksum received"}},
    {.Name = "SplitAnswer",
     .Rule = FirstSplit(4, 100),
     .Reads = 2,
     .Lines = {"RX 4 bytes, ended by silence", "4 bytes wait for the rest of a frame",
               "the tool: rejected, 4 bytes are fewer than the 8 of the shortest answer",
               "joined with 4 bytes from before",
               "command answer from 1, GetParam (0F), length 2: parameter 1 Addr1 = 1; checksum"}},
    {.Name = "StrayBytes",
     .Rule = FirstWithStray({0x00, 0x55}),
     .Reads = 1,
     .Lines = {"stray bytes before the frame: 00 55",
               "command answer from 1, GetParam (0F), length 2: parameter 1 Addr1 = 1; checksum",
               "the tool: rejected, checksum received"}},
    // A fast read is traced as one read, however many chunks it took, and judged whole.
    {.Name = "FastRead",
     .Rule = First(sim::Fault::None),
     .Reads = 1,
     .Lines = {"RX 9 bytes, ended at the frame end",
               "command answer from 1, GetParam (0F), length 2: parameter 1 Addr1 = 1; checksum",
               "the tool: accepted"},
     .Fast = true},
    {.Name = "FastReadSplitAfterItsFirstChunk",
     .Rule = FirstSplit(8, 100),
     .Reads = 1,
     .Lines = {"RX 8 bytes, ended by silence", "the tool: rejected, checksum received"},
     .Fast = true},
};

void PrintTo(const TFaultRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class TraceFaultTest : public testing::TestWithParam<TFaultRow> {};

TEST_P(TraceFaultTest, DecodedTraceNamesWhatWentWrong) {
    const TFaultRow& row = GetParam();
    sim::Simulator simulator;
    simulator.AddRule(row.Rule);
    LinePort::TLinePort port(simulator.PortPath(), 9600, row.Fast, nullptr);
    LineTrace::TTraceLog log(1000);
    port.Tap = &log;
    PtnLL::TPtnLL commands(1, port);
    for (int read = 0; read < row.Reads; ++read)
        commands.GetConfig();

    TraceDecoder::TDecoder decoder;
    std::vector<std::string> lines;
    for (const LineTrace::TChunk& chunk : log.Chunks()) {
        const auto decoded = decoder.Feed(chunk);
        lines.insert(lines.end(), decoded.begin(), decoded.end());
    }
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    auto at = lines.begin();
    for (const std::string& expected : row.Lines) {
        at = std::find_if(at, lines.end(),
                          [&](const std::string& line) { return line.find(expected) != std::string::npos; });
        ASSERT_NE(at, lines.end()) << "missing, in order: " << expected << "\n" << all;
        ++at;
    }
}

// The link side of an update, as a saved trace: each reply judged by the engine's own rules.
TEST(TraceDecodeTest, LinkRepliesAreJudgedAsTheEngineJudgesThem) {
    const char* const trace = "# zur-trace 1\n"
                              "10 TX FF 31 80 01 00 1A 90 03 FA\n"
                              "20 RX FF 51 FA silence\n"
                              "30 TX FF 32 C7 01 10 FA 2A 82 03 FA\n"
                              "40 RX FF C3 FA silence\n"
                              "50 TX FF 20 FA\n"
                              "60 RX FF 33 01 01 05 09 05 01 23 45 67 89 6E 69 03 FA silence\n"
                              "70 TX FF 20 FA\n"
                              "80 RX FF 34 01 01 01 8C B4 03 FA silence\n";
    const std::vector<std::string> expected{
        "link DATA to FF, TX 1; checksum 901A good",
        "transaction 80 LNG 1: configuration request",
        "the tool: failed, NAK (error flag 02)",
        "link DATA to FF, TX 2; checksum 822A good", // the 0xFA of the block travels escaped
        "transaction C7 LNG 1: firmware block of 1 bytes",
        "the tool: failed, ACK for TX 3 where the frame had TX 2",
        "link POLL to FF, TX 0",
        "transaction 09 LNG 5: identity \"0123456789\"",
        "the tool: accepted, acknowledges TX 3",
        "link DATA from FF, TX 4; checksum BAD: received B48C, computed B48B",
        "the tool: failed, shows the CRC message \"B48C B48B\"",
    };
    const std::vector<std::string> lines = TraceDecoder::DecodeText(trace);
    auto at = lines.begin();
    for (const std::string& line : expected) {
        at = std::find_if(at, lines.end(),
                          [&](const std::string& l) { return l.find(line) != std::string::npos; });
        ASSERT_NE(at, lines.end()) << "missing, in order: " << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, TraceFaultTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<TFaultRow>& Info) {
                             return std::string(Info.param.Name);
                         });

} // namespace
