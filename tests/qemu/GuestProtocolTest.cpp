// Both protocols and the firmware update through the kernel's real serial drivers.

#include "firmware/FirmwareImage.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "service/FirmwarePage.h"
#include "sim/SimImage.h"
#include "tests/qemu/GuestLine.h"
#include "tests/qemu/HostLink.h"
#include "tests/support/ScriptedWindow.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using GuestLine::TLine;

constexpr uint8_t kLinkAddress = 255;
constexpr uint32_t kBodyBytes = 3000; // 91 blocks
constexpr uint16_t kValue16 = 0x5AA5;

auto Fields(const PtnLL::TCfgStruct& Cfg) {
    return std::tie(Cfg.Addr1, Cfg.NoFillTO1, Cfg.Addr2, Cfg.NoFillTO2, Cfg.MinVoltage, Cfg.NoMaster,
                    Cfg.PricePoint, Cfg.AmoPoint, Cfg.Recalc, Cfg.ElType, Cfg.SerialNo, Cfg.FwVersion);
}

class ProtocolTest : public testing::TestWithParam<TLine> {
protected:
    const TLine& line = GetParam();
    std::unique_ptr<MyCOMM::TZMyComm> port = GuestLine::OpenPort(line.Device);
    PtnLL::TPtnLL commands{1, *port};
};

TEST_P(ProtocolTest, WholeConfigurationIsReadAndWritten) {
    commands.GetConfig();
    ASSERT_TRUE(commands.Ok);
    EXPECT_EQ(commands.Cfg.SerialNo, "1234567890");
    EXPECT_EQ(commands.Cfg.FwVersion, "0102030405");
    EXPECT_EQ(commands.Cfg.Addr2, 2);

    // Every writable setting changes; the addresses stay so that the controller keeps answering.
    PtnLL::TCfgStruct written = commands.Cfg;
    written.NoFillTO1 ^= 1;
    written.NoFillTO2 ^= 1;
    written.MinVoltage ^= 1;
    written.NoMaster ^= 1;
    written.PricePoint ^= 1;
    written.AmoPoint ^= 1;
    written.Recalc = !written.Recalc;
    written.ElType = !written.ElType;
    commands.Cfg = written;
    commands.SetConfig();
    ASSERT_TRUE(commands.Ok);

    PtnLL::TPtnLL reader(1, *port);
    reader.GetConfig();
    ASSERT_TRUE(reader.Ok);
    EXPECT_EQ(Fields(reader.Cfg), Fields(written));
}

TEST_P(ProtocolTest, AddressQueryGivesBothSides) {
    uint8_t first = 0, second = 0;
    commands.GetAddresses(first, second);
    EXPECT_TRUE(commands.Ok);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
}

TEST_P(ProtocolTest, FirmwareArrivesByteForByte) {
    uDispenser::TDispenserLL engine(kLinkAddress, 1, *port, 1000);
    ScriptedWindow::TScriptedWindow window;
    const uint32_t seed = line.Ftdi ? 2 : 1;
    const auto body = SimImage::PatternBody(kBodyBytes, seed);
    FirmwareImage::TImageState image =
        FirmwareImage::CheckImage(SimImage::MakeImageFile(kBodyBytes, kValue16, body)).Image;

    FirmwarePage::StartUpdate(image, commands, engine, window);

    EXPECT_EQ(window.Messages,
              (std::vector<ScriptedWindow::TMessage>{{"Микрокод успешно обновлен.", "СООБЩЕНИЕ", 0}}));
    EXPECT_EQ(HostLink::Ask("image " + line.Far + " " + std::to_string(kBodyBytes) + " " +
                            std::to_string(seed) + " " + std::to_string(kValue16)),
              "same");
}

INSTANTIATE_TEST_SUITE_P(Lines, ProtocolTest, testing::Values(GuestLine::kUart, GuestLine::kAdapter),
                         [](const auto& Info) { return Info.param.Name; });

} // namespace
