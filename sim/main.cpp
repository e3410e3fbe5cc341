// zur-sim: the simulated controller as a program, for working without a dispenser.

#include "ZurVersion.h"
#include "serial/TraceFile.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fstream>
#include <map>
#include <optional>
#include <pthread.h>
#include <string>

namespace {

constexpr const char* kUsage = R"(Usage: zur-sim [options]
A simulated ZUR dispenser controller on a pseudo-terminal. Prints the port to open and runs
until interrupted (Ctrl+C).

  --help                    this text
  --version                 the program's version
  --link PATH               put a symlink to the port at PATH (removed on exit); PATH must be
                            free or a link left by a simulator that died
  --address N               command-protocol address of side 1 (default 1)
  --update-mode             start in update mode
  --pace BPS                send answers at this line speed (11 bits a byte)
  --fault NAME[:FROM[-TO]]  a fault on every exchange, from exchange FROM on, or FROM to TO;
                            NAME: silent, wrong-checksum, wrong-address, wrong-echo,
                            wrong-length, bad-trailer, truncated, oversize, nak, eot,
                            ack-other-tx, close-line (repeatable; later ones win)
  --delay MS                delay every answer by MS milliseconds
  --split AFTER:MS          pause MS milliseconds after the first AFTER bytes of every answer
  --stop-from-param ID      answer no GetParam from parameter ID on
  --stray HEX               send these bytes in front of every answer (hex digits, e.g. 0055)
  --trace FILE              write the line trace of this end to FILE (the format of zur-cli --trace)
  --make-image FILE SIZE    write a valid firmware image with a SIZE-byte body and exit
)";

const std::map<std::string, sim::Fault> kFaults{
    {"silent", sim::Fault::Silent},
    {"wrong-checksum", sim::Fault::WrongChecksum},
    {"wrong-address", sim::Fault::WrongAddress},
    {"wrong-echo", sim::Fault::WrongEcho},
    {"wrong-length", sim::Fault::WrongLength},
    {"bad-trailer", sim::Fault::BadTrailer},
    {"truncated", sim::Fault::Truncated},
    {"oversize", sim::Fault::Oversize},
    {"nak", sim::Fault::Nak},
    {"eot", sim::Fault::Eot},
    {"ack-other-tx", sim::Fault::AckOtherTx},
    {"close-line", sim::Fault::CloseLine},
};

std::optional<long> Number(std::string_view text, long lowest, long highest) {
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::optional<uint8_t> Number16(std::string_view text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size() || value > 0xFF)
        return std::nullopt;
    return static_cast<uint8_t>(value);
}

// NAME[:FROM[-TO]]
std::optional<sim::Rule> FaultRule(const std::string& text) {
    const auto colon = text.find(':');
    const auto fault = kFaults.find(text.substr(0, colon));
    if (fault == kFaults.end())
        return std::nullopt;
    sim::Rule rule;
    rule.fault = fault->second;
    if (colon == std::string::npos)
        return rule;
    const std::string range = text.substr(colon + 1);
    const auto dash = range.find('-');
    const auto first = Number(range.substr(0, dash), 1, INT_MAX);
    const auto last =
        dash == std::string::npos ? std::optional<long>(INT_MAX) : Number(range.substr(dash + 1), 1, INT_MAX);
    if (!first || !last || *last < *first)
        return std::nullopt;
    rule.First = static_cast<int>(*first);
    rule.Last = static_cast<int>(*last);
    return rule;
}

// Hex digit pairs, at least one.
std::optional<sim::Rule> StrayRule(const std::string& text) {
    if (text.empty() || text.size() % 2 != 0)
        return std::nullopt;
    sim::Rule rule;
    for (size_t at = 0; at < text.size(); at += 2) {
        const auto byte = Number16(text.substr(at, 2));
        if (!byte)
            return std::nullopt;
        rule.StrayBefore.push_back(*byte);
    }
    return rule;
}

