// zur-cli as a script runs it: a process against the simulated controller on a pseudo-terminal.
// Each test names what a script relies on: the file round trip, the refusals before anything is
// sent, the serial-number guard, the image arriving whole, the exit codes and Ctrl+C.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "serial/MyCOMM.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/TempFile.h"

namespace {

using CliProcess::RunCli;
using Json = nlohmann::json;

constexpr int kUsage = 2, kPortUnavailable = 3, kNoAnswer = 4, kRefused = 5, kOtherController = 6,
              kInterrupted = 130;
constexpr uint8_t kSetParam = 0x10;
constexpr size_t kBlockBytes = 33;

std::vector<std::string> On(const sim::Simulator& Sim, std::vector<std::string> Arguments,
                            bool Fast = false) {
    Arguments.insert(Arguments.begin(), {"--port", Sim.PortPath()});
    if (Fast)
        Arguments.insert(Arguments.begin(), "--fast");
    return Arguments;
}

// A file name of this test's own: ctest runs the tests as parallel processes.
std::string Own(const std::string& Name) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string own = std::string(test->test_suite_name()) + "." + test->name() + "." + Name;
    std::replace(own.begin(), own.end(), '/', '_');
    return own;
}

Json ReadJson(const std::string& Path) {
    std::ifstream file(Path);
    return Json::parse(file);
}

void WriteText(const std::string& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::trunc) << Text;
}

int Lines(const std::string& Text) {
    return static_cast<int>(std::count(Text.begin(), Text.end(), '\n'));
}

bool Sent(const sim::Simulator& Sim, uint8_t Command) {
    const auto frames = Sim.ReceivedFrames();
    return std::any_of(frames.begin(), frames.end(),
                       [&](const std::vector<uint8_t>& f) { return f.size() > 1 && f[1] == Command; });
}

class CliModeTest : public testing::TestWithParam<bool> {};

TEST_P(CliModeTest, ConfigurationGoesThroughAFileAndBack) {
    sim::Simulator sim;
    const std::string path = testing::TempDir() + Own("cli-config.json");
    const auto read = RunCli(On(sim, {"read", "--output", path}, GetParam()));
    ASSERT_EQ(read.Exit, 0) << read.Err;
    EXPECT_EQ(read.Out, "Конфигурация успешно получена\n");
    Json config = ReadJson(path);
    // The controller's code 0 is two decimals on the page.
    EXPECT_EQ(config, Json::parse(R"({"addr1": 1, "addr2": 2, "no_fill_timeout1": 10, "no_fill_timeout2": 20,
        "no_master_timeout": 30, "min_voltage": 50, "price_decimals": 2, "amount_decimals": 2, "recalc": true,
        "electronics": "QV1", "serial_number": "1234567890", "firmware_version": "0102030405"})"));

    config["addr2"] = 9;
    config["min_voltage"] = 77;
    config["price_decimals"] = 1;
    config["amount_decimals"] = 0;
    config["recalc"] = false;
    config["electronics"] = "QV2";
    WriteText(path, config.dump());
    const auto write = RunCli(On(sim, {"write", path}, GetParam()));
    ASSERT_EQ(write.Exit, 0) << write.Err;
    // The safety backup's path first, then the window's message.
    EXPECT_EQ(write.Out.rfind("Резервная копия конфигурации: ", 0), 0U) << write.Out;
    EXPECT_TRUE(write.Out.ends_with(".json\nКонфигурация успешно сохранена!\n")) << write.Out;
    const sim::ControllerConfig stored = sim.Config();
    EXPECT_EQ(stored.Addr2, 9);
    EXPECT_EQ(stored.MinVoltage, 77);
    EXPECT_EQ(stored.PricePoint, 1);
    EXPECT_EQ(stored.AmoPoint, 2); // no decimals
    EXPECT_FALSE(stored.Recalc);
    EXPECT_FALSE(stored.ElType);

    const auto again = RunCli(On(sim, {"--json", "read"}, GetParam()));
    ASSERT_EQ(again.Exit, 0) << again.Err;
    EXPECT_EQ(Lines(again.Out), 1);
    EXPECT_EQ(Json::parse(again.Out), config);
}

