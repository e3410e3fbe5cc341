// The command protocol's answer handling: raw answers through the framing functions, and through
// every command and both configuration sequences of TPtnLL.
// Input: an operation byte, an address byte, two argument bytes, then the answers the line gives.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/ScriptedLine.h"
#include "protocol/CommandFrame.h"
#include "protocol/PtnLL.h"

namespace {

using FuzzCheck::Require;
using FuzzInput::Piece;

// Ten characters once a text parameter was read; empty before.
constexpr std::size_t kTextLength = 10;
constexpr int32_t kFailedState = 6;
// Parameters 1 to 10, 100 and 101 are read; 3 to 10, 1 and 2 are written.
constexpr std::size_t kConfigReads = 12, kConfigWrites = 10;

enum class TOperation {
    GetState,
    Auth,
    Stop,
    GetAmount,
    GetSumm,
    Reset,
    GetParam,
    SetParam,
    EnterUpdateMode, // after a successful GetConfig, as the update runs it
    GetAddresses,
    GetConfig,
    SetConfig,
    Count
};

CommandFrame::Area AreaOf(Piece Content) {
    CommandFrame::Area area{};
    const std::size_t count = std::min(Content.size(), area.size() - 1);
    area[0] = static_cast<uint8_t>(count);
    std::copy_n(Content.begin(), count, area.begin() + 1);
    return area;
}

// The framing functions on one answer, and both round trips through them.
void CheckFraming(Piece Answer) {
    CommandFrame::Area scratch{};
    if (Answer.size() <= CommandFrame::kReadSize) {
        const CommandFrame::TVerdict framing = CommandFrame::JudgeAnswer(Answer, std::nullopt, scratch);
        // The header as it came: what the framing took, the whole judge takes.
        if (framing.Accepted()) {
            const CommandFrame::Expected echo{
                .Address = scratch[1], .AnyAddress = false, .Command = scratch[2], .Length = std::nullopt};
            const CommandFrame::TVerdict whole = CommandFrame::JudgeAnswer(Answer, echo, scratch);
            Require(whole.Accepted() || whole.Fault == CommandFrame::TFault::LengthBeyondData,
                    "an answer's own header matches it");
        }
    }

    // Stuffing adds at most one byte for every byte it keeps.
    std::array<uint8_t, 2 * FuzzInput::kLongestAnswer> stuffed, unstuffed;
    const auto length = CommandFrame::Stuff(Answer, std::span(stuffed).first(2 * Answer.size()));
    Require(length.has_value(), "stuffing at most doubles the length");
    const std::size_t back = CommandFrame::Unstuff(std::span(stuffed).first(*length), unstuffed);
    Require(std::ranges::equal(Answer, std::span(unstuffed).first(back)), "unstuffing undoes stuffing");

    // The answer taken as a request body: what BuildFrame makes, the judge accepts.
    CommandFrame::Area tx = AreaOf(Answer);
    if (Answer.size() > CommandFrame::kLongestFrame || !CommandFrame::BuildFrame(tx, scratch)) {
        return;
    }
    if (tx[0] >= CommandFrame::kShortestAnswer) {
        CommandFrame::Area rx{};
        Require(CommandFrame::JudgeAnswer(std::span(tx).subspan(1, tx[0]), std::nullopt, rx).Accepted(),
                "a built frame is a well-formed answer");
        Require(rx[0] == Answer.size() + CommandFrame::kTailSize, "a built frame unstuffs to body and tail");
        Require(std::equal(Answer.begin(), Answer.end(), rx.begin() + 1), "a built frame keeps its body");
    }
}

bool WellFormed(Piece Answer) {
    CommandFrame::Area scratch{};
    return Answer.size() <= CommandFrame::kReadSize &&
           CommandFrame::JudgeAnswer(Answer, std::nullopt, scratch).Accepted();
}

void Run(PtnLL::TPtnLL& Commands, TOperation Operation, uint8_t First, uint8_t Second) {
    uint8_t a = 0, b = 0;
    switch (Operation) {
    case TOperation::GetState:
        return Commands.GetState();
    case TOperation::Auth:
        return Commands.Auth();
    case TOperation::Stop:
        return Commands.Stop();
    case TOperation::GetAmount:
        return Commands.GetAmount(First);
    case TOperation::GetSumm:
        return Commands.GetSumm(First, Second);
    case TOperation::Reset:
        return Commands.Reset();
    case TOperation::GetParam:
        return Commands.GetParam(First);
    case TOperation::SetParam:
        return Commands.SetParam(First);
    case TOperation::EnterUpdateMode:
        // The update asks for update mode only with a serial number just read.
        Commands.GetConfig();
        if (Commands.Ok) {
            Commands.EnterUpdateMode();
        }
        return;
    case TOperation::GetAddresses:
        return Commands.GetAddresses(a, b);
    case TOperation::GetConfig:
        return Commands.GetConfig();
    case TOperation::SetConfig:
        return Commands.SetConfig();
    case TOperation::Count:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size) {
    // Kept from input to input: Script resets the line, and the answers are refilled.
    static ScriptedLine::TScriptedLine line;
    static std::vector<Piece> answers;

    FuzzInput::TReader input(std::span(Data, Size));
    const auto operation = static_cast<TOperation>(input.Byte() % static_cast<int>(TOperation::Count));
    const uint8_t address = input.Byte();
    const uint8_t first = input.Byte();
    const uint8_t second = input.Byte();
    input.Answers(answers);
    std::ranges::for_each(answers, CheckFraming);

    line.Script(answers);
    PtnLL::TPtnLL commands(address, line);
    bool addressChanged = false;
    commands.OnAddressChanged = [&](int32_t Address) {
        addressChanged = true;
        Require(Address == commands.Cfg.Addr1, "the new address is side 1's");
    };
    Run(commands, operation, first, second);

    Require(commands.Ok || commands.State == kFailedState, "a failure leaves State 6");
    Require(operation == TOperation::GetState || commands.Errors == 0, "only the state command sets Errors");
    Require(addressChanged || commands.Address == address, "only SetConfig moves the address");
    for (const std::string* text : {&commands.Cfg.SerialNo, &commands.Cfg.FwVersion}) {
        Require(text->empty() || text->size() == kTextLength, "a text parameter has ten characters");
    }
    // Nothing counts as a success unless every answer it read was a well-formed frame.
    const auto& reads = line.Reads();
    bool allWellFormed = true;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        allWellFormed = allWellFormed && WellFormed(reads[i]);
    }
    Require(!commands.Ok || (!reads.empty() && allWellFormed), "success on a malformed or missing answer");
    Require(reads.size() == line.Writes().size(), "one read for every request");
    if (commands.Ok && operation == TOperation::GetConfig) {
        Require(reads.size() == kConfigReads, "a configuration read takes twelve exchanges");
    }
    if (commands.Ok && operation == TOperation::SetConfig) {
        Require(reads.size() == kConfigWrites, "a configuration write takes ten exchanges");
    }
    return 0;
}
