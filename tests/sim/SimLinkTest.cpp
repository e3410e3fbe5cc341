// The name the simulator puts on its port: what it may replace at the path, and what it removes.

#include "sim/SimPty.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

sim::Options Linked(const fs::path& path) {
    sim::Options options;
    options.LinkPath = path.string();
    return options;
}

enum class AtPath { Nothing, File, Folder, LinkToAFile, DanglingPtsLink, UnservedPtsLink, ServedLink };

struct LinkCase {
    const char* name;
    AtPath there;
    bool taken; // the simulator refuses the path and leaves what is there
};

class LinkPathTest : public ::testing::TestWithParam<LinkCase> {
protected:
    ~LinkPathTest() override { fs::remove_all(path); }

    const fs::path path = fs::temp_directory_path() / ("zur-sim-link-" + std::to_string(getpid()));
    const fs::path file = path.string() + ".file";
    std::unique_ptr<SimPty::Pty> peer;     // a pseudo-terminal no simulator serves
    std::unique_ptr<sim::Simulator> other; // a simulator that serves the path
};

TEST_P(LinkPathTest, TakesOnlyAFreePathOrALinkLeftByADeadSimulator) {
    std::ofstream(file) << "keep me";
    switch (GetParam().there) {
    case AtPath::Nothing:
        break;
    case AtPath::File:
        std::ofstream(path) << "keep me";
        break;
    case AtPath::Folder:
        fs::create_directory(path);
        break;
    case AtPath::LinkToAFile:
        fs::create_symlink(file, path);
        break;
    case AtPath::DanglingPtsLink:
        fs::create_symlink("/dev/pts/999999", path);
        break;
    case AtPath::UnservedPtsLink:
        peer = std::make_unique<SimPty::Pty>("");
        fs::create_symlink(peer->SlavePath(), path);
        break;
    case AtPath::ServedLink:
        other = std::make_unique<sim::Simulator>(Linked(path));
        break;
    }
    const auto before = fs::symlink_status(path).type();
    const std::string targetBefore = fs::is_symlink(path) ? fs::read_symlink(path).string() : "";

    if (GetParam().taken) {
        EXPECT_THROW(sim::Simulator{Linked(path)}, std::runtime_error);
        EXPECT_EQ(fs::symlink_status(path).type(), before);
        if (fs::is_symlink(path)) {
            EXPECT_EQ(fs::read_symlink(path).string(), targetBefore);
        } else if (fs::is_regular_file(fs::symlink_status(path))) {
            EXPECT_EQ(fs::file_size(path), 7u);
        }
    } else {
        {
            sim::Simulator simulator(Linked(path));
            EXPECT_EQ(fs::read_symlink(path).string(), simulator.PortPath());
        }
        EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
    }
    EXPECT_EQ(fs::file_size(file), 7u);
}

INSTANTIATE_TEST_SUITE_P(Paths, LinkPathTest,
                         ::testing::Values(LinkCase{"Nothing", AtPath::Nothing, false},
                                           LinkCase{"File", AtPath::File, true},
                                           LinkCase{"Folder", AtPath::Folder, true},
                                           LinkCase{"LinkToAFile", AtPath::LinkToAFile, true},
                                           LinkCase{"DanglingPtsLink", AtPath::DanglingPtsLink, false},
                                           LinkCase{"UnservedPtsLink", AtPath::UnservedPtsLink, false},
                                           LinkCase{"ServedLink", AtPath::ServedLink, true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SimLinkTest, LeavesALinkThatSomeoneElsePutInItsPlace) {
    const fs::path path = fs::temp_directory_path() / ("zur-sim-relink-" + std::to_string(getpid()));
    {
        sim::Simulator simulator(Linked(path));
        fs::remove(path);
        fs::create_symlink("/dev/null", path);
    }
    EXPECT_TRUE(fs::is_symlink(path));
    fs::remove(path);
}

} // namespace
