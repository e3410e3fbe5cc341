#include "sim/SimCommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>
#include <set>
#include <sstream>

#include "ZurVersion.h"

namespace SimCommandLine {

namespace {

constexpr long kHighestAddress = 254;        // the window's address box
constexpr long kHighestPace = 10'000'000;    // bit/s
constexpr long kLargestBody = INT32_MAX - 8; // header and checksum make the file's 8 more bytes
constexpr long kHighestParameter = 255;      // a parameter id is one byte
constexpr size_t kSerialDigits = 10;
constexpr long kFirstSerial = 1234567890; // the single controller's; the others count on from it

const char* const kDescription =
    "zur-sim: a simulated ZUR dispenser controller on a pseudo-terminal, for tests and for working "
    "without a dispenser. Prints the port to open and answers there until interrupted (Ctrl+C or "
    "SIGTERM).";

const char* const kFooter = R"(
Faults, --delay, --split and --stray count the exchanges (every frame received that expects an
answer) from 1 and apply to every answer.

With --controller the controllers share the line as on a station. Every controller that takes a
request answers it at once: the address query (to address 0) reaches all controllers at their
speed and, with their bytes interleaved, fails whenever more than one is there; EnterUpdateMode
puts only the controller asked into update mode, and only it then answers the link protocol.
--update-mode starts the first of them in update mode; --stop-from-param applies to each.

--noise damages the tool's requests before the controller parses them and the answers before
they go out. A frame it broke forms no frame, and is dropped with whatever runs into it once the
line has been silent for 50 ms.

Exit codes:
  0    success
  1    the simulator could not start: no pseudo-terminal, or the --link PATH is taken
  2    usage error
  3    output lost: standard output, the image file or the trace file could not be written
)";

struct FaultName {
    const char* Name;
    sim::Fault Fault;
};

constexpr std::array kFaults{
    FaultName{"silent", sim::Fault::Silent},
    FaultName{"wrong-checksum", sim::Fault::WrongChecksum},
    FaultName{"wrong-address", sim::Fault::WrongAddress},
    FaultName{"wrong-echo", sim::Fault::WrongEcho},
    FaultName{"wrong-length", sim::Fault::WrongLength},
    FaultName{"bad-trailer", sim::Fault::BadTrailer},
    FaultName{"truncated", sim::Fault::Truncated},
    FaultName{"oversize", sim::Fault::Oversize},
    FaultName{"nak", sim::Fault::Nak},
    FaultName{"eot", sim::Fault::Eot},
    FaultName{"ack-other-tx", sim::Fault::AckOtherTx},
    FaultName{"close-line", sim::Fault::CloseLine},
};

std::optional<long> Number(std::string_view text, long lowest, long highest) {
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

CLI::Validator Within(long lowest, long highest) {
    return CLI::Validator(
        [=](std::string& text) {
            return Number(text, lowest, highest) ? std::string()
                                                 : text + " is not a number from " + std::to_string(lowest) +
                                                       " to " + std::to_string(highest);
        },
        "");
}

std::string FaultNames() {
    std::string names;
    for (const FaultName& fault : kFaults)
        names += (names.empty() ? "" : ", ") + std::string(fault.Name);
    return names;
}

// Each parser fills its result from the option's text, or says what is wrong with it.

// NAME[:FROM[-TO]]
std::string ParseFault(const std::string& text, sim::Rule& rule) {
    const auto colon = text.find(':');
    const std::string name = text.substr(0, colon);
    const auto fault =
        std::find_if(kFaults.begin(), kFaults.end(), [&](const FaultName& f) { return name == f.Name; });
    if (fault == kFaults.end())
        return name + " is no fault; the faults are " + FaultNames();
    rule.fault = fault->Fault;
    if (colon == std::string::npos)
        return "";
    const std::string range = text.substr(colon + 1);
    const auto dash = range.find('-');
    const auto first = Number(range.substr(0, dash), 1, INT_MAX);
    const auto last =
        dash == std::string::npos ? std::optional<long>(INT_MAX) : Number(range.substr(dash + 1), 1, INT_MAX);
    if (!first || !last || *last < *first)
        return range + " is no range of exchanges: FROM or FROM-TO, counted from 1, TO not below FROM";
    rule.First = static_cast<int>(*first);
    rule.Last = static_cast<int>(*last);
    return "";
}

// RATE[:SEED]: a probability and a seed of 64 bits.
std::string ParseNoise(const std::string& text, sim::LineNoise& noise) {
    const auto colon = text.find(':');
    const std::string rate = text.substr(0, colon);
    double value = -1;
    const auto [end, ec] = std::from_chars(rate.data(), rate.data() + rate.size(), value);
    // Written so that NaN fails it too.
    if (ec != std::errc() || end != rate.data() + rate.size() || !(value >= 0 && value <= 1))
        return rate + " is no bit error rate: a number from 0 to 1 (as in 1e-4)";
    uint64_t seed = sim::kDefaultNoiseSeed;
    if (colon != std::string::npos) {
        const std::string digits = text.substr(colon + 1);
        const auto [seedEnd, seedEc] = std::from_chars(digits.data(), digits.data() + digits.size(), seed);
        if (seedEc != std::errc() || seedEnd != digits.data() + digits.size() || digits.empty())
            return "the SEED of " + text + " is not a whole number from 0 to " +
                   std::to_string(std::numeric_limits<uint64_t>::max());
    }
    noise = {.Rate = value, .Seed = seed};
    return "";
}

// AFTER:MS
std::string ParseSplit(const std::string& text, sim::Rule& rule) {
    const auto colon = text.find(':');
    const auto after = Number(text.substr(0, colon), 0, INT_MAX);
    const auto pause = colon == std::string::npos ? std::nullopt : Number(text.substr(colon + 1), 0, INT_MAX);
    if (!after || !pause)
        return text + " is not AFTER:MS, two numbers from 0 to " + std::to_string(INT_MAX) + " (as in 4:40)";
    rule.SplitAfter = static_cast<int>(*after);
    rule.SplitPauseMs = static_cast<int>(*pause);
    return "";
}

// Hex digit pairs, at least one.
std::string ParseStray(const std::string& text, sim::Rule& rule) {
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (text.empty() || text.size() % 2 != 0 || !std::all_of(text.begin(), text.end(), hex))
        return text + " is not pairs of hex digits (as in 0055)";
    for (size_t at = 0; at < text.size(); at += 2)
        rule.StrayBefore.push_back(static_cast<uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16)));
    return "";
}

