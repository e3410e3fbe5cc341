// zur-cli as a script runs it: a process against the simulated controller on a pseudo-terminal.
// Each test names what a script relies on: the file round trip, the refusals before anything is
// sent, the serial-number guard, the image arriving whole, the exit codes and Ctrl+C.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <unistd.h>
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
              kOutputLost = 8, kInterrupted = 130;
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

// The UUCP lock file of the simulator's port.
std::filesystem::path LockOf(const sim::Simulator& Sim) {
    return std::filesystem::path("/var/lock") /
           ("LCK.." + std::filesystem::canonical(Sim.PortPath()).filename().string());
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
    EXPECT_NE(update.Err.find("обновление: 100%  41/41 блоков"), std::string::npos) << update.Err;
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
    if (GetParam().File.empty())
        std::filesystem::create_directories(path);
    else
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
        TRefusal{"NotJson", "addr1 = 1", "не JSON: ошибка в байте"},
        TRefusal{"NotAnObject", "[1, 2]", "один объект JSON"},
        TRefusal{"UnknownKey", GoodWith("volume", "5"), "volume: неизвестный ключ"},
        TRefusal{"Missing", R"({"addr1": 1})", "addr2: отсутствует"},
        TRefusal{"AddressOutOfRange", GoodWith("addr1", "255"), "addr1: 255 вне диапазона от 0 до 254"},
        TRefusal{"NegativeByte", GoodWith("min_voltage", "-1"), "min_voltage: -1 вне диапазона"},
        TRefusal{"TooManyDecimals", GoodWith("price_decimals", "3"),
                 "price_decimals: 3 вне диапазона от 0 до 2"},
        TRefusal{"Fraction", GoodWith("no_master_timeout", "1.5"),
                 "no_master_timeout: должно быть целым числом"},
        TRefusal{"RecalcNotBoolean", GoodWith("recalc", "1"), "recalc: должно быть true или false"},
        TRefusal{"UnknownElectronics", GoodWith("electronics", R"("QV3")"),
                 "electronics: должно быть \"QV1\" или \"QV2\""},
        TRefusal{"SerialNotText", GoodWith("serial_number", "1234567890"),
                 "serial_number: должно быть строкой"},
        TRefusal{"EqualAddresses", GoodWith("addr2", "1"),
                 "addr1, addr2: Адреса ТРК №1 и ТРК №2 должны быть разными."},
        // The address query's own address leaves the controller answering nothing.
        TRefusal{"Addr1Zero", GoodWith("addr1", "0"), "addr1: 0 - адрес запроса адресов"},
        TRefusal{"Addr2Zero", GoodWith("addr2", "0"), "addr2: 0 - адрес запроса адресов"},
        TRefusal{"RepeatedKey", GoodWith("addr1", "1").insert(1, R"("addr1": 5, )"),
                 "addr1: ключ повторяется"},
        TRefusal{"Directory", "", "это каталог, а не файл"},
        TRefusal{"LargerThanAMebibyte", GoodWith("addr1", "1") + std::string(1 << 20, ' '),
                 "файл больше 1 МиБ"}),
    [](const testing::TestParamInfo<TRefusal>& Info) { return std::string(Info.param.Name); });

TEST(CliWriteTest, AnotherControllersFileNeedsAnyController) {
    sim::Simulator sim;
    const std::string path = testing::TempDir() + Own("cli-other.json");
    Json file = Json::parse(GoodWith("min_voltage", "77"));
    file["serial_number"] = "9999999999";
    WriteText(path, file.dump());
    const auto refused = RunCli(On(sim, {"write", path}));
    EXPECT_EQ(refused.Exit, kOtherController);
    EXPECT_NE(refused.Err.find(
                  "serial_number 9999999999 - не номер этого контроллера (1234567890); ничего не записано"),
              std::string::npos)
        << refused.Err;
    EXPECT_FALSE(Sent(sim, kSetParam));
    EXPECT_EQ(sim.Config().MinVoltage, 50);

    const auto forced = RunCli(On(sim, {"write", "--any-controller", path}));
    EXPECT_EQ(forced.Exit, 0) << forced.Err;
    EXPECT_EQ(sim.Config().MinVoltage, 77);
}