TEST_P(CliModeTest, UpdateDeliversTheImageByteForByte) {
    sim::Simulator sim;
    const std::vector<uint8_t> body = SimImage::PatternBody(40 * kBlockBytes + 7, 13);
    const TempFile::TTempFile image(
        Own("cli-image.bin"), SimImage::MakeImageFile(static_cast<uint32_t>(body.size()), 0xBEEF, body));
    const auto update = RunCli(On(sim, {"--json", "update", image.Path()}, GetParam()));
    ASSERT_EQ(update.Exit, 0) << update.Err;
    const sim::ReceivedImage received = sim.Image();
    EXPECT_EQ(received.Value16, 0xBEEF);
    EXPECT_EQ(received.Body, body);
    const Json result = Json::parse(update.Out);
    EXPECT_EQ(result["completed"], true);
    EXPECT_EQ(result["blocks"], 41);
    // Not a terminal: a line per tenth, the last at 100 %.
    EXPECT_NE(update.Err.find("update: 100%  41/41 blocks"), std::string::npos) << update.Err;
}

INSTANTIATE_TEST_SUITE_P(StandardAndFast, CliModeTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& Info) {
                             return Info.param ? "Fast" : "Standard";
                         });

struct TRefusal {
    const char* Name;
    std::string File;
    const char* Says; // the key and the reason
};

// A file the window's page would accept, with one key set to Value (JSON text).
std::string GoodWith(const char* Key, const char* Value) {
    Json file = Json::parse(R"({"addr1": 1, "addr2": 2, "no_fill_timeout1": 0, "no_fill_timeout2": 0,
        "no_master_timeout": 0, "min_voltage": 50, "price_decimals": 2, "amount_decimals": 2, "recalc": true,
        "electronics": "QV1"})");
    file[Key] = Json::parse(Value);
    return file.dump();
}

class CliWriteRefusalTest : public testing::TestWithParam<TRefusal> {};

TEST_P(CliWriteRefusalTest, RefusesBeforeAnythingIsSent) {
    sim::Simulator sim;
    const std::string path = testing::TempDir() + Own("cli-refused.json");
    WriteText(path, GetParam().File);
    const auto write = RunCli(On(sim, {"write", path}));
    EXPECT_EQ(write.Exit, kUsage);
    EXPECT_EQ(Lines(write.Err), 1) << write.Err;
    EXPECT_NE(write.Err.find(GetParam().Says), std::string::npos) << write.Err;
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliWriteRefusalTest,
    testing::Values(
        TRefusal{"NotJson", "addr1 = 1", "not JSON"}, TRefusal{"NotAnObject", "[1, 2]", "one JSON object"},
        TRefusal{"UnknownKey", GoodWith("volume", "5"), "volume: unknown key"},
        TRefusal{"Missing", R"({"addr1": 1})", "addr2: missing"},
        TRefusal{"AddressOutOfRange", GoodWith("addr1", "255"), "addr1: 255 is out of range 0 to 254"},
        TRefusal{"NegativeByte", GoodWith("min_voltage", "-1"), "min_voltage: -1 is out of range"},
        TRefusal{"TooManyDecimals", GoodWith("price_decimals", "3"),
                 "price_decimals: 3 is out of range 0 to 2"},
        TRefusal{"Fraction", GoodWith("no_master_timeout", "1.5"),
                 "no_master_timeout: must be a whole number"},
        TRefusal{"RecalcNotBoolean", GoodWith("recalc", "1"), "recalc: must be true or false"},
        TRefusal{"UnknownElectronics", GoodWith("electronics", R"("QV3")"),
                 "electronics: must be \"QV1\" or \"QV2\""},
        TRefusal{"SerialNotText", GoodWith("serial_number", "1234567890"), "serial_number: must be a string"},
        TRefusal{"EqualAddresses", GoodWith("addr2", "1"),
                 "addr1, addr2: Адреса ТРК №1 и ТРК №2 должны быть разными."}),
    [](const testing::TestParamInfo<TRefusal>& Info) { return std::string(Info.param.Name); });

