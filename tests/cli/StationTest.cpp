// zur-cli on a station: several simulated controllers on one line. What a script relies on: the
// scan finds exactly the controllers there, each backup goes back onto its own controller only,
// nothing changes before the safety backup is on disk, the journal records every change, and
// Ctrl+C ends a scan with what it found.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "serial/LineTap.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"
#include "tests/cli/CliProcess.h"

namespace {

using CliProcess::RunCli;
using Json = nlohmann::json;
namespace fs = std::filesystem;

constexpr int kNoAnswer = 4, kRefused = 5, kOtherController = 6, kBackupFailed = 7, kInterrupted = 130;
constexpr uint8_t kSetParam = 0x10;

// Every test keeps its data folder (backups and journal) to itself, out of the user's.
class TDataHome : public testing::Environment {
public:
    void SetUp() override {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        own = testing::TempDir() + "zur-cli-data-" + std::to_string(::getpid()) +
              (test ? std::string(".") + test->name() : "");
        ::setenv("XDG_DATA_HOME", own.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(own); }

private:
    std::string own;
};
[[maybe_unused]] testing::Environment* const kDataHome = testing::AddGlobalTestEnvironment(new TDataHome);

fs::path Fresh(const std::string& Name) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const fs::path path = fs::path(testing::TempDir()) /
                          (std::string(test->test_suite_name()) + "." + test->name() + "." + Name);
    fs::remove_all(path);
    return path;
}

// A data folder of this test's own, set for the zur-cli it starts.
fs::path OwnDataHome() {
    const fs::path home = Fresh("data");
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);
    return home;
}

sim::Controller At(uint8_t Addr1, uint8_t Addr2, const char* Serial, uint32_t LineSpeed = 0) {
    sim::Controller controller;
    controller.Config.Addr1 = Addr1;
    controller.Config.Addr2 = Addr2;
    controller.Config.SerialNo = Serial;
    controller.LineSpeed = LineSpeed;
    return controller;
}

sim::Options Station(LineTap::TLineTap* Tap = nullptr) {
    sim::Options options;
    options.Controllers = {At(3, 4, "1111111111"), At(10, 11, "2222222222"), At(20, 21, "3333333333", 19200)};
    options.Tap = Tap;
    return options;
}

std::vector<std::string> On(const sim::Simulator& Sim, std::vector<std::string> Arguments) {
    Arguments.insert(Arguments.begin(), {"--port", Sim.PortPath(), "--fast"});
    return Arguments;
}

std::vector<Json> Journal(const fs::path& Home) {
    std::ifstream file(Home / "zur-service" / "journal.jsonl");
    std::vector<Json> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(Json::parse(line));
    return lines;
}

bool Sent(const sim::Simulator& Sim, uint8_t Command) {
    const auto frames = Sim.ReceivedFrames();
    return std::any_of(frames.begin(), frames.end(),
                       [&](const std::vector<uint8_t>& f) { return f.size() > 1 && f[1] == Command; });
}

TEST(StationScanTest, FindsEachControllerOnceAtItsSpeed) {
    sim::Simulator sim(Station());
    const auto scan = RunCli(On(
        sim, {"--json", "scan", "--addresses", "1-25", "--speeds", "19200,9600", "--answer-timeout", "50"}));
    ASSERT_EQ(scan.Exit, 0) << scan.Err;
    Json found = Json::parse(scan.Out);
    EXPECT_EQ(found["probed"], 50);
    found.erase("elapsed_s");
    found.erase("probed");
    const auto controller = [](int Speed, std::vector<int> Addresses, const char* Serial) {
        return Json{{"speed", Speed},
                    {"addresses", Addresses},
                    {"serial_number", Serial},
                    {"firmware_version", "0102030405"},
                    {"electronics", "QV1"}};
    };
    // The first two understand any speed and are listed once, at the lower.
    EXPECT_EQ(found, (Json{{"controllers",
                            {controller(9600, {3, 4}, "1111111111"), controller(9600, {10, 11}, "2222222222"),
                             controller(19200, {20, 21}, "3333333333")}}}));
    EXPECT_EQ(RunCli(On(sim, {"scan", "--addresses", "30-35", "--answer-timeout", "50"})).Exit, kNoAnswer);
}