TEST(CliWriteTest, AddressZeroIsWrittenOnlyWhenAllowed) {
    sim::Simulator sim;
    const std::string path = testing::TempDir() + Own("cli-zero.json");
    WriteText(path, GoodWith("addr2", "0"));
    const auto write = RunCli(On(sim, {"write", "--allow-address-0", path}));
    EXPECT_EQ(write.Exit, 0) << write.Err;
    EXPECT_EQ(sim.Config().Addr2, 0);
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

// A fast read ends at the frame end; its trace is judged by that rule.
TEST(CliTraceTest, TraceOfAFastRunDecodesAsAccepted) {
    sim::Simulator sim;
    const std::string path = testing::TempDir() + Own("cli-fast.trace");
    ASSERT_EQ(RunCli(On(sim, {"--fast", "--trace", path, "state"})).Exit, 0);
    const auto decoded = RunCli({"decode", path});
    ASSERT_EQ(decoded.Exit, 0) << decoded.Err;
    EXPECT_NE(decoded.Out.find("ended at the frame end"), std::string::npos) << decoded.Out;
    EXPECT_NE(decoded.Out.find("the tool: accepted"), std::string::npos) << decoded.Out;
    EXPECT_EQ(decoded.Out.find("rejected"), std::string::npos) << decoded.Out;
}

TEST(CliTraceTest, DecodeRefusesWhatIsNoTrace) {
    const std::string binary = testing::TempDir() + Own("cli-binary.trace");
    WriteText(binary, std::string("# zur-trace 1\n12 TX 01\0\x7F\n", 25));
    const std::string later = testing::TempDir() + Own("cli-later.trace");
    WriteText(later, "# zur-trace 2\n12 TX 01\n");
    for (const auto& [file, says] :
         {std::pair{testing::TempDir(), "это каталог"}, std::pair{binary, "двоичный файл"},
          std::pair{later, "неизвестной версии"}}) {
        const auto decoded = RunCli({"decode", file});
        EXPECT_EQ(decoded.Exit, kUsage) << file;
        EXPECT_EQ(Lines(decoded.Err), 1) << decoded.Err;
        EXPECT_NE(decoded.Err.find(says), std::string::npos) << decoded.Err;
    }
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
    EXPECT_NE(missing.Err.find("Невозможно открыть порт. /nonexistent/tty: No such file"), std::string::npos)
        << missing.Err;
    EXPECT_TRUE(sim.ReceivedFrames().empty());

    EXPECT_EQ(RunCli(On(sim, {"--any-speed", "--speed", "9600", "state"})).Exit, 0);
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

struct TUsage {
    const char* Name;
    std::vector<std::string> Arguments; // after --port
    const char* Says;
};

class CliUsageTest : public testing::TestWithParam<TUsage> {};

// Refused in one short line that names what was wrong, before anything is sent.
TEST_P(CliUsageTest, RefusesInOneLineNamingTheWord) {
    sim::Simulator sim;
    const auto run = RunCli(On(sim, GetParam().Arguments));
    EXPECT_EQ(run.Exit, kUsage);
    EXPECT_EQ(Lines(run.Err), 1) << run.Err;
    EXPECT_LT(run.Err.size(), 300u) << run.Err;
    EXPECT_NE(run.Err.find(GetParam().Says), std::string::npos) << run.Err;
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliUsageTest,
    testing::Values(
        TUsage{"UnknownCommand", {"raed"}, "неизвестная команда 'raed'"},
        TUsage{"SpeedZero", {"--speed", "0", "state"}, "--speed 0: скорость должна быть одной из"},
        TUsage{"SpeedNotTheWindows", {"--speed", "9601", "state"}, "--speed 9601:"},
        TUsage{"AddressZero", {"--address", "0", "state"}, "--address 0:"},
        TUsage{"OutputDirectory", {"read", "--output", "/tmp"}, "/tmp: это каталог"},
        TUsage{"OutputUnwritable",
               {"read", "--output", "/nonexistent/config.json"},
               "/nonexistent/config.json: No such file"},
        TUsage{"ExtraArgument", {"read", "extra"}, "лишний аргумент 'extra'"},
        TUsage{"AnswerTimeoutRange", {"scan", "--answer-timeout", "0"}, "--answer-timeout 0:"},
        TUsage{"InspectRefused", {"inspect", "/etc/passwd"}, "/etc/passwd: Ошибка контрольной суммы!"}),
    [](const testing::TestParamInfo<TUsage>& Info) { return std::string(Info.param.Name); });

// Output that never reached its destination is no success: a backup must not end empty with 0.
TEST(CliExitTest, OutputThatDidNotArriveIsAFailure) {
    sim::Simulator sim;
    const auto piped = RunCli(On(sim, {"--json", "read"}), "/dev/full");
    EXPECT_EQ(piped.Exit, kOutputLost);
    EXPECT_EQ(piped.Err, "zur-cli: Не удалось записать стандартный вывод: No space left on device\n");
    EXPECT_EQ(RunCli(On(sim, {"read", "--output", "/dev/full"})).Exit, kOutputLost);
    EXPECT_EQ(RunCli(On(sim, {"--trace", "/dev/full", "state"})).Exit, kOutputLost);
}

// A held port names its holder: by its flock, or by the UUCP lock file that names it.
TEST(CliExitTest, AHeldPortNamesItsHolder) {
    sim::Simulator sim;
    {
        const MyCOMM::TZMyComm held(sim.PortPath(), 9600, 256, 256, 2, 1, 0, 8);
        const auto flocked = RunCli(On(sim, {"state"}));
        EXPECT_EQ(flocked.Exit, kPortUnavailable);
        EXPECT_NE(flocked.Err.find("Порт занят процессом " + std::to_string(getpid())), std::string::npos)
            << flocked.Err;
    }
    if (!(std::ofstream(LockOf(sim)) << "         1\n" << std::flush)) // init never goes away
        GTEST_SKIP() << "the lock folder may not be written here";
    const auto locked = RunCli(On(sim, {"state"}));
    std::filesystem::remove(LockOf(sim));
    EXPECT_EQ(locked.Exit, kPortUnavailable);
    EXPECT_NE(locked.Err.find("Порт занят процессом 1 (файл блокировки " + LockOf(sim).string() + ")"),
              std::string::npos)
        << locked.Err;
}

TEST(CliExitTest, ACommandGivenTwiceRunsTwice) {
    sim::Simulator sim;
    const std::string first = testing::TempDir() + Own("first.json");
    const auto run =
        RunCli(On(sim, {"--json", "state", "read", "--output", first, "state", "read", "--output", "-"}));
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out), 4) << run.Out;
    EXPECT_EQ(ReadJson(first)["addr1"], 1);
    EXPECT_FALSE(std::filesystem::exists("-")); // - is standard output
}

