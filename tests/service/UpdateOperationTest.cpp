// The firmware update as an operation: what it returns at each step it can end in, and what it
// tells its front end on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "service/FirmwareUpdate.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"

namespace {

using Outcome::TResult;
using TStep = Outcome::TUpdateOutcome::TStep;

// Writes down what the update tells it, one word an event; stops after StopAfterBlocks blocks.
class TRecording final : public Observer::TObserver {
public:
    void Stage(Observer::TStage Stage) override {
        Events.push_back(Stage == Observer::TStage::Preparing ? "preparing" : "transferring");
    }
    void ConfigurationRead(const Outcome::TReadOutcome& Read) override {
        Events.push_back(Read.Succeeded() ? "read" : "read failed");
    }
    void Progress(const Observer::TBlockProgress& Block) override {
        Events.push_back("block " + std::to_string(Block.Sent) + "/" + std::to_string(Block.Blocks) + " " +
                         std::to_string(Block.Percent) + "%, " + std::to_string(Block.Acknowledged) +
                         " acknowledged");
    }
    void Pause(int Milliseconds) override { Events.push_back("pause " + std::to_string(Milliseconds)); }
    bool StopRequested() override { return blocks() >= StopAfterBlocks; }

    std::vector<std::string> Events;
    std::size_t StopAfterBlocks = SIZE_MAX;

private:
    std::size_t blocks() const {
        return static_cast<std::size_t>(
            std::ranges::count_if(Events, [](const std::string& e) { return e.starts_with("block"); }));
    }
};

sim::Rule Faulty(sim::Fault Fault, int First, int Last = INT_MAX) {
    sim::Rule rule;
    rule.fault = Fault;
    rule.First = First;
    rule.Last = Last;
    return rule;
}

class UpdateOperationTest : public testing::Test {
protected:
    UpdateOperationTest()
        : port(sim.PortPath(), 9600, 256, 256, 2, 1, 0, 8), commands(1, port), engine(255, 1, port, 1000) {
        port.SetTimeouts(25, 0, 500, 1, 200);
    }

    // An accepted image whose 32-bit value is its body length, as the controller expects.
    static FirmwareImage::TImageState ImageOf(std::size_t BodyBytes) {
        const std::vector<uint8_t> body = SimImage::PatternBody(BodyBytes, 7);
        return FirmwareImage::CheckImage(
                   SimImage::MakeImageFile(static_cast<uint32_t>(BodyBytes), 0x1234, body))
            .Image;
    }

