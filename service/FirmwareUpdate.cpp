#include "service/FirmwareUpdate.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "firmware/FirmwareImage.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "service/Operations.h"

namespace FirmwareUpdate {
namespace {

using Outcome::TResult;
using TStep = Outcome::TUpdateOutcome::TStep;

constexpr uint8_t kLinkAddress = 255;   // the controller's link address in update mode
constexpr uint8_t kProbeReplyBytes = 3; // a control frame: address, control byte, SF
constexpr int32_t kTxBeforeStart = 15;  // the next frame then carries TX 1

// Tries once, then repeats up to kRepeats times while it fails, unless a stop is asked for. The
// outcome is that of the last attempt: a controller that accepts the final repeat has done what
// was asked.
template <typename Attempt> bool WithRepeats(Observer::TObserver& Front, Attempt&& Try) {
    bool done = Try();
    for (int repeat = 0; !done && repeat < kRepeats && !Front.StopRequested(); ++repeat)
        done = Try();
    return done;
}

// The blocks the body from TransferPos on takes.
std::size_t BlocksOf(const FirmwareImage::TImageState& Image) {
    const auto left = std::max<std::ptrdiff_t>(
        static_cast<std::ptrdiff_t>(Image.FirmwareImage.size()) - Image.TransferPos, 0);
    return (static_cast<std::size_t>(left) + kBlockBytes - 1) / kBlockBytes;
}

Outcome::TUpdateOutcome Failed(TStep Step, Outcome::TReason Reason, TResult Result,
                               Observer::TObserver& Front) {
    Outcome::TUpdateOutcome outcome;
    outcome.Step = Step;
    outcome.Result = Front.StopRequested() ? TResult::Interrupted : Result;
    outcome.Reason = std::move(Reason);
    return outcome;
}

Outcome::TUpdateOutcome LinkFailed(TStep Step, const uDispenser::TDispenserLL& Engine,
                                   Observer::TObserver& Front) {
    return Failed(Step, Engine.LastFailure, Outcome::ResultOf(Engine.LastFailure), Front);
}

// Puts TransferPos back to the first block however the transfer ends.
class TRewind {
public:
    explicit TRewind(int32_t& Position) : position(Position) {}
    ~TRewind() { position = FirmwareImage::kHeaderBytes; }
    TRewind(const TRewind&) = delete;
    TRewind& operator=(const TRewind&) = delete;

private:
    int32_t& position;
};

} // namespace

bool ProbeUpdateMode(uDispenser::TDispenserLL& Engine) {
    Engine.QueueConfigRequest();
    const bool answered = Engine.Execute();
    return !answered && Engine.LastReplyCount == kProbeReplyBytes && Engine.LastReply[0] == kLinkAddress;
}

Outcome::TUpdateOutcome Update(FirmwareImage::TImageState& Image, PtnLL::TPtnLL& Commands,
                               uDispenser::TDispenserLL& Engine, Observer::TObserver& Front) {
    if (!Image.ImageChosen) {
        Outcome::TUpdateOutcome refused;
        refused.Result = TResult::NoImage;
        return refused;
    }
    Front.Stage(Observer::TStage::Preparing);
    const bool inUpdateMode = ProbeUpdateMode(Engine);
    const auto ended = [&](Outcome::TUpdateOutcome Part) {
        Part.FoundInUpdateMode = inUpdateMode;
        Part.Blocks = BlocksOf(Image);
        return Part;
    };
    if (!inUpdateMode) {
        // The read also yields the serial number that enter-update-mode carries.
        Front.Step(TStep::ConfigurationRead);
        const Outcome::TReadOutcome read = Operations::ReadConfiguration(Commands, Front);
        Front.ConfigurationRead(read);
        if (!read.Succeeded())
            return ended(Failed(TStep::ConfigurationRead, read.Reason, read.Result, Front));
        if (!Front.BeforeChange(read.Record))
            return ended(Failed(TStep::ConfigurationRead, {}, TResult::Withheld, Front));
        Front.Step(TStep::EnterUpdateMode);
        const bool entered = WithRepeats(Front, [&Commands] {
            Commands.EnterUpdateMode();
            return Commands.Ok;
        });
        if (!entered)
            return ended(Failed(TStep::EnterUpdateMode, Commands.LastFailure,
                                Outcome::ResultOf(Commands.LastFailure.Verdict), Front));
    }
    Front.Pause(kModeSwitchPauseMs);
    Engine.TxCounter = kTxBeforeStart;
    Front.Step(TStep::UpdateStart);
    const bool started = WithRepeats(Front, [&] {
        Engine.QueueUpdateStart(Image.ImageValue32, Image.ImageValue16);
        return Engine.Execute();
    });
    if (!started)
        return ended(LinkFailed(TStep::UpdateStart, Engine, Front));
    Outcome::TUpdateOutcome outcome = TransferBlocks(Image, Engine, Front);
    outcome.FoundInUpdateMode = inUpdateMode;
    return outcome;
}

Outcome::TUpdateOutcome Update(FirmwareImage::TImageState& Image, PtnLL::TPtnLL& Commands,
                               uDispenser::TDispenserLL& Engine, Observer::TObserver& Front, int Attempts) {
    Outcome::TUpdateOutcome outcome = Update(Image, Commands, Engine, Front);
    const auto again = [&] {
        return !outcome.Succeeded() && outcome.Result != TResult::Interrupted &&
               (outcome.Step == TStep::UpdateStart || outcome.Step == TStep::Blocks) &&
               outcome.Attempts < Attempts && !Front.StopRequested();
    };
    while (again()) {
        const int attempt = outcome.Attempts + 1;
        Front.Attempt(attempt, Attempts);
        outcome = Update(Image, Commands, Engine, Front);
        outcome.Attempts = attempt;
    }
    return outcome;
}

Outcome::TUpdateOutcome TransferBlocks(FirmwareImage::TImageState& Image, uDispenser::TDispenserLL& Engine,
                                       Observer::TObserver& Front) {
    const TRewind rewind(Image.TransferPos);
    Front.Stage(Observer::TStage::Transferring);
    const auto size = static_cast<int32_t>(Image.FirmwareImage.size());
    Outcome::TUpdateOutcome outcome;
    outcome.Step = TStep::Blocks;
    outcome.Blocks = BlocksOf(Image);
    std::size_t sent = 0;
    while (Image.TransferPos < size) {
        if (Front.StopRequested()) {
            outcome.Result = TResult::Interrupted;
            return outcome;
        }
        const int count = std::min(kBlockBytes, size - Image.TransferPos);
        std::array<uint8_t, kBlockBytes> block{};
        std::copy_n(Image.FirmwareImage.begin() + Image.TransferPos, count, block.begin());
        Image.TransferPos += count;
        Engine.QueueUpdateBlock(block.data(), static_cast<uint8_t>(count));
        Engine.NoPollAfterAck = true;
        const bool acknowledged = Engine.Execute();
        ++sent;
        if (acknowledged)
            ++outcome.BlocksAcknowledged;
        Front.Progress({.Sent = sent,
                        .Acknowledged = outcome.BlocksAcknowledged,
                        .Blocks = outcome.Blocks,
                        .Percent = static_cast<int>(Image.TransferPos * 100.0 / size)});
        if (!acknowledged) {
            Outcome::TUpdateOutcome failed = LinkFailed(TStep::Blocks, Engine, Front);
            failed.BlocksAcknowledged = outcome.BlocksAcknowledged;
            failed.Blocks = outcome.Blocks;
            failed.FailedBlock = sent;
            return failed;
        }
    }
    return outcome;
}

} // namespace FirmwareUpdate
