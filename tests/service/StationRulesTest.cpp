// The station's rules that guard the engineer's files and the controllers: a serial number never
// names a path outside its folder, a replaced file is whole, the lists of addresses and speeds refuse
// what is no list, a comparison names exactly the fields that differ, a backup folder pairs each
// file with its own controller only, and the journal reads the lines of both of its forms.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "service/Backup.h"
#include "service/ConfigFile.h"
#include "service/DurableFile.h"
#include "service/Journal.h"
#include "service/Lists.h"
#include "service/Restore.h"

namespace {

namespace fs = std::filesystem;

fs::path Fresh(const std::string& Name) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const fs::path path = fs::path(testing::TempDir()) /
                          (std::string(test->test_suite_name()) + "." + test->name() + "." + Name);
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

std::string Contents(const fs::path& Path) {
    std::ostringstream text;
    text << std::ifstream(Path, std::ios::binary).rdbuf();
    return text.str();
}

struct TSerialRow {
    const char* Serial;
    bool FileName;
};

class SerialFileNameTest : public testing::TestWithParam<TSerialRow> {};

// A controller's odd answer must never reach outside the backup folder.
TEST_P(SerialFileNameTest, OnlyPlainNamesAreFiles) {
    EXPECT_EQ(Backup::IsFileName(GetParam().Serial), GetParam().FileName);
    const fs::path folder = Fresh("backups");
    const Backup::TSaved saved = Backup::SaveInFolder((folder / "inner").string(), GetParam().Serial, "{}\n");
    EXPECT_EQ(!saved.Problem, GetParam().FileName) << saved.Problem.value_or("");
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, GetParam().FileName ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Rows, SerialFileNameTest,
                         testing::Values(TSerialRow{"1234567890", true}, TSerialRow{"A-1_b", true},
                                         TSerialRow{"", false}, TSerialRow{"..", false},
                                         TSerialRow{"../1234567890", false}, TSerialRow{"a/b", false},
                                         TSerialRow{"a\\b", false}, TSerialRow{"C:x", false},
                                         TSerialRow{"12 34", false}));

TEST(DurableFileTest, ReplaceLeavesTheWholeNewFileAndNothingBeside) {
    const fs::path folder = Fresh("files");
    const fs::path file = folder / "1234567890.json";
    std::ofstream(file) << "an older and longer text than the new one";
    EXPECT_EQ(DurableFile::Replace(file.string(), "new\n"), std::nullopt);
    EXPECT_EQ(Contents(file), "new\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    // Into a folder that is not there: the reason, and nothing made.
    EXPECT_NE(DurableFile::Replace((folder / "missing" / "x.json").string(), "new\n"), std::nullopt);
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

struct TListRow {
    const char* Text;
    std::optional<std::vector<int>> Addresses;
};

class AddressListTest : public testing::TestWithParam<TListRow> {};

TEST_P(AddressListTest, ListsAndRangesFromOneTo254) {
    EXPECT_EQ(Lists::Addresses(GetParam().Text), GetParam().Addresses);
}

INSTANTIATE_TEST_SUITE_P(Rows, AddressListTest,
                         testing::Values(TListRow{"3", std::vector<int>{3}},
                                         TListRow{"1,3,10-12", std::vector<int>{1, 3, 10, 11, 12}},
                                         TListRow{"12-10", std::nullopt},
                                         TListRow{"5,3,5", std::vector<int>{3, 5}},
                                         TListRow{"254", std::vector<int>{254}}, TListRow{"0", std::nullopt},
                                         TListRow{"255", std::nullopt}, TListRow{"1-255", std::nullopt},
                                         TListRow{"", std::nullopt}, TListRow{"1,", std::nullopt},
                                         TListRow{"1,,2", std::nullopt}, TListRow{" 1", std::nullopt},
                                         TListRow{"1-", std::nullopt}, TListRow{"x", std::nullopt}));

TEST(SpeedListTest, AscendingOnceEachOrAllNine) {
    EXPECT_EQ(Lists::Speeds("19200,9600,19200"), (std::vector<uint32_t>{9600, 19200}));
    EXPECT_EQ(Lists::Speeds("all")->size(), 9U);
    EXPECT_EQ(Lists::Speeds("all")->front(), 2400U);
    for (const char* refused : {"", "0", "9600,", "fast", "-9600", "99999999999"})
        EXPECT_EQ(Lists::Speeds(refused), std::nullopt) << refused;
}

TEST(ConfigCompareTest, NamesExactlyTheFieldsThatDiffer) {
    PtnLL::TCfgStruct record;
    record.Addr1 = 3;
    record.Addr2 = 4;
    record.MinVoltage = 50;
    record.AmoPoint = 0; // two decimals
    record.Recalc = true;
    ConfigPage::TPageValues page = ConfigPage::PageFromRecord(record);
    EXPECT_TRUE(ConfigFile::Compare(page, record).empty());
    page.MinVoltage = 51;
    page.AmoPoint = 1;
    page.Recalc = false;
    const std::vector<ConfigFile::TDifference> differences = ConfigFile::Compare(page, record);
    ASSERT_EQ(differences.size(), 3U);
    EXPECT_EQ(differences[0].Key, "min_voltage");
    EXPECT_EQ(differences[0].Wanted, "51");
    EXPECT_EQ(differences[0].Found, "50");
    EXPECT_EQ(differences[1].Key, "amount_decimals");
    EXPECT_EQ(differences[2].Key, "recalc");
    EXPECT_EQ(differences[2].Found, "true");
}

TEST(RestoreMatchTest, EachFileOntoItsOwnControllerOnly) {
    const fs::path folder = Fresh("station");
    PtnLL::TCfgStruct config;
    config.Addr1 = 3;
    config.Addr2 = 4;
    const auto controller = [&](const char* Serial) {
        Scan::TController c{.Speed = 9600, .Addresses = {3, 4}, .Config = config};
        c.Config.SerialNo = Serial;
        return c;
    };
    const auto file = [&](const char* Name, std::string Text) { std::ofstream(folder / Name) << Text; };
    config.SerialNo = "1111111111";
    file("1111111111.json", ConfigFile::Encode(config));
    config.SerialNo = "9999999999";
    file("2222222222.json", ConfigFile::Encode(config)); // another controller's copy under this name
    config.SerialNo = "3333333333";
    config.Addr2 = 0;
    file("3333333333.json", ConfigFile::Encode(config)); // side 2 at the address query's address
    file("4444444444.json", "{");
    file("5555555555.json", "{}"); // its controller is not on the line

    const Restore::TPlan plan = Restore::Match(
        folder.string(), {controller("1111111111"), controller("2222222222"), controller("3333333333"),
                          controller("4444444444"), controller("6666666666")});
    ASSERT_EQ(plan.Pairs.size(), 4U);
    EXPECT_TRUE(plan.Pairs[0].Config.has_value());
    EXPECT_FALSE(plan.Pairs[1].Config.has_value());
    EXPECT_TRUE(plan.Pairs[1].OtherController);
    EXPECT_NE(plan.Pairs[2].Problem.find("addr2"), std::string::npos) << plan.Pairs[2].Problem;
    EXPECT_FALSE(plan.Pairs[3].Config.has_value());
    EXPECT_FALSE(plan.Pairs[3].OtherController);
    EXPECT_EQ(plan.NoFile, std::vector<std::string>{"6666666666"});
    EXPECT_EQ(plan.NotOnLine, std::vector<std::string>{"5555555555"});
    EXPECT_TRUE(Restore::Match((folder / "missing").string(), {}).Problem.has_value());
}

TEST(JournalLineTest, ReadsBothFormsAndFilters) {
    const Journal::TEntry written{.Time = "2026-12-10T10:00:00.000Z",
                                  .Program = Journal::kWindowProgram,
                                  .ToolVersion = "1.0.0",
                                  .Port = "COM3",
                                  .Speed = 9600,
                                  .Address = 3,
                                  .Serial = "1111111111",
                                  .Operation = "update",
                                  .Image = Journal::TImage{.File = "a.bin", .Size = 4098, .Checksum = "1A2B"},
                                  .Outcome = "corrupt-answer",
                                  .Written = {"NoFillTO1"}};
    EXPECT_EQ(Journal::Parse(Journal::Line(written)), written);

    // The first form: the exit code's meaning in Russian, and no program.
    const auto old = Journal::Parse(
        R"({"time":"2026-12-09T10:45:13.250Z","tool_version":"1.0.0","port":"/dev/ttyUSB0","speed":9600,)"
        R"("address":3,"serial_number":null,"operation":"write","backup":null,)"
        R"("outcome":"нет правильного ответа от контроллера","exit":4})");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->Program, Journal::kCliProgram);
    EXPECT_EQ(old->Outcome, "no-answer");
    EXPECT_EQ(old->Exit, 4);
    EXPECT_EQ(old->Serial, std::nullopt);

    for (const char* damaged : {"", "{", "[1,2]", R"({"time":"x"})"})
        EXPECT_EQ(Journal::Parse(damaged), std::nullopt) << damaged;

    Journal::TEntry other = written;
    other.Serial = "2222222222";
    const std::vector<Journal::TEntry> entries{written, other, *old};
    EXPECT_EQ(Journal::Filter(entries, "2222222222"), std::vector<Journal::TEntry>{other});
    EXPECT_EQ(Journal::Filter(entries, "").size(), 3U);
}

} // namespace