// ADDR1[,ADDR2][:SERIAL][@SPEED]; a serial number left out stays empty.
std::string ParseController(const std::string& text, sim::Controller& controller) {
    const auto at = text.find('@');
    const std::string rest = text.substr(0, at);
    const auto colon = rest.find(':');
    const std::string addresses = rest.substr(0, colon),
                      serial = colon == std::string::npos ? "" : rest.substr(colon + 1);
    const auto comma = addresses.find(',');
    // 0 stands for an address that is not one.
    const long addr1 = Number(addresses.substr(0, comma), 1, kHighestAddress).value_or(0);
    const long addr2 = comma != std::string::npos
                           ? Number(addresses.substr(comma + 1), 1, kHighestAddress).value_or(0)
                           : (addr1 != 0 && addr1 < kHighestAddress ? addr1 + 1 : 0);
    const auto speed =
        at == std::string::npos ? std::optional<long>(0) : Number(text.substr(at + 1), 1, kHighestPace);
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (addr1 == 0 || addr2 == 0 || addr1 == addr2)
        return text + ": ADDR1 and ADDR2 are two addresses from 1 to 254, ADDR2 by default ADDR1 + 1";
    if (colon != std::string::npos &&
        (serial.size() != kSerialDigits || !std::all_of(serial.begin(), serial.end(), digit)))
        return text + ": SERIAL is ten decimal digits";
    if (!speed)
        return text + ": SPEED is a number from 1 to 10000000 (bit/s)";
    controller.Config.Addr1 = static_cast<uint8_t>(addr1);
    controller.Config.Addr2 = static_cast<uint8_t>(addr2);
    controller.Config.SerialNo = serial;
    controller.LineSpeed = static_cast<uint32_t>(*speed);
    return "";
}

// Each controller given without a serial number gets one of its own, counting on from the single
// controller's and passing over those given.
void NumberControllers(std::vector<sim::Controller>& controllers) {
    std::set<std::string> taken;
    for (const sim::Controller& controller : controllers)
        taken.insert(controller.Config.SerialNo);
    long next = kFirstSerial;
    for (sim::Controller& controller : controllers) {
        while (controller.Config.SerialNo.empty()) {
            const std::string serial = std::to_string(next++);
            if (taken.insert(serial).second)
                controller.Config.SerialNo = serial;
        }
    }
}

template <typename T> CLI::Validator Checked(std::string (*parse)(const std::string&, T&)) {
    return CLI::Validator(
        [parse](std::string& text) {
            T unused{};
            return parse(text, unused);
        },
        "");
}

} // namespace

