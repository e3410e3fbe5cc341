#include "serial/SysfsPorts.h"
#include "serial/MyCOMM.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A made-up /sys/class/tty in a temporary folder.
class SysfsPortsTest : public testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("zur-sysfs-" + std::to_string(getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    // A terminal; with a device link when Device, with a "type" attribute when Type is not empty.
    void Terminal(const std::string& Name, bool Device, const std::string& Type = "") {
        fs::create_directories(root / Name);
        if (Device)
            fs::create_directory_symlink("../../devices/" + Name, root / Name / "device"); // left dangling
        if (!Type.empty())
            std::ofstream(root / Name / "type") << Type;
    }

    fs::path root;
};

TEST_F(SysfsPortsTest, ListsTerminalsWithADeviceAsDevicePaths) {
    Terminal("tty", false);
    Terminal("tty0", false);
    Terminal("console", false);
    Terminal("ptmx", false);
    Terminal("ttyUSB0", true);
    Terminal("ttyACM0", true);
    Terminal("ttyAMA0", true);
    EXPECT_EQ(SysfsPorts::List(root.string()),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyAMA0", "/dev/ttyUSB0"}));
}

TEST_F(SysfsPortsTest, SkipsPlaceholdersWithoutAUart) {
    Terminal("ttyS0", true, "4\n");
    Terminal("ttyS1", true, "0\n");
    Terminal("ttyS2", true, "0");
    Terminal("ttyS3", true, "16\n"); // any real type counts
    Terminal("ttyUSB0", true);       // not serial-core: no type attribute
    EXPECT_EQ(SysfsPorts::List(root.string()),
              (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS3", "/dev/ttyUSB0"}));
}

TEST_F(SysfsPortsTest, NumbersOrderAsNumbers) {
    for (const char* name : {"ttyS10", "ttyUSB1", "ttyS2", "ttyS0", "ttyUSB0", "ttyS1"})
        Terminal(name, true, "4");
    EXPECT_EQ(SysfsPorts::List(root.string()),
              (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10",
                                        "/dev/ttyUSB0", "/dev/ttyUSB1"}));
}

TEST_F(SysfsPortsTest, MissingRootGivesNothing) {
    EXPECT_TRUE(SysfsPorts::List((root / "absent").string()).empty());
    EXPECT_TRUE(SysfsPorts::List(root.string()).empty());
}

// On this machine: whatever ports it has, the caller's entries stay first and nothing repeats.
TEST(ListComPortsTest, AppendsTheMachinesPortsToTheCallersList) {
    std::vector<std::string> list{"KEEP", "/DEV/TTYS0"};
    MyCOMM::ListComPorts(list);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[0], "KEEP");
    EXPECT_EQ(list[1], "/DEV/TTYS0");
    for (size_t i = 2; i < list.size(); ++i) {
        EXPECT_TRUE(list[i].starts_with("/dev/")) << list[i];
        EXPECT_NE(list[i], "/dev/ttyS0");
    }
}

} // namespace