// A write that stops midway names what it wrote: the controller now holds a mix.
TEST(CliWriteTest, APartialWriteNamesTheParametersWritten) {
    sim::Simulator sim;
    sim::Rule silent; // twelve reads, two parameters written, then nothing
    silent.fault = sim::Fault::Silent;
    silent.First = 15;
    sim.AddRule(silent);
    const std::string path = testing::TempDir() + Own("cli-partial.json");
    WriteText(path, GoodWith("min_voltage", "77"));
    const auto write = RunCli(On(sim, {"--json", "write", path}));
    EXPECT_EQ(write.Exit, kNoAnswer);
    EXPECT_NE(write.Err.find("Записаны только параметры NoFillTO1, NoFillTO2; контроллер хранит смесь"),
              std::string::npos)
        << write.Err;
    EXPECT_EQ(Json::parse(write.Out)["written_parameters"], Json::parse(R"(["NoFillTO1", "NoFillTO2"])"));
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

TEST(CliExitTest, AnUpdateCountsTheBlocksTheControllerTook) {
    sim::Simulator sim;
    // Exchanges: the probe, twelve parameters, enter-update-mode, the update start, ten blocks.
    sim::Rule lastUnanswered;
    lastUnanswered.fault = sim::Fault::Silent;
    lastUnanswered.First = 25;
    sim.AddRule(lastUnanswered);
    const std::vector<uint8_t> body = SimImage::PatternBody(10 * kBlockBytes, 3);
    const TempFile::TTempFile image(Own("cli-last-block.bin"),
                                    SimImage::MakeImageFile(static_cast<uint32_t>(body.size()), 1, body));
    const auto update = RunCli(On(sim, {"update", image.Path()}));
    EXPECT_EQ(update.Exit, kNoAnswer);
    EXPECT_NE(update.Err.find("обновление:  90%  9/10 блоков"), std::string::npos) << update.Err;
    EXPECT_EQ(update.Err.find("10/10 блоков"), std::string::npos) << update.Err;
    EXPECT_NE(
        update.Err.find("Неудалось обновить микрокод. Блок 10 из 10 не подтвержден, подтверждено блоков: 9."),
        std::string::npos)
        << update.Err;
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

struct TStopSignal {
    int Number;
    const char* Name;
    int Exit; // as shells report a program that the signal ended
};

class CliInterruptTest : public testing::TestWithParam<TStopSignal> {};

// A timeout's SIGTERM and a closed session's SIGHUP stop an update as Ctrl+C does.
TEST_P(CliInterruptTest, StopsAfterTheCurrentBlockAndReleasesThePort) {
    sim::Simulator sim;
    const std::vector<uint8_t> body = SimImage::PatternBody(300 * kBlockBytes, 5);
    const TempFile::TTempFile image(Own("cli-interrupted.bin"),
                                    SimImage::MakeImageFile(static_cast<uint32_t>(body.size()), 1, body));
    CliProcess::TCliProcess update(On(sim, {"update", image.Path()}));
    // The probe, twelve parameters, enter-update-mode, the update start, then ten blocks.
    constexpr size_t kFramesBeforeBlocks = 15;
    ASSERT_GE(sim.WaitForFrames(kFramesBeforeBlocks + 10, std::chrono::seconds(30)),
              kFramesBeforeBlocks + 10);
    update.Signal(GetParam().Number);
    const auto result = update.Finish();

    EXPECT_EQ(result.Exit, GetParam().Exit);
    const sim::ReceivedImage received = sim.Image();
    const size_t blocks = received.BlockSizes.size();
    EXPECT_NE(result.Err.find("(" + std::string(GetParam().Name) + "): после " + std::to_string(blocks) +
                              " из 300 блоков: обновление не завершено"),
              std::string::npos)
        << result.Err << " (" << blocks << " blocks received)";
    ASSERT_LT(received.Body.size(), body.size());
    EXPECT_TRUE(std::equal(received.Body.begin(), received.Body.end(), body.begin()));
    EXPECT_FALSE(std::filesystem::exists(LockOf(sim)));
    EXPECT_NO_THROW(MyCOMM::TZMyComm(sim.PortPath(), 9600, 256, 256, 2, 1, 0, 8));
}

INSTANTIATE_TEST_SUITE_P(Signals, CliInterruptTest,
                         testing::Values(TStopSignal{SIGINT, "Ctrl+C", kInterrupted},
                                         TStopSignal{SIGTERM, "SIGTERM", 143},
                                         TStopSignal{SIGHUP, "SIGHUP", 129}),
                         [](const testing::TestParamInfo<TStopSignal>& Info) {
                             return std::string(Info.param.Name == std::string("Ctrl+C") ? "SIGINT"
                                                                                         : Info.param.Name);
                         });

} // namespace