TEST(CliWriteTest, AnotherControllersFileNeedsAnyController) {
    sim::Simulator sim;
    const std::string path = testing::TempDir() + Own("cli-other.json");
    Json file = Json::parse(GoodWith("min_voltage", "77"));
    file["serial_number"] = "9999999999";
    WriteText(path, file.dump());
    const auto refused = RunCli(On(sim, {"write", path}));
    EXPECT_EQ(refused.Exit, kOtherController);
    EXPECT_NE(refused.Err.find("serial_number 9999999999 is not this controller's (1234567890)"),
              std::string::npos)
        << refused.Err;
    EXPECT_FALSE(Sent(sim, kSetParam));
    EXPECT_EQ(sim.Config().MinVoltage, 50);

    const auto forced = RunCli(On(sim, {"write", "--any-controller", path}));
    EXPECT_EQ(forced.Exit, 0) << forced.Err;
    EXPECT_EQ(sim.Config().MinVoltage, 77);
}

// The trace of a run, decoded later without a port, shows the fault the controller brought.
TEST(CliTraceTest, TraceOfARunDecodesWithoutAPort) {
    sim::Simulator sim;
    sim::Rule rule;
    rule.First = rule.Last = 1;
    rule.fault = sim::Fault::WrongAddress;
    sim.AddRule(rule);
    const std::string path = testing::TempDir() + Own("cli-line.trace");
    ASSERT_EQ(RunCli(On(sim, {"--trace", path, "state"})).Exit, kNoAnswer);
    const auto decoded = RunCli({"decode", path});
    ASSERT_EQ(decoded.Exit, 0) << decoded.Err;
    EXPECT_NE(decoded.Out.find("command request to 1, GetState (01); checksum"), std::string::npos)
        << decoded.Out;
    EXPECT_NE(decoded.Out.find("the tool: rejected, answer from address 2, the request went to 1"),
              std::string::npos)
        << decoded.Out;
}

TEST(CliExitTest, EachOutcomeHasItsOwnCode) {
    sim::Simulator sim;
    EXPECT_EQ(RunCli({"--bogus", "state"}).Exit, kUsage);
    EXPECT_EQ(RunCli({"state"}).Exit, kUsage); // no --port
    EXPECT_EQ(RunCli(On(sim, {"--trace", "/nonexistent/line.trace", "state"})).Exit, kUsage);
    EXPECT_EQ(RunCli({"decode", "/nonexistent/line.trace"}).Exit, kUsage);
    EXPECT_EQ(RunCli(On(sim, {"update", "/nonexistent/image.bin"})).Exit, kUsage);

    const auto missing = RunCli({"--port", "/nonexistent/tty", "state"});
    EXPECT_EQ(missing.Exit, kPortUnavailable);
    EXPECT_NE(missing.Err.find("Невозможно открыть порт. Cannot open COM-port /nonexistent/tty"),
              std::string::npos)
        << missing.Err;
    EXPECT_TRUE(sim.ReceivedFrames().empty());

    const auto state = RunCli(On(sim, {"--json", "state"}));
    EXPECT_EQ(state.Exit, 0) << state.Err;
    EXPECT_EQ(Json::parse(state.Out), Json::parse(R"({"state": 1, "ready": true, "errors": 0})"));

    sim::Rule silent;
    silent.fault = sim::Fault::Silent;
    sim.AddRule(silent);
    const auto noAnswer = RunCli(On(sim, {"state"}));
    EXPECT_EQ(noAnswer.Exit, kNoAnswer);
    EXPECT_EQ(Lines(noAnswer.Err), 1) << noAnswer.Err;
}