    sim::Simulator sim;
    MyCOMM::TZMyComm port;
    PtnLL::TPtnLL commands;
    uDispenser::TDispenserLL engine;
    TRecording front;
};

TEST_F(UpdateOperationTest, WholeUpdateCountsItsBlocks) {
    FirmwareImage::TImageState image = ImageOf(70); // image of 76: blocks end at 39, 72, 76
    const Outcome::TUpdateOutcome update = FirmwareUpdate::Update(image, commands, engine, front);
    EXPECT_EQ(update.Result, TResult::Success);
    EXPECT_EQ(update.Step, TStep::Blocks);
    EXPECT_FALSE(update.FoundInUpdateMode);
    EXPECT_EQ(update.Blocks, 3u);
    EXPECT_EQ(update.BlocksAcknowledged, 3u);
    EXPECT_FALSE(update.FailedBlock);
    EXPECT_EQ(front.Events,
              (std::vector<std::string>{"preparing", "read", "pause 1000", "transferring",
                                        "block 1/3 51%, 1 acknowledged", "block 2/3 94%, 2 acknowledged",
                                        "block 3/3 100%, 3 acknowledged"}));
    EXPECT_EQ(image.TransferPos, 6);
}

TEST_F(UpdateOperationTest, WithoutAnImageNothingHappens) {
    FirmwareImage::TImageState image;
    const Outcome::TUpdateOutcome update = FirmwareUpdate::Update(image, commands, engine, front);
    EXPECT_EQ(update.Result, TResult::NoImage);
    EXPECT_TRUE(front.Events.empty());
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

TEST_F(UpdateOperationTest, RefusedBlockIsNamedWithWhatWentBeforeIt) {
    sim.SetUpdateMode(true);
    // The probe, the update start, two blocks; the third is refused.
    sim.AddRule(Faulty(sim::Fault::Nak, 5, 5));
    FirmwareImage::TImageState image = ImageOf(5 * 33);
    const Outcome::TUpdateOutcome update = FirmwareUpdate::Update(image, commands, engine, front);
    EXPECT_EQ(update.Result, TResult::Refused);
    EXPECT_TRUE(update.FoundInUpdateMode);
    EXPECT_EQ(update.Step, TStep::Blocks);
    EXPECT_EQ(update.Blocks, 5u);
    EXPECT_EQ(update.BlocksAcknowledged, 2u);
    EXPECT_EQ(update.FailedBlock, 3u);
    const auto* reason = std::get_if<LinkFrame::TReplyVerdict>(&update.Reason);
    ASSERT_NE(reason, nullptr);
    EXPECT_EQ(reason->Fault, LinkFrame::TReplyFault::Nak);
    EXPECT_EQ(front.Events.back(), "block 3/5 61%, 2 acknowledged"); // 105 of 171 bytes
    EXPECT_EQ(image.TransferPos, 6);
}

TEST_F(UpdateOperationTest, UpdateStartThatNeverGoesThroughEndsBeforeAnyBlock) {
    sim.SetUpdateMode(true);
    sim.AddRule(Faulty(sim::Fault::Silent, 2)); // everything after the probe
    FirmwareImage::TImageState image = ImageOf(40);
    const Outcome::TUpdateOutcome update = FirmwareUpdate::Update(image, commands, engine, front);
    EXPECT_EQ(update.Result, TResult::NoAnswer);
    EXPECT_EQ(update.Step, TStep::UpdateStart);
    EXPECT_EQ(update.Blocks, 2u);
    EXPECT_EQ(update.BlocksAcknowledged, 0u);
    EXPECT_EQ(sim.ExchangeCount(), 1 + 1 + FirmwareUpdate::kRepeats);
    EXPECT_EQ(front.Events, (std::vector<std::string>{"preparing", "pause 1000"}));
}

TEST_F(UpdateOperationTest, ReadFailureEndsThePreparationWithItsReason) {
    sim.AddRule(Faulty(sim::Fault::WrongChecksum, 1));
    FirmwareImage::TImageState image = ImageOf(40);
    const Outcome::TUpdateOutcome update = FirmwareUpdate::Update(image, commands, engine, front);
    EXPECT_EQ(update.Result, TResult::CorruptAnswer);
    EXPECT_EQ(update.Step, TStep::ConfigurationRead);
    const auto* reason = std::get_if<PtnLL::TFailure>(&update.Reason);
    ASSERT_NE(reason, nullptr);
    EXPECT_EQ(reason->Verdict.Fault, CommandFrame::TFault::Checksum);
    EXPECT_EQ(front.Events, (std::vector<std::string>{"preparing", "read failed"}));
}

TEST_F(UpdateOperationTest, StopRequestEndsTheTransferAfterTheBlockUnderWay) {
    sim.SetUpdateMode(true);
    front.StopAfterBlocks = 2;
    FirmwareImage::TImageState image = ImageOf(10 * 33);
    const Outcome::TUpdateOutcome update = FirmwareUpdate::Update(image, commands, engine, front);
    EXPECT_EQ(update.Result, TResult::Interrupted);
    EXPECT_EQ(update.BlocksAcknowledged, 2u);
    EXPECT_EQ(update.Blocks, 10u);
    EXPECT_FALSE(update.FailedBlock);
    EXPECT_EQ(sim.Image().BlockSizes.size(), 2u);
    EXPECT_EQ(image.TransferPos, 6);
}

} // namespace
