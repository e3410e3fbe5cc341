#include <algorithm>
#include <chrono>
#include <climits>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "firmware/FirmwareImage.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "service/FirmwarePage.h"
#include "service/FirmwareUpdate.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"
#include "tests/support/ScriptedWindow.h"
#include "tests/support/TempFile.h"

namespace {

using ScriptedWindow::TEvent;
using ScriptedWindow::TMessage;
using SimImage::MakeImageFile;
using SimImage::PatternBody;
using Kind = TEvent::Kind;

constexpr uint8_t kLinkAddress = 255;
constexpr uint8_t kConfigRequest = 0x80, kUpdateStart = 0xB6, kUpdateBlock = 0xC7;
constexpr uint8_t kEnterUpdateMode = 0xA5;
constexpr int kGetParamsPerConfig = 12; // parameters 1..10, 100 and 101

const TMessage kSuccess{"Микрокод успешно обновлен.", "СООБЩЕНИЕ", 0};
const TMessage kUpdateFailed{"Неудалось обновить микрокод.", "СООБЩЕНИЕ", 0};
const TMessage kNoUpdateMode{"Не удалось войти в режим обновнения.", "СООБЩЕНИЕ", 0};
const TMessage kNoImage{"Не выбран файл микрокода!", "СООБЩЕНИЕ", 0};

// A link DATA frame as it went out: its first transaction code and its TX.
struct TLinkFrame {
    uint8_t Trans, Tx;
    bool operator==(const TLinkFrame&) const = default;
};

void PrintTo(const TLinkFrame& Frame, std::ostream* Out) {
    *Out << std::hex << "{" << int(Frame.Trans) << ", tx " << std::dec << int(Frame.Tx) << "}";
}

class FirmwareUpdateTest : public testing::Test {
protected:
    void SetUp() override {
        simulator = std::make_unique<sim::Simulator>();
        port = std::make_unique<MyCOMM::TZMyComm>(simulator->PortPath(), 9600, 256, 256, 2, 1, 0, 8);
        port->SetTimeouts(25, 0, 500, 1, 200);
        commands = std::make_unique<PtnLL::TPtnLL>(1, *port);
        engine = std::make_unique<uDispenser::TDispenserLL>(kLinkAddress, 1, *port, 1000);
        window = std::make_unique<ScriptedWindow::TScriptedWindow>();
    }

    // An accepted image whose 32-bit value is its body length, as the controller expects.
    static FirmwareImage::TImageState ImageOf(const std::vector<uint8_t>& Body, uint16_t Value16 = 0xBEEF) {
        return FirmwareImage::CheckImage(MakeImageFile(static_cast<uint32_t>(Body.size()), Value16, Body))
            .Image;
    }