TEST(StationRestoreTest, EachBackupGoesBackOntoItsOwnControllerOnly) {
    const fs::path home = OwnDataHome();
    sim::Simulator sim(Station());
    const fs::path folder = Fresh("backups");
    const auto backup =
        RunCli(On(sim, {"backup", folder.string(), "--addresses", "1-12", "--answer-timeout", "50"}));
    ASSERT_EQ(backup.Exit, 0) << backup.Err;
    ASSERT_TRUE(fs::exists(folder / "1111111111.json"));
    ASSERT_TRUE(fs::exists(folder / "2222222222.json"));

    // The controllers change; the first one's file is edited, the second's holds the first's.
    for (size_t i = 0; i < 2; ++i) {
        sim::ControllerConfig changed = sim.Config(i);
        changed.MinVoltage = 99;
        sim.SetConfig(changed, i);
    }
    Json first = Json::parse(std::ifstream(folder / "1111111111.json"));
    first["no_master_timeout"] = 42;
    std::ofstream(folder / "1111111111.json") << first.dump();
    fs::copy_file(folder / "1111111111.json", folder / "2222222222.json",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(folder / "1111111111.json", folder / "5555555555.json");

    const auto restore = RunCli(
        On(sim, {"--json", "restore", folder.string(), "--addresses", "1-12", "--answer-timeout", "50"}));
    EXPECT_EQ(restore.Exit, kOtherController) << restore.Err;
    EXPECT_EQ(sim.Config(0).MinVoltage, 50);
    EXPECT_EQ(sim.Config(0).NoMaster, 42);
    EXPECT_EQ(sim.Config(1).MinVoltage, 99) << "another controller's file was written";
    const Json report = Json::parse(restore.Out);
    EXPECT_EQ(report["not_on_line"], Json::array({"5555555555"}));
    EXPECT_EQ(report["restored"][0]["exit"], 0);
    EXPECT_EQ(report["restored"][1]["exit"], kOtherController);

    const std::vector<Json> journal = Journal(home);
    ASSERT_EQ(journal.size(), 2U);
    EXPECT_EQ(journal[0]["operation"], "restore");
    EXPECT_EQ(journal[0]["serial_number"], "1111111111");
    EXPECT_EQ(journal[0]["exit"], 0);
    EXPECT_TRUE(fs::exists(journal[0]["backup"].get<std::string>()));
    EXPECT_EQ(journal[1]["exit"], kOtherController);

    // diff reads and only reads: the restored controller agrees, the other one does not.
    sim.ClearReceived();
    const std::string restored = (folder / "1111111111.json").string();
    EXPECT_EQ(RunCli(On(sim, {"--address", "3", "diff", restored})).Exit, 0);
    const auto differs = RunCli(On(sim, {"--address", "10", "--json", "diff", restored}));
    EXPECT_EQ(differs.Exit, kRefused);
    EXPECT_EQ(Json::parse(differs.Out)["differences"].size(), 4U)
        << differs.Out; // addr1, addr2, the two changes
    EXPECT_FALSE(Sent(sim, kSetParam));
}

// Notes, as the simulator hears each frame, whether a safety backup was already on disk.
class TBackupWitness final : public LineTap::TLineTap {
public:
    fs::path Folder;
    void Record(LineTap::TDirection Direction, std::span<const uint8_t> Bytes, LineTap::TEnd) override {
        if (Direction != LineTap::TDirection::Tx || Bytes.size() < 2 || Bytes[1] != kSetParam || seen)
            return;
        seen = true;
        std::error_code error;
        backedUp = !fs::is_empty(Folder, error) && !error;
    }
    std::atomic<bool> seen{false}, backedUp{false};
};

TEST(StationSafetyTest, NothingIsWrittenBeforeTheBackupIsOnDisk) {
    const fs::path home = OwnDataHome();
    TBackupWitness witness;
    witness.Folder = home / "zur-service" / "backups" / "1111111111";
    sim::Simulator sim(Station(&witness));
    const fs::path file = Fresh("config.json");
    const auto read = RunCli(On(sim, {"--address", "3", "read", "--output", file.string()}));
    ASSERT_EQ(read.Exit, 0) << read.Err;

    const auto written = RunCli(On(sim, {"--address", "3", "write", file.string()}));
    EXPECT_EQ(written.Exit, 0) << written.Err;
    EXPECT_TRUE(witness.seen);
    EXPECT_TRUE(witness.backedUp);

    // A data folder that cannot be made: exit 7, nothing written, and the journal cannot hold it.
    sim.ClearReceived();
    ::setenv("XDG_DATA_HOME", file.c_str(), 1);
    const auto refused = RunCli(On(sim, {"--address", "3", "write", file.string()}));
    EXPECT_EQ(refused.Exit, kBackupFailed);
    EXPECT_NE(refused.Err.find("Не удалось записать резервную копию"), std::string::npos) << refused.Err;
    EXPECT_FALSE(Sent(sim, kSetParam));
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);
    const auto failed = RunCli(On(sim, {"--address", "3", "--no-backup", "write", file.string()}));
    EXPECT_EQ(failed.Exit, 0) << failed.Err;
    Json other = Json::parse(std::ifstream(file));
    other["serial_number"] = "9999999999";
    std::ofstream(file) << other.dump();
    EXPECT_EQ(RunCli(On(sim, {"--address", "3", "write", file.string()})).Exit, kOtherController);

    const auto journal = RunCli({"--json", "journal", "--serial", "1111111111"});
    ASSERT_EQ(journal.Exit, 0) << journal.Err;
    const Json entries = Json::parse(journal.Out)["entries"];
    ASSERT_EQ(entries.size(), 3U) << journal.Out;
    EXPECT_EQ(entries[0]["operation"], "write");
    EXPECT_EQ(entries[0]["address"], 3);
    EXPECT_TRUE(entries[0]["backup"].is_string());
    EXPECT_TRUE(entries[1]["backup"].is_null());
    // A refused write is journaled under the controller it was refused on.
    EXPECT_EQ(entries[2]["exit"], kOtherController);
}

