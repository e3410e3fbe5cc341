// The link protocol's replies: acceptance of control and DATA replies, unstuffing, the payload walk
// and every decoder, the configuration records included; then the same replies through
// TDispenserLL's exchange and poll.
// Input: a set-up byte (what is queued, the poll switch, the TX counter), then the replies the line
// gives; only the first six are taken.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/ScriptedLine.h"
#include "link/LinkFrame.h"
#include "link/uDispenser.h"

namespace {

using FuzzCheck::Require;
using FuzzInput::Piece;

// The link address the service application uses.
constexpr uint8_t kAddress = 0xFF;
// Ten decimal characters from five packed bytes.
constexpr std::size_t kDigitsLength = 10;
// Set-up bits.
constexpr uint8_t kQueueConfig = 0x01, kQueueStart = 0x02, kQueueBlock = 0x04, kQueueD8 = 0x08,
                  kNoPoll = 0x10;
constexpr int kExecutions = 3;
// An exchange reads at most two replies (the acknowledgement, then the poll's answer), so the engine
// never reaches a seventh; it would only meet the checks of single replies, which a shorter input
// brings to them as well.
constexpr std::size_t kMostReplies = 2 * kExecutions;

void CheckDigits(const std::string& Text) {
    Require(Text.empty() || Text.size() == kDigitsLength, "packed digits give ten characters");
}

void CheckState(const uDispenser::TControllerState& State) {
    CheckDigits(State.Identity);
    for (const std::string* digits :
         {&State.Config.Digits1, &State.Config.Digits2, &State.Config.Digits3, &State.Config.Digits4}) {
        CheckDigits(*digits);
    }
    const uint8_t kind = State.Config.Kind;
    Require(kind == 0 || kind == 26 || kind == 27 || kind == 29 || kind == 30, "a known record length");
    Require(State.Nozzle >= 0 && State.Nozzle <= 15, "a nozzle number is four bits");
}

// Every record the walk hands over lies inside the payload; together they cover a prefix of it.
void WalkAndDecode(std::span<const uint8_t> Payload, uDispenser::TControllerState& State) {
    std::size_t covered = 0;
    LinkFrame::WalkPayload(Payload, [&](uint8_t, std::span<const uint8_t> Record) {
        Require(Record.data() == Payload.data() + covered + 2, "records follow one another");
        covered += 2 + Record.size();
        Require(covered <= Payload.size(), "a record stays inside the payload");
    });
    LinkFrame::WalkPayload(Payload, [&State](uint8_t Trans, std::span<const uint8_t> Record) {
        uDispenser::DecodeTransaction(State, Trans, Record);
    });
    CheckState(State);
}

void CheckReply(Piece Reply, uDispenser::TControllerState& State) {
    const uint8_t from = Reply.empty() ? kAddress : Reply[0];
    for (const uint8_t kind : {LinkFrame::kData, LinkFrame::kPoll}) {
        const LinkFrame::TReplyVerdict verdict = LinkFrame::JudgeReply(
            Reply, {.Kind = kind, .Tx = static_cast<uint8_t>(Reply.size() & 0x0F), .Address = from});
        Require(!verdict.WholeFrame() || Reply.size() == LinkFrame::kControlFrameSize ||
                    (kind == LinkFrame::kPoll && verdict.Accepted()),
                "a whole frame other than an accepted DATA reply has three bytes");
        Require(!verdict.Accepted() || kind == LinkFrame::kData || Reply.size() < LinkFrame::kReadSize,
                "a whole read is never a reply");
    }
    const LinkFrame::TDataReply data = LinkFrame::AcceptData(Reply, Reply.empty() ? kAddress : Reply[0]);
    Require(data.Status != LinkFrame::TDataStatus::Accepted || Reply.size() < LinkFrame::kReadSize,
            "a whole read is never a reply");
    if (data.Status == LinkFrame::TDataStatus::Accepted) {
        Require(data.ReceivedCrc == data.ComputedCrc, "accepted with a wrong CRC");
        WalkAndDecode(data.Payload, State);
    }
    // The reply's bytes as a payload of their own, so every decoder sees every length.
    WalkAndDecode(Reply, State);

    Require(std::ranges::equal(LinkFrame::Unstuff(LinkFrame::Stuff(Reply)), Reply),
            "unstuffing undoes stuffing");
    // The reply taken as transactions: a frame built around them is accepted with them.
    const std::vector<uint8_t> frame =
        LinkFrame::DataFrame(kAddress, static_cast<uint8_t>(Reply.size() & 0x0F), Reply);
    if (frame.size() <= LinkFrame::kLongestFrame) {
        const LinkFrame::TDataReply back = LinkFrame::AcceptData(frame, kAddress);
        Require(back.Status == LinkFrame::TDataStatus::Accepted && std::ranges::equal(back.Payload, Reply),
                "a built frame is accepted with its payload");
    }
}

void Queue(uDispenser::TDispenserLL& Engine, uint8_t Setup) {
    static constexpr std::array<uint8_t, 33> kBlock{0xFA, 0x10, 0xFA, 0x03};
    if (Setup & kQueueConfig) {
        Engine.QueueConfigRequest();
    }
    if (Setup & kQueueStart) {
        Engine.QueueUpdateStart(0x100010FA, 0x10FA);
    }
    if (Setup & kQueueBlock) {
        Engine.QueueUpdateBlock(kBlock.data(), kBlock.size());
    }
    if (Setup & kQueueD8) {
        Engine.QueueD8Command();
    }
    Engine.NoPollAfterAck = Engine.NoPollAfterAck || (Setup & kNoPoll) != 0;
}

// An exchange succeeds only when its DATA frame was acknowledged, with that frame's TX, by a
// 3-byte reply from the engine's address.
bool AcknowledgedFirst(const ScriptedLine::TScriptedLine& Line, std::size_t Writes, std::size_t Reads) {
    const auto& writes = Line.Writes();
    const auto& reads = Line.Reads();
    if (writes.size() <= Writes || reads.size() <= Reads) {
        return false;
    }
    const Piece frame = writes[Writes];
    const Piece reply = reads[Reads];
    return frame.size() >= LinkFrame::kShortestDataFrame && reply.size() == LinkFrame::kControlFrameSize &&
           reply[0] == kAddress && reply[1] == (LinkFrame::kAck | LinkFrame::Tx(frame[1])) &&
           reply[2] == LinkFrame::kSF;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size) {
    // Kept from input to input: Script resets the line, and the replies are refilled.
    static ScriptedLine::TScriptedLine line;
    static std::vector<Piece> replies;

    FuzzInput::TReader input(std::span(Data, Size));
    const uint8_t setup = input.Byte();
    input.Answers(replies);
    replies.resize(std::min(replies.size(), kMostReplies));

    uDispenser::TControllerState state;
    for (const Piece reply : replies) {
        CheckReply(reply, state);
    }

    line.Script(replies);
    uDispenser::TDispenserLL engine(kAddress, 1, line, 1000);
    engine.TxCounter = setup >> 5;
    engine.OnCrcMismatch = [](const std::string& Text) {
        Require(Text.size() == 9 && Text[4] == ' ', "the CRC message is two four-digit values");
    };
    for (int i = 0; i < kExecutions; ++i) {
        const std::size_t writesBefore = line.Writes().size();
        const std::size_t readsBefore = line.Reads().size();
        Queue(engine, setup);
        const bool ok = engine.Execute();
        CheckState(engine.Controller);
        if ((setup & (kQueueConfig | kQueueStart | kQueueBlock | kQueueD8)) == 0) {
            Require(ok && line.Writes().size() == writesBefore, "nothing queued, nothing sent");
            continue;
        }
        Require(line.Reads().size() > readsBefore, "a queued transaction goes out and is answered");
        Require(!ok || AcknowledgedFirst(line, writesBefore, readsBefore),
                "success without an acknowledgement");
        Require(engine.LastReplyCount == std::min<std::size_t>(line.Reads().back().size(), 255),
                "the last reply is what was read");
    }
    return 0;
}