std::optional<sim::Rule> SplitRule(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const auto after = Number(text.substr(0, colon), 0, INT_MAX);
    const auto pause = Number(text.substr(colon + 1), 0, INT_MAX);
    if (!after || !pause)
        return std::nullopt;
    sim::Rule rule;
    rule.SplitAfter = static_cast<int>(*after);
    rule.SplitPauseMs = static_cast<int>(*pause);
    return rule;
}

int MakeImage(const std::string& path, const std::string& size) {
    const auto bodySize = Number(size, 0, INT32_MAX - 8);
    if (!bodySize) {
        std::fprintf(stderr, "zur-sim: bad image size %s\n", size.c_str());
        return 2;
    }
    const auto image = SimImage::MakeImageFile(static_cast<uint32_t>(*bodySize), 0x5A5A,
                                               SimImage::PatternBody(static_cast<size_t>(*bodySize), 1));
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (!file.flush()) {
        std::perror(path.c_str());
        return 1;
    }
    std::printf("Wrote %s: %zu bytes, body %ld bytes\n", path.c_str(), image.size(), *bodySize);
    return 0;
}

int Usage(const char* problem) {
    std::fprintf(stderr, "zur-sim: %s\n%s", problem, kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    sim::Options options;
    std::vector<sim::Rule> rules;
    int stopFromParam = 0;
    std::string tracePath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string value = hasValue ? argv[i + 1] : "";
        std::optional<sim::Rule> rule;
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("zur-sim %s\n", kZurVersion);
            return 0;
        }
        if (arg == "--update-mode") {
            options.UpdateMode = true;
            continue;
        }
        if (!hasValue)
            return Usage(("missing value after " + arg).c_str());
        ++i;
        if (arg == "--make-image")
            return i + 1 < argc ? MakeImage(value, argv[i + 1]) : Usage("--make-image needs FILE SIZE");
        if (arg == "--link")
            options.LinkPath = value;
        else if (const auto n = Number(value, 0, 254); arg == "--address" && n)
            options.Address = static_cast<uint8_t>(*n);
        else if (const auto bps = Number(value, 1, 10'000'000); arg == "--pace" && bps)
            options.PaceBitsPerSecond = static_cast<uint32_t>(*bps);
        else if (const auto ms = Number(value, 0, INT_MAX); arg == "--delay" && ms) {
            rule.emplace();
            rule->DelayMs = static_cast<int>(*ms);
        } else if (const auto id = Number(value, 0, 255); arg == "--stop-from-param" && id)
            stopFromParam = static_cast<int>(*id);
        else if (arg == "--fault" && (rule = FaultRule(value)))
            ;
        else if (arg == "--split" && (rule = SplitRule(value)))
            ;
        else if (arg == "--stray" && (rule = StrayRule(value)))
            ;
        else if (arg == "--trace")
            tracePath = value;
        else
            return Usage(("bad option or value: " + arg + " " + value).c_str());
        if (rule)
            rules.push_back(*rule);
    }

    // Blocked before the simulator's thread starts, so that only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    options.OnImageComplete = [](const sim::ReceivedImage& image) {
        std::printf("Firmware update complete: %zu body bytes in %zu blocks (values 0x%08X 0x%04X)\n",
                    image.Body.size(), image.BlockSizes.size(), image.Value32, image.Value16);
        std::fflush(stdout);
    };
    std::optional<LineTrace::TTraceFile> trace;
    if (!tracePath.empty()) {
        trace.emplace(tracePath, "zur-sim");
        if (!trace->IsOpen()) {
            std::perror(tracePath.c_str());
            return 1;
        }
        options.Tap = &*trace;
    }
    std::optional<sim::Simulator> started;
    try {
        started.emplace(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zur-sim: %s\n", e.what());
        return 1;
    }
    sim::Simulator& simulator = *started;
    for (const auto& rule : rules)
        simulator.AddRule(rule);
    simulator.StopAnsweringFromParam(stopFromParam);
    std::printf("Port to open: %s\n", simulator.PortPath().c_str());
    if (!options.LinkPath.empty())
        std::printf("Symlink: %s\n", options.LinkPath.c_str());
    std::printf("Address %u%s. Ctrl+C ends.\n", options.Address,
                options.UpdateMode ? ", in update mode" : "");
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    return 0;
}