// A failed read says, in the window's words and then in Russian, why its last exchange failed.
TEST(CliExitTest, AFailedReadNamesTheReasonOfItsLastExchange) {
    sim::Simulator sim;
    sim.StopAnsweringFromParam(3);
    const auto read = RunCli(On(sim, {"read"}));
    EXPECT_EQ(read.Exit, kNoAnswer);
    EXPECT_EQ(read.Err,
              "zur-cli: Неудалось получить конфигурацию. Нет ответа (GetParam, параметр 3 NoFillTO1).\n");

    sim::Rule garbled;
    garbled.fault = sim::Fault::WrongAddress;
    sim.AddRule(garbled);
    const auto wrong = RunCli(On(sim, {"read"}));
    EXPECT_EQ(wrong.Exit, kNoAnswer);
    EXPECT_EQ(wrong.Err,
              "zur-cli: Неудалось получить конфигурацию. Ответ с адреса 2, а запрос шел на адрес 1 "
              "(GetParam, параметр 1 Addr1).\n");
}

TEST(CliExitTest, AnUpdateTheControllerRefusesIsNotAFailureToAnswer) {
    sim::Simulator sim;
    // Exchanges: the probe, twelve parameters, enter-update-mode; from the update start on, NAK.
    sim::Rule nak;
    nak.fault = sim::Fault::Nak;
    nak.First = 15;
    sim.AddRule(nak);
    const std::vector<uint8_t> body = SimImage::PatternBody(kBlockBytes, 3);
    const TempFile::TTempFile image(Own("cli-refused.bin"),
                                    SimImage::MakeImageFile(static_cast<uint32_t>(body.size()), 1, body));
    const auto update = RunCli(On(sim, {"update", image.Path()}));
    EXPECT_EQ(update.Exit, kRefused);
    EXPECT_EQ(update.Err, "zur-cli: Неудалось обновить микрокод.\n");
    EXPECT_TRUE(sim.Image().Body.empty());
}

TEST(CliExitTest, AddressesApplyToTheFollowingCommandOnly) {
    sim::ControllerConfig config;
    config.Addr1 = 7;
    config.Addr2 = 8;
    sim::Simulator sim;
    sim.SetConfig(config);
    const auto applied = RunCli(On(sim, {"--json", "addresses", "--apply", "state"}));
    ASSERT_EQ(applied.Exit, 0) << applied.Err;
    std::istringstream objects(applied.Out);
    std::string first, second;
    std::getline(objects, first);
    std::getline(objects, second);
    EXPECT_EQ(Json::parse(first), Json::parse(R"({"addr1": 7, "addr2": 8, "applied": true})"));
    EXPECT_EQ(Json::parse(second)["state"], 1);
    // Without --apply the next command goes to --address, where nobody answers.
    EXPECT_EQ(RunCli(On(sim, {"addresses", "state"})).Exit, kNoAnswer);
}

TEST(CliInterruptTest, CtrlCStopsAfterTheCurrentBlockAndReleasesThePort) {
    sim::Simulator sim;
    const std::vector<uint8_t> body = SimImage::PatternBody(300 * kBlockBytes, 5);
    const TempFile::TTempFile image(Own("cli-interrupted.bin"),
                                    SimImage::MakeImageFile(static_cast<uint32_t>(body.size()), 1, body));
    CliProcess::TCliProcess update(On(sim, {"update", image.Path()}));
    // The probe, twelve parameters, enter-update-mode, the update start, then ten blocks.
    constexpr size_t kFramesBeforeBlocks = 15;
    ASSERT_GE(sim.WaitForFrames(kFramesBeforeBlocks + 10, std::chrono::seconds(30)),
              kFramesBeforeBlocks + 10);
    update.Signal(SIGINT);
    const auto result = update.Finish();

    EXPECT_EQ(result.Exit, kInterrupted);
    const sim::ReceivedImage received = sim.Image();
    const size_t blocks = received.BlockSizes.size();
    EXPECT_NE(
        result.Err.find("after " + std::to_string(blocks) + " of 300 blocks: the update did not complete"),
        std::string::npos)
        << result.Err << " (" << blocks << " blocks received)";
    ASSERT_LT(received.Body.size(), body.size());
    EXPECT_TRUE(std::equal(received.Body.begin(), received.Body.end(), body.begin()));
    EXPECT_NO_THROW(MyCOMM::TZMyComm(sim.PortPath(), 9600, 256, 256, 2, 1, 0, 8));
}

} // namespace
