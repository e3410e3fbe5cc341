// The USB adapter pulled out in the middle of a firmware transfer. Runs last: the adapter does not
// come back.

#include "firmware/FirmwareImage.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "service/FirmwarePage.h"
#include "sim/SimImage.h"
#include "tests/qemu/GuestLine.h"
#include "tests/qemu/HostLink.h"
#include "tests/support/ProcessCounts.h"
#include "tests/support/ScriptedWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr uint8_t kLinkAddress = 255;
constexpr uint32_t kBodyBytes = 6000;
constexpr uint32_t kPullAfterBytes = 1500; // of the body received by the controller
// Far more than the time-outs of the exchanges left once the adapter is gone.
constexpr auto kUpdateEnds = 60s;
constexpr auto kNodeGoes = 5s;

bool WaitUntilGone(const std::filesystem::path& Path) {
    const auto deadline = std::chrono::steady_clock::now() + kNodeGoes;
    while (std::filesystem::exists(Path)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(UnplugTest, AdapterPulledDuringTransferEndsItAndTheOpenFails) {
    const std::string& device = GuestLine::kAdapter.Device;
    const int descriptors = ProcessCounts::OpenDescriptors();
    {
        const auto port = GuestLine::OpenPort(device);
        PtnLL::TPtnLL commands(1, *port);
        uDispenser::TDispenserLL engine(kLinkAddress, 1, *port, 1000);
        ScriptedWindow::TScriptedWindow window;
        const auto body = SimImage::PatternBody(kBodyBytes, 3);
        FirmwareImage::TImageState image =
            FirmwareImage::CheckImage(SimImage::MakeImageFile(kBodyBytes, 0x1234, body)).Image;
        ASSERT_EQ(HostLink::Ask("pull " + GuestLine::kAdapter.Far + " " + std::to_string(kPullAfterBytes)),
                  "armed");

        auto update = std::async(std::launch::async,
                                 [&] { FirmwarePage::StartUpdate(image, commands, engine, window); });
        if (update.wait_for(kUpdateEnds) != std::future_status::ready) {
            // A hung transfer cannot be abandoned; the host sees this test never finish.
            std::puts("The update still runs after the adapter was pulled");
            std::fflush(stdout);
            std::_Exit(1);
        }

        EXPECT_EQ(window.Messages,
                  (std::vector<ScriptedWindow::TMessage>{{"Неудалось обновить микрокод.", "СООБЩЕНИЕ", 0}}));
        EXPECT_EQ(HostLink::Ask("pulled " + GuestLine::kAdapter.Far), "yes");
    }
    EXPECT_EQ(ProcessCounts::OpenDescriptors(), descriptors);
    EXPECT_TRUE(WaitUntilGone("/sys/class/tty/ttyUSB0"));
    EXPECT_EQ(GuestLine::OpenFailure(device), "Cannot open COM-port " + device);
    std::vector<std::string> list;
    MyCOMM::ListComPorts(list);
    EXPECT_EQ(list, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1"}));
}

} // namespace