    std::vector<TLinkFrame> LinkFrames() const {
        std::vector<TLinkFrame> frames;
        for (const auto& frame : simulator->ReceivedFrames())
            if (frame.size() > 3 && frame[0] == kLinkAddress && (frame[1] & 0xF0) == 0x30)
                frames.push_back({frame[2], static_cast<uint8_t>(frame[1] & 0x0F)});
        return frames;
    }
    size_t LinkFramesOf(uint8_t Trans) const {
        return static_cast<size_t>(std::ranges::count(LinkFrames(), Trans, &TLinkFrame::Trans));
    }
    size_t EnterUpdateModeFrames() const {
        return static_cast<size_t>(std::ranges::count_if(simulator->ReceivedFrames(), [](const auto& frame) {
            return frame.size() > 2 && frame[0] == 1 && frame[1] == kEnterUpdateMode;
        }));
    }

    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<MyCOMM::TZMyComm> port;
    std::unique_ptr<PtnLL::TPtnLL> commands;
    std::unique_ptr<uDispenser::TDispenserLL> engine;
    std::unique_ptr<ScriptedWindow::TScriptedWindow> window;
};

TEST_F(FirmwareUpdateTest, WholeImageArrivesByteForByteAfterARejectedFile) {
    const std::vector<uint8_t> body = PatternBody(4000, 11); // 121 blocks of 33 and one of 7
    const TempFile::TTempFile good("whole-good.bin", MakeImageFile(4000, 0x5AA5, body));
    auto bad = MakeImageFile(4000, 0x5AA5, PatternBody(4000, 12));
    bad[100] ^= 0x40;
    const TempFile::TTempFile rejected("whole-bad.bin", bad);
    FirmwareImage::TImageState image;
    ASSERT_TRUE(FirmwarePage::AcceptImageFile(good.Path(), image, *window));
    ASSERT_FALSE(FirmwarePage::AcceptImageFile(rejected.Path(), image, *window));
    window->Messages.clear();

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_EQ(window->Messages, std::vector<TMessage>{kSuccess});
    const sim::ReceivedImage received = simulator->Image();
    EXPECT_TRUE(received.Started);
    EXPECT_EQ(received.Value32, 4000u);
    EXPECT_EQ(received.Value16, 0x5AA5);
    EXPECT_EQ(received.Body, body);
    ASSERT_EQ(received.BlockSizes.size(), 122u);
    EXPECT_TRUE(std::all_of(received.BlockSizes.begin(), received.BlockSizes.end() - 1,
                            [](size_t size) { return size == 33; }));
    EXPECT_EQ(received.BlockSizes.back(), 7u);
    EXPECT_FALSE(simulator->InUpdateMode());
    EXPECT_EQ(image.TransferPos, 6);
    EXPECT_TRUE(image.ImageChosen);
    EXPECT_TRUE(window->ConfigRead);
    EXPECT_EQ(window->OpenWindows, 0);
}

TEST_F(FirmwareUpdateTest, WindowsTextsAndPauseComeInTheirOrder) {
    FirmwareImage::TImageState image = ImageOf(PatternBody(70, 5)); // image of 76: blocks end at 39, 72, 76

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    const std::u16string updating = u"Идет обновление...";
    const std::vector<TEvent> expected = {
        {Kind::OpenWait, {}, 0},
        {Kind::State, u"Идет выполнение операции...", 0},
        {Kind::ConfigurationRead, {}, 1},
        {Kind::Pause, {}, 1000},
        {Kind::Close, {}, 0},
        {Kind::OpenBar, {}, 0},
        {Kind::State, updating, 0},
        {Kind::State, updating, 51}, // 39 * 100 / 76
        {Kind::Processed, {}, 0},
        {Kind::State, updating, 94}, // 72 * 100 / 76
        {Kind::Processed, {}, 0},
        {Kind::State, updating, 100},
        {Kind::Processed, {}, 0},
        {Kind::Message, {}, 0},
        {Kind::Close, {}, 0},
    };
    ASSERT_EQ(window->Events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(window->Events[i].What, expected[i].What) << "event " << i;
        EXPECT_EQ(window->Events[i].Text, expected[i].Text) << "event " << i;
        EXPECT_EQ(window->Events[i].Value, expected[i].Value) << "event " << i;
    }
    EXPECT_EQ(window->Messages, std::vector<TMessage>{kSuccess});
}

TEST_F(FirmwareUpdateTest, EmptyBodySendsTheStartAndNoBlockAndSaysNothing) {
    FirmwareImage::TImageState image = ImageOf({});

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_TRUE(window->Messages.empty());
    EXPECT_TRUE(simulator->Image().Started);
    EXPECT_TRUE(simulator->Image().Body.empty());
    EXPECT_EQ(LinkFramesOf(kUpdateStart), 1u);
    EXPECT_EQ(LinkFramesOf(kUpdateBlock), 0u);
    EXPECT_EQ(window->BarStates(), std::vector<int>{0});
    EXPECT_EQ(window->Count(Kind::OpenBar), 1u);
    EXPECT_EQ(image.TransferPos, 6);
    EXPECT_EQ(window->OpenWindows, 0);
}

TEST_F(FirmwareUpdateTest, ThirtyFourBytesGoAsThirtyThreeAndOne) {
    const std::vector<uint8_t> body(34, 0xFA); // every byte is stuffed on the wire
    FirmwareImage::TImageState image = ImageOf(body, 0x10FA);

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_EQ(window->Messages, std::vector<TMessage>{kSuccess});
    EXPECT_EQ(simulator->Image().BlockSizes, (std::vector<size_t>{33, 1}));
    EXPECT_EQ(simulator->Image().Body, body);
    EXPECT_EQ(simulator->Image().Value16, 0x10FA);
    EXPECT_EQ(window->BarStates(), (std::vector<int>{0, 97, 100}));
}

TEST_F(FirmwareUpdateTest, ControllerAlreadyInUpdateModeIsNotPrepared) {
    simulator->SetUpdateMode(true);
    const std::vector<uint8_t> body = PatternBody(100, 21);
    FirmwareImage::TImageState image = ImageOf(body);
    window->ConfigRead = true;

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_EQ(window->Messages, std::vector<TMessage>{kSuccess});
    EXPECT_EQ(simulator->Image().Body, body);
    EXPECT_EQ(window->Count(Kind::ConfigurationRead), 0u);
    EXPECT_TRUE(window->ConfigRead);
    EXPECT_EQ(EnterUpdateModeFrames(), 0u);
    EXPECT_TRUE(std::ranges::all_of(simulator->ReceivedFrames(),
                                    [](const auto& frame) { return frame.at(0) == kLinkAddress; }));
    EXPECT_EQ(window->Count(Kind::Pause), 1u);
}

// The probe counts only a 3-byte reply from the link address to a frame that was not taken.
struct TProbeRow {
    const char* Name;
    std::function<void(sim::Simulator&)> Arrange;
    bool InUpdateMode;
};

void PrintTo(const TProbeRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

sim::Rule OnFirst(sim::Fault Fault) {
    sim::Rule rule;
    rule.First = rule.Last = 1;
    rule.fault = Fault;
    return rule;
}

class ProbeTest : public FirmwareUpdateTest, public testing::WithParamInterface<TProbeRow> {};

TEST_P(ProbeTest, OnlyTheExactReplyMeansUpdateMode) {
    GetParam().Arrange(*simulator);
    EXPECT_EQ(FirmwareUpdate::ProbeUpdateMode(*engine), GetParam().InUpdateMode);
}

const TProbeRow kProbeRows[] = {
    {"NakFromTheLinkAddress", [](sim::Simulator& Sim) { Sim.SetUpdateMode(true); }, true},
    {"NakFromAnotherAddress",
     [](sim::Simulator& Sim) {
         Sim.SetUpdateMode(true);
         Sim.AddRule(OnFirst(sim::Fault::WrongAddress));
     },
     false},
    {"LongerReplyFromTheLinkAddress",
     [](sim::Simulator& Sim) {
         Sim.AddRule(OnFirst(sim::Fault::Silent));
         Sim.SendRaw({kLinkAddress, 0x51, 0xFA, 0xFA});
     },
     false},
    // The request is acknowledged and the poll answered by an EOT: 3 bytes from 255, but a success.
    {"AckThenEot",
     [](sim::Simulator& Sim) {
         sim::PollReply eot;
         eot.Eot = true;
         Sim.QueuePollReply(eot);
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Replies, ProbeTest, testing::ValuesIn(kProbeRows),
                         [](const testing::TestParamInfo<TProbeRow>& row) { return row.param.Name; });

// Link DATA frames of a run against a controller in update mode, with faults on some exchanges
// (1 is the probe, 2 the first update start).
struct TTxRow {
    const char* Name;
    int BodyBytes;
    std::vector<sim::Rule> Rules;
    std::vector<TLinkFrame> Frames;
    TMessage Outcome;
};

std::vector<TLinkFrame> Frames(std::initializer_list<TLinkFrame> Head, uint8_t Trans, uint8_t FirstTx,
                               int Count) {
    std::vector<TLinkFrame> frames(Head);
    for (int i = 0; i < Count; ++i)
        frames.push_back({Trans, static_cast<uint8_t>((FirstTx - 1 + i) % 15 + 1)});
    return frames;
}

sim::Rule Naks(int First, int Last) {
    sim::Rule rule;
    rule.First = First;
    rule.Last = Last;
    rule.fault = sim::Fault::Nak;
    return rule;
}

const TTxRow kTxRows[] = {
    {"StartCarriesOneAndBlocksWrap",
     15 * 33,
     {},
     Frames({{kConfigRequest, 1}, {kUpdateStart, 1}}, kUpdateBlock, 2, 15),
     kSuccess},
    {"RepeatedStartTakesTheNextTx",
     66,
     {Naks(2, 2)},
     Frames({{kConfigRequest, 1}, {kUpdateStart, 1}, {kUpdateStart, 2}}, kUpdateBlock, 3, 2),
     kSuccess},
    {"StartFailingSixteenTimes",
     66,
     {Naks(2, 17)},
     Frames({{kConfigRequest, 1}}, kUpdateStart, 1, 16),
     kUpdateFailed},
    // The sixteenth attempt is the last one allowed, and its success counts.
    {"StartSucceedingAtTheSixteenthAttempt",
     66,
     {Naks(2, 16)},
     [] {
         auto frames = Frames({{kConfigRequest, 1}}, kUpdateStart, 1, 16);
         frames.push_back({kUpdateBlock, 2});
         frames.push_back({kUpdateBlock, 3});
         return frames;
     }(),
     kSuccess},
    {"NakedBlockEndsTheTransfer",
     100,
     {Naks(4, 4)},
     Frames({{kConfigRequest, 1}, {kUpdateStart, 1}}, kUpdateBlock, 2, 2),
     kUpdateFailed},
};

void PrintTo(const TTxRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class UpdateTxTest : public FirmwareUpdateTest, public testing::WithParamInterface<TTxRow> {};

TEST_P(UpdateTxTest, FramesCarryTheirTxNumbers) {
    simulator->SetUpdateMode(true);
    for (const sim::Rule& rule : GetParam().Rules)
        simulator->AddRule(rule);
    FirmwareImage::TImageState image = ImageOf(PatternBody(GetParam().BodyBytes, 9));

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_EQ(window->Messages, std::vector<TMessage>{GetParam().Outcome});
    EXPECT_EQ(LinkFrames(), GetParam().Frames);
    EXPECT_EQ(image.TransferPos, 6);
    EXPECT_EQ(window->OpenWindows, 0);
    EXPECT_EQ(window->Events.back().What, Kind::Close); // the box came while a window was still up
    const bool transferred = std::ranges::count(GetParam().Frames, kUpdateBlock, &TLinkFrame::Trans) > 0;
    EXPECT_EQ(window->Count(Kind::OpenBar), transferred ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Runs, UpdateTxTest, testing::ValuesIn(kTxRows),
                         [](const auto& row) { return std::string(row.param.Name); });

TEST_F(FirmwareUpdateTest, FailedBlockStopsAndTheNextRunStartsFromTheFirstBlock) {
    simulator->SetUpdateMode(true);
    simulator->AddRule(Naks(4, 4)); // the second block
    const std::vector<uint8_t> body = PatternBody(100, 8);
    FirmwareImage::TImageState image = ImageOf(body); // image of 106: blocks end at 39, 72, 105, 106

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_EQ(window->Messages, std::vector<TMessage>{kUpdateFailed});
    EXPECT_EQ(window->BarStates(), (std::vector<int>{0, 36, 67}));
    EXPECT_EQ(LinkFramesOf(kUpdateBlock), 2u);
    EXPECT_EQ(image.TransferPos, 6);
    EXPECT_TRUE(image.ImageChosen);

    const auto firstRun = simulator->ReceivedFrames();
    simulator->ClearRules();
    simulator->ClearReceived();
    window->Messages.clear();
    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_EQ(window->Messages, std::vector<TMessage>{kSuccess});
    const auto secondRun = simulator->ReceivedFrames();
    ASSERT_GE(secondRun.size(), 3u);
    ASSERT_GE(firstRun.size(), 3u);
    EXPECT_EQ(secondRun[2], firstRun[2]); // the same first block with the same TX
    EXPECT_EQ(LinkFramesOf(kUpdateBlock), 4u);
    EXPECT_EQ(simulator->Image().Body, body);
}

TEST_F(FirmwareUpdateTest, NoImageChosenSendsNothing) {
    FirmwareImage::TImageState image;

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_EQ(window->Messages, std::vector<TMessage>{kNoImage});
    EXPECT_EQ(window->Events.size(), 1u); // the box and no window
    EXPECT_EQ(simulator->WaitForFrames(1, std::chrono::milliseconds(300)), 0u);
}

TEST_F(FirmwareUpdateTest, ConfigurationReadFailingEndsPreparation) {
    sim::Rule garbled;
    garbled.fault = sim::Fault::WrongChecksum; // every command answer; link frames get none anyway
    simulator->AddRule(garbled);
    FirmwareImage::TImageState image = ImageOf(PatternBody(66, 4));
    window->ConfigRead = true; // from an earlier read: cleared before this one

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    // The page reports the failed read itself; the update only tells it the outcome.
    EXPECT_EQ(window->Messages, (std::vector<TMessage>{kNoUpdateMode}));
    EXPECT_EQ(window->Events[2].What, Kind::ConfigurationRead);
    EXPECT_EQ(window->Events[2].Value, 0);
    // Six reads, each ending at its first parameter.
    EXPECT_EQ(std::ranges::count_if(simulator->ReceivedFrames(),
                                    [](const auto& frame) { return frame.size() > 2 && frame[1] == 0x0F; }),
              6);
    EXPECT_FALSE(window->ConfigRead);
    EXPECT_EQ(LinkFrames(), (std::vector<TLinkFrame>{{kConfigRequest, 1}}));
    EXPECT_EQ(EnterUpdateModeFrames(), 0u);
    EXPECT_EQ(window->Count(Kind::Pause), 0u);
    EXPECT_EQ(window->Events.back().What, Kind::Close);
    EXPECT_EQ(window->Count(Kind::OpenBar), 0u);
}

// Enter-update-mode answered with a bad checksum Failures times; the configuration read before it
// is answered properly.
struct TEnterRow {
    const char* Name;
    int Failures;
    std::vector<TMessage> Messages;
};

const TEnterRow kEnterRows[] = {
    {"FailingSixteenTimes", 16, {kNoUpdateMode}},
    {"SucceedingAtTheSixteenthAttempt", 15, {kSuccess}},
};

void PrintTo(const TEnterRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class EnterUpdateModeTest : public FirmwareUpdateTest, public testing::WithParamInterface<TEnterRow> {};

TEST_P(EnterUpdateModeTest, IsRepeatedFifteenTimes) {
    sim::Rule garbled;
    garbled.First = 1 + kGetParamsPerConfig + 1; // after the probe and the configuration read
    garbled.Last = garbled.First + GetParam().Failures - 1;
    garbled.fault = sim::Fault::WrongChecksum;
    simulator->AddRule(garbled);
    FirmwareImage::TImageState image = ImageOf(PatternBody(66, 4));

    FirmwarePage::StartUpdate(image, *commands, *engine, *window);

    EXPECT_EQ(window->Messages, GetParam().Messages);
    EXPECT_EQ(EnterUpdateModeFrames(), 16u);
    const bool entered = GetParam().Failures < 16;
    EXPECT_EQ(LinkFramesOf(kUpdateStart), entered ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Runs, EnterUpdateModeTest, testing::ValuesIn(kEnterRows),
                         [](const auto& row) { return std::string(row.param.Name); });

} // namespace
