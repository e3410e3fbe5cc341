#include "tests/support/LineContract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "protocol/CommandFrame.h"
#include "serial/LineSettings.h"

namespace LineContract {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReadCount = 256;         // what every read of the tool asks for
constexpr std::size_t kAnswerBytes = 9; // the answer to GetParam 1: header, id, value, checksum, trailer
constexpr int kAttempts = 3;
// At 2400 bit/s a character of 11 bits takes 4.6 ms: no more than this many arrive in 500 ms.
constexpr std::size_t kMostIn500MsAt2400 = 110;

const std::vector<TRow> kRows{
    {.Name = "NothingArriving", .Far = TFar::Nothing, .Reads = {{0, 0}}, .EndsAtTheLimit = true},
    {.Name = "BurstOf300", .Far = TFar::Burst, .Bytes = 300, .Reads = {{256, 256}, {44, 44}}},
    // A pause longer than the 25 ms interval ends the read; the rest comes with the next one.
    {.Name = "AnswerPausing40Ms",
     .Far = TFar::PausedAnswer,
     .Bytes = 4,
     .PauseMs = 40,
     .Reads = {{4, 4}, {kAnswerBytes - 4, kAnswerBytes - 4}},
     .WholeAnswer = true},
    {.Name = "AnswerPausing10Ms",
     .Far = TFar::PausedAnswer,
     .Bytes = 4,
     .PauseMs = 10,
     .Reads = {{kAnswerBytes, kAnswerBytes}},
     .WholeAnswer = true},
    // A continuous answer is cut at the total limit, and goes on in the next read.
    {.Name = "AnswerLongerThanTheReadLimit",
     .Far = TFar::SlowAnswer,
     .Bytes = 300,
     .Reads = {{1, kMostIn500MsAt2400}, {1, kReadCount}},
     .EndsAtTheLimit = true,
     .Paced = true},
};

std::string Sizes(const std::vector<std::size_t>& Sizes) {
    std::string text = "reads of";
    for (const std::size_t size : Sizes) {
        text += ' ';
        text += std::to_string(size);
    }
    return text;
}

// One run of Row; what did not hold, or "" when everything did.
std::string Attempt(const TRow& Row, TFarEnd& Far, MyCOMM::TZMyComm& Port) {
    std::vector<uint8_t> joined;
    std::vector<std::size_t> sizes;
    std::string problem;
    for (std::size_t i = 0; i < Row.Reads.size(); ++i) {
        std::vector<uint8_t> bytes(kReadCount);
        const auto start = Clock::now();
        bytes.resize(static_cast<std::size_t>(Port.Read(bytes.data(), kReadCount)));
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        sizes.push_back(bytes.size());
        joined.insert(joined.end(), bytes.begin(), bytes.end());
        const TRead& read = Row.Reads[i];
        if (bytes.size() < read.Least || bytes.size() > read.Most)
            problem += "read " + std::to_string(i + 1) + " took " + std::to_string(bytes.size()) +
                       " bytes, not " + std::to_string(read.Least) + " to " + std::to_string(read.Most) +
                       "; ";
        if (i == 0 && Row.EndsAtTheLimit &&
            // Measured in whole milliseconds, truncated, and Wine fires its timer a fraction early.
            (took + std::chrono::milliseconds(1) < std::chrono::milliseconds(LineSettings::kReadTotal) ||
             took >= std::chrono::milliseconds(LineSettings::kReadTotal) + Far.Slack()))
            problem +=
                "the first read ended after " + std::to_string(took.count()) + " ms, not at the limit; ";
    }
    if (Row.WholeAnswer) {
        CommandFrame::Area answer{};
        if (!CommandFrame::JudgeAnswer(joined, std::nullopt, answer).Accepted())
            problem += "the reads joined are no whole answer; ";
    }
    if (const auto sent = Far.Sent(); sent && joined != *sent)
        problem += "the bytes are not those sent; ";
    return problem.empty() ? "" : problem + Sizes(sizes);
}

} // namespace

std::vector<TRow> Rows(bool FarEndPaces) {
    std::vector<TRow> rows;
    std::ranges::copy_if(kRows, std::back_inserter(rows),
                         [&](const TRow& Row) { return FarEndPaces || !Row.Paced; });
    return rows;
}

std::unique_ptr<MyCOMM::TZMyComm> OpenPort(const std::string& Name, uint32_t BaudRate) {
    auto port = std::make_unique<MyCOMM::TZMyComm>(
        Name, BaudRate, LineSettings::kQueueSize, LineSettings::kQueueSize, LineSettings::kDcbFlags,
        LineSettings::kOddParity, LineSettings::kOneStopBit, LineSettings::kByteSize);
    port->SetTimeouts(LineSettings::kReadInterval, 0, LineSettings::kReadTotal, LineSettings::kWritePerByte,
                      LineSettings::kWriteTotal);
    return port;
}

void Ask(MyCOMM::TZMyComm& Port) {
    constexpr uint8_t kAddress = 1, kGetParam = 0x0F, kLength = 1, kAddr1 = 1;
    CommandFrame::Area request{4, kAddress, kGetParam, kLength, kAddr1};
    CommandFrame::Area scratch{};
    ASSERT_TRUE(CommandFrame::BuildFrame(request, scratch));
    ASSERT_FALSE(Port.WriteAll(&request[1], request[0]));
}

void Check(const TRow& Row, TFarEnd& Far) {
    const int attempts = Row.Far == TFar::PausedAnswer ? kAttempts : 1;
    std::string problem = "not run";
    for (int attempt = 0; attempt < attempts && !problem.empty(); ++attempt) {
        MyCOMM::TZMyComm* port = Far.Arrange(Row);
        if (port == nullptr)
            GTEST_SKIP() << "this lane's far end cannot do " << Row.Name;
        problem = Attempt(Row, Far, *port);
    }
    EXPECT_EQ(problem, "") << Row.Name;
}

} // namespace LineContract