Parsed Parse(int argc, const char* const* argv) {
    CLI::App app(kDescription, "zur-sim");
    app.footer(kFooter);
    app.get_formatter()->column_width(34);
    // As before: an option given twice takes its last value; --fault adds a rule each time.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.set_version_flag("--version", std::string("zur-sim ") + kZurVersion, "print the version and exit");

    Settings settings;
    int address = 1;
    std::vector<std::string> faults, controllers, image;
    std::string split, stray, noise;
    int delayMs = 0;
    // Value names the option's value, in the help and in the message when it is missing.
    const auto option = [&app](const std::string& name, auto& variable, const std::string& help,
                               const std::string& value) {
        return app.add_option(name, variable, help)->option_text(value)->type_name(value);
    };
    option("--link", settings.Options.LinkPath,
           "put a symbolic link to the port at PATH, removed on exit; PATH must be free or a link left by "
           "a simulator that died",
           "PATH");
    CLI::Option* single =
        option("--address", address,
               "the single controller's command-protocol address of side 1 (0 to 254, default 1)", "N")
            ->check(Within(0, kHighestAddress));
    option("--controller", controllers,
           "one of several controllers on the line, in place of the single one (repeatable): it answers "
           "at side addresses ADDR1 and ADDR2 (1 to 254, ADDR2 by default ADDR1 + 1), has the serial "
           "number SERIAL (ten digits; by default 1234567890, 1234567891, ... in turn) and understands "
           "requests only at SPEED bit/s (by default at any speed)",
           "ADDR1[,ADDR2][:SERIAL][@SPEED]")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(Checked(ParseController))
        ->excludes(single);
    app.add_flag("--update-mode", settings.Options.UpdateMode,
                 "start in update mode (with --controller: the first controller)");
    option("--pace", settings.Options.PaceBitsPerSecond,
           "send answers at this line speed, 11 bits a byte (1 to 10000000)", "BPS")
        ->check(Within(1, kHighestPace));
    option("--fault", faults,
           "a fault on every exchange, from exchange FROM on, or FROM to TO; NAME is one of " + FaultNames() +
               " (repeatable; later ones win)",
           "NAME[:FROM[-TO]]")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(Checked(ParseFault));
    option("--delay", delayMs, "delay every answer by MS milliseconds", "MS")->check(Within(0, INT_MAX));
    option("--split", split, "pause MS milliseconds after the first AFTER bytes of every answer", "AFTER:MS")
        ->check(Checked(ParseSplit));
    option("--stop-from-param", settings.StopFromParam, "answer no GetParam from parameter ID on", "ID")
        ->check(Within(0, kHighestParameter));
    option("--stray", stray, "send these bytes in front of every answer (hex digits, as in 0055)", "HEX")
        ->check(Checked(ParseStray));
    option("--noise", noise,
           "flip each data bit on the line, either way, with probability RATE (0 to 1), drawn from a "
           "generator seeded with SEED (default " +
               std::to_string(sim::kDefaultNoiseSeed) + ") so that a run repeats",
           "RATE[:SEED]")
        ->check(Checked(ParseNoise));
    option("--trace", settings.TracePath,
           "write the line trace of this end to FILE (the format of zur-cli --trace)", "FILE");
    option("--save-image", settings.SaveImagePath,
           "write each firmware image a controller receives whole to FILE, as an image file (the header "
           "values, the body, the checksum), so that it can be compared with the one sent",
           "FILE");
    option("--make-image", image,
           "write a valid firmware image with a SIZE-byte body (0 to 2147483639) to FILE and exit",
           "FILE SIZE")
        ->expected(2)
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw)
        ->check(Within(0, kLargestBody).application_index(1));

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help or --version
        // Through stdout's own buffer, so that its flush below sees a write fail and says why.
        std::ostringstream text;
        app.exit(e, text, std::cerr);
        std::fputs(text.str().c_str(), stdout);
        return {std::nullopt, OutputReached() ? Success : OutputLost};
    } catch (const CLI::ParseError& e) {
        std::cerr << "zur-sim: " << e.what() << " (zur-sim --help)\n";
        return {std::nullopt, Usage};
    }

    settings.Options.Address = static_cast<uint8_t>(address);
    for (const std::string& text : controllers)
        ParseController(text, settings.Options.Controllers.emplace_back());
    NumberControllers(settings.Options.Controllers);
    if (!settings.Options.Controllers.empty())
        settings.Options.Controllers.front().UpdateMode = settings.Options.UpdateMode;
    for (const std::string& text : faults)
        ParseFault(text, settings.Rules.emplace_back());
    if (delayMs > 0)
        settings.Rules.emplace_back().DelayMs = delayMs;
    if (!split.empty())
        ParseSplit(split, settings.Rules.emplace_back());
    if (!stray.empty())
        ParseStray(stray, settings.Rules.emplace_back());
    if (!noise.empty())
        ParseNoise(noise, settings.Options.Noise);
    if (!image.empty())
        settings.Image = ImageFile{image[0], static_cast<uint32_t>(*Number(image[1], 0, kLargestBody))};
    return {settings, Success};
}

bool OutputReached() {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    std::fprintf(stderr, "zur-sim: standard output: %s\n",
                 errno != 0 ? std::strerror(errno) : "a write failed");
    return false;
}

} // namespace SimCommandLine