// A noisy line fails a block of the first attempt; the update starts again by itself, the second
// attempt delivers the image whole, and the journal holds one line for the whole update.
TEST(StationUpdateTest, ANoisyLineIsOvercomeByAnotherAttempt) {
    const fs::path home = OwnDataHome();
    sim::Options options;
    options.Noise = {.Rate = 5e-5, .Seed = 2}; // this seed damages a block of the first attempt only
    sim::Simulator sim(options);
    const std::vector<uint8_t> body = SimImage::PatternBody(2000, 1);
    const fs::path image = Fresh("image.bin");
    const std::vector<uint8_t> file = SimImage::MakeImageFile(2000, 0x5A5A, body);
    std::ofstream(image, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    const auto update =
        RunCli({"--port", sim.PortPath(), "--json", "update", "--attempts", "3", image.string()});
    ASSERT_EQ(update.Exit, 0) << update.Err;
    EXPECT_EQ(Json::parse(update.Out)["attempts"], 2);
    EXPECT_NE(update.Err.find("(попытка 2 из 3)"), std::string::npos) << update.Err;
    EXPECT_EQ(sim.Image().Body, body);
    const std::vector<Json> journal = Journal(home);
    ASSERT_EQ(journal.size(), 1U);
    EXPECT_EQ(journal[0]["attempts"], 2);
    EXPECT_EQ(journal[0]["outcome"], "success");
}

TEST(StationScanTest, CtrlCEndsTheScanWithWhatItFound) {
    sim::Simulator sim(Station());
    // Silent addresses cost the whole 500 ms limit: the scan is still under way.
    CliProcess::TCliProcess scan(On(sim, {"--json", "scan", "--addresses", "1-254"}));
    // Addresses 3, 4, 10 and 11 answer, each followed by its twelve parameters: 59 frames up to 11.
    ASSERT_GE(sim.WaitForFrames(60, std::chrono::seconds(30)), 60U);
    scan.Signal(SIGINT);
    const auto result = scan.Finish();
    EXPECT_EQ(result.Exit, kInterrupted) << result.Err;
    const Json found = Json::parse(result.Out);
    EXPECT_LT(found["probed"], 254);
    ASSERT_EQ(found["controllers"].size(), 2U) << result.Out;
    EXPECT_EQ(found["controllers"][1]["addresses"], Json::array({10, 11}));
}

} // namespace
