// Long runs against the simulated controller: the connection opened and closed a thousand times,
// the configuration read a thousand times, and a 1 MiB image through the whole update. None may
// leave a descriptor or a thread behind; LeakSanitizer looks after the memory when the program ends.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "firmware/FirmwareImage.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"
#include "tests/support/ProcessCounts.h"
#include "tests/support/ScriptedWindow.h"
#include "tests/support/WindowFixture.h"

namespace {

using WindowFixture::TBox;

constexpr int kOpenings = 1000;
// The reads are shared among programs that ctest runs side by side: each read waits out twelve
// 25 ms read intervals, so a thousand in one program would take five minutes.
constexpr int kReadShards = 8;
constexpr int kReadsPerShard = 1000 / kReadShards;
constexpr size_t kImageBytes = 1 << 20;

class LongRunTest : public WindowFixture::WindowTest {
protected:
    void Open() {
        SetPort(Sim->PortPath());
        Click("bOpenClose");
    }
};

TEST_F(LongRunTest, OpeningAndClosingAThousandTimesLeavesNothingOpen) {
    Open(); // the window's first opening sets up what it keeps for good
    Click("bOpenClose");
    const int descriptors = ProcessCounts::OpenDescriptors();
    const int threads = ProcessCounts::Threads();

    for (int i = 0; i < kOpenings; ++i) {
        Open();
        ASSERT_EQ(OpenCloseCaption(), "Закрыть") << "opening " << i;
        ASSERT_TRUE(PagesEnabled());
        Click("bOpenClose");
        ASSERT_EQ(OpenCloseCaption(), "Открыть") << "closing " << i;
        ASSERT_FALSE(PagesEnabled());
    }

    EXPECT_TRUE(Boxes->Boxes.empty());
    RecordProperty("descriptors", descriptors);
    RecordProperty("threads", threads);
    // At most as many: the simulator on the other end may have held one more for a moment when the
    // count was taken; a descriptor left by each opening would show here as a thousand more.
    EXPECT_LE(ProcessCounts::OpenDescriptors(), descriptors);
    EXPECT_EQ(ProcessCounts::Threads(), threads);
    // The port is free again: the last closing let go of it.
    Open();
    EXPECT_TRUE(Form->IsConnected());
}

class ConfigReadsTest : public LongRunTest, public testing::WithParamInterface<int> {};

TEST_P(ConfigReadsTest, ReadingTheConfigurationOverAndOverLeavesNothingOpen) {
    Open();
    Click("bGetConfig"); // the first wait window and box set up what the window keeps
    Boxes->Boxes.clear();
    const int descriptors = ProcessCounts::OpenDescriptors();
    const int threads = ProcessCounts::Threads();

    for (int i = 0; i < kReadsPerShard; ++i) {
        Click("bGetConfig");
        ASSERT_EQ(Boxes->Boxes.size(), 1u) << "read " << i;
        ASSERT_EQ(Boxes->Boxes.front(), (TBox{"Конфигурация успешно получена", "СООБЩЕНИЕ", 0}))
            << "read " << i;
        Boxes->Boxes.clear();
    }

    // Twelve parameters a read, and not a single repeat.
    EXPECT_EQ(Sim->ExchangeCount(), 12 * (kReadsPerShard + 1));
    RecordProperty("descriptors", descriptors);
    RecordProperty("threads", threads);
    // At most as many: the simulator on the other end may have held one more for a moment when the
    // count was taken; a descriptor left by each opening would show here as a thousand more.
    EXPECT_LE(ProcessCounts::OpenDescriptors(), descriptors);
    EXPECT_EQ(ProcessCounts::Threads(), threads);
    Click("bOpenClose");
}

INSTANTIATE_TEST_SUITE_P(Shard, ConfigReadsTest, testing::Range(0, kReadShards),
                         testing::PrintToStringParamName());

// The core objects as the window makes them, but with a read that ends 1 ms after the last byte
// instead of 25: at 25 ms an ACK the 31,776 blocks would take over thirteen minutes.
TEST(LongUpdateTest, OneMebibyteImageArrivesByteForByte) {
    sim::Options options;
    options.UpdateMode = true;
    sim::Simulator sim(options);
    MyCOMM::TZMyComm port(sim.PortPath(), 115200, 256, 256, 2, 1, 0, 8);
    port.SetTimeouts(1, 0, 500, 1, 200);
    PtnLL::TPtnLL commands(1, port);
    uDispenser::TDispenserLL engine(255, 1, port, 1000);
    ScriptedWindow::TScriptedWindow window;

    std::vector<uint8_t> body(kImageBytes);
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<uint8_t>((i * 131) ^ (i >> 9)); // every byte value, 0x10 and 0xFA included
    // The simulator takes the 32-bit header value as the body's length.
    const FirmwareImage::TLoaded loaded =
        FirmwareImage::CheckImage(SimImage::MakeImageFile(kImageBytes, 0xBEEF, body));
    ASSERT_EQ(loaded.Result, FirmwareImage::TCheck::Accepted);
    FirmwareImage::TImageState image = loaded.Image;

    FirmwarePage::StartUpdate(image, commands, engine, window);

    EXPECT_EQ(window.Messages,
              (std::vector<ScriptedWindow::TMessage>{{"Микрокод успешно обновлен.", "СООБЩЕНИЕ", 0}}));
    const sim::ReceivedImage received = sim.Image();
    EXPECT_TRUE(received.Started);
    EXPECT_EQ(received.Value32, kImageBytes);
    EXPECT_EQ(received.Value16, 0xBEEF);
    ASSERT_EQ(received.Body.size(), body.size());
    EXPECT_TRUE(received.Body == body);
    EXPECT_EQ(received.BlockSizes.size(), (kImageBytes + 32) / 33);
    EXPECT_EQ(received.BlockSizes.back(), kImageBytes % 33);
    EXPECT_EQ(image.TransferPos, 6);
}

} // namespace
