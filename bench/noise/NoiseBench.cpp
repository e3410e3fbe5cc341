// The operations on a noisy line: the simulated controller flips each data bit either way with the
// bit error rate of the row, and the tool runs the configuration read, the configuration write and
// a firmware update through the service operations, as zur-cli does, standard and --fast.
//
// Noise is a property of the line, so this reports shares, not times, and is no Google Benchmark:
// per row the share of reads, writes and updates that succeed, the writes that left a mix of old
// and new values, the frames the noise damaged and, apart, the collisions among them (a damaged
// frame whose checksum still holds). Every outcome is checked against the simulator's own state:
// a read that succeeds must be its configuration, a write must leave nothing but old or wanted
// values and succeed only with all of them wanted, an update must succeed only with the image
// whole; no read may outlast the line's 500 ms limit. Whatever breaks these and no collision
// explains is a fault, listed at the end. On a pseudo-terminal the shares do not depend on the line
// speed, so they are measured unpaced; a few runs paced at 9600 and 115200 bit/s then show what the
// failures and repeats cost in time. Collisions are too rare to meet in those runs, so a last table
// damages frames offline, a million of each kind per rate, and puts them to their receiver's checks.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "firmware/FirmwareImage.h"
#include "link/LinkFrame.h"
#include "link/LinkTransactions.h"
#include "link/uDispenser.h"
#include "protocol/CommandFrame.h"
#include "protocol/CommandSet.h"
#include "protocol/PtnLL.h"
#include "serial/LineSettings.h"
#include "serial/LineTap.h"
#include "service/Connection.h"
#include "service/FirmwareUpdate.h"
#include "service/Observer.h"
#include "service/Operations.h"
#include "sim/SimFrames.h"
#include "sim/SimImage.h"
#include "sim/SimNoise.h"
#include "sim/Simulator.h"
#include "tests/support/HeldConfig.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kUnpacedSpeed = 9600;   // the port's setting; the pseudo-terminal ignores it
constexpr uint16_t kImageValue16 = 0x5A5A; // as zur-sim --make-image
constexpr auto kLateSlack = std::chrono::milliseconds(100); // scheduling beyond the read's limit

struct TSettings {
    int Reads = 200, Writes = 200, Updates = 20;
    int PacedRuns = 10, PacedUpdates = 1;
    uint64_t Judged = 1'000'000; // damaged frames of each kind per rate, offline
    size_t ImageBytes = 16 * 1024;
    uint64_t Seed = sim::kDefaultNoiseSeed;
    std::vector<double> Rates{1e-6, 1e-5, 1e-4, 1e-3};
};

// Hears every transfer of the tool's port: the longest time from a write to the end of the read
// after it.
class TReadTimes final : public LineTap::TLineTap {
public:
    void Record(LineTap::TDirection Direction, std::span<const uint8_t>, LineTap::TEnd) override {
        const auto now = Clock::now();
        if (Direction == LineTap::TDirection::Tx)
            lastWrite = now;
        else
            Longest = std::max(Longest, now - lastWrite);
    }
    Clock::duration Longest{};

private:
    Clock::time_point lastWrite = Clock::now();
};

// The update's mode-switch pause is left out where only the shares count: the simulator switches
// at once.
class TNoPause final : public Observer::TObserver {
public:
    void Pause(int) override {}
};

uint64_t Collisions(const sim::NoiseCount& Count) {
    return Count.FramesTakenDamaged + Count.AnswersDamagedChecked;
}

PtnLL::TCfgStruct RecordOf(const sim::ControllerConfig& Config) {
    return {.Addr1 = Config.Addr1,
            .NoFillTO1 = Config.NoFillTO1,
            .Addr2 = Config.Addr2,
            .NoFillTO2 = Config.NoFillTO2,
            .MinVoltage = Config.MinVoltage,
            .NoMaster = Config.NoMaster,
            .PricePoint = Config.PricePoint,
            .AmoPoint = Config.AmoPoint,
            .Recalc = Config.Recalc,
            .ElType = Config.ElType,
            .SerialNo = Config.SerialNo,
            .FwVersion = Config.FwVersion};
}

// Every value the write sends differs from the controller's, but the side addresses, which stay.
sim::ControllerConfig Wanted(sim::ControllerConfig Config) {
    ++Config.NoFillTO1;
    ++Config.NoFillTO2;
    ++Config.NoMaster;
    ++Config.MinVoltage;
    Config.PricePoint = 2;
    Config.AmoPoint = 2;
    Config.Recalc = !Config.Recalc;
    Config.ElType = !Config.ElType;
    return Config;
}

// What a write left in the controller, field by field against the old and the wanted values.
enum class TLeft { Old, Wanted, Mixed, Foreign };

TLeft Left(const sim::ControllerConfig& Old, const sim::ControllerConfig& Want,
           const sim::ControllerConfig& Now) {
    int old = 0, wanted = 0, fields = 0;
    bool foreign = false;
    const auto field = [&](auto OldValue, auto WantValue, auto NowValue) {
        ++fields;
        old += NowValue == OldValue ? 1 : 0;
        wanted += NowValue == WantValue ? 1 : 0;
        foreign = foreign || (NowValue != OldValue && NowValue != WantValue);
    };
    field(Old.Addr1, Want.Addr1, Now.Addr1);
    field(Old.Addr2, Want.Addr2, Now.Addr2);
    field(Old.NoFillTO1, Want.NoFillTO1, Now.NoFillTO1);
    field(Old.NoFillTO2, Want.NoFillTO2, Now.NoFillTO2);
    field(Old.NoMaster, Want.NoMaster, Now.NoMaster);
    field(Old.MinVoltage, Want.MinVoltage, Now.MinVoltage);
    field(Old.PricePoint, Want.PricePoint, Now.PricePoint);
    field(Old.AmoPoint, Want.AmoPoint, Now.AmoPoint);
    field(Old.Recalc, Want.Recalc, Now.Recalc);
    field(Old.ElType, Want.ElType, Now.ElType);
    if (foreign)
        return TLeft::Foreign;
    if (wanted == fields)
        return TLeft::Wanted;
    return old == fields ? TLeft::Old : TLeft::Mixed;
}

struct TTally {
    int Runs = 0, Succeeded = 0;
    int Mixed = 0;          // writes: some values written, some not
    double Seconds = 0;     // all runs together
    int WrongExplained = 0; // wrong outcomes during which a collision happened
    std::vector<std::string> Faults;

    double Share(int Count) const { return Runs == 0 ? 0 : 100.0 * Count / Runs; }
};

// One simulator and one connection for a row: the noise runs on from one operation to the next.
class TLine {
public:
    TLine(double Rate, uint64_t Seed, uint32_t Pace, bool Fast)
        : simulator(Options(Rate, Seed, Pace)),
          connection({.Port = simulator.PortPath(), .Speed = Pace ? Pace : kUnpacedSpeed, .Fast = Fast},
                     &times),
          old(simulator.Config()) {}

    // Runs Do, which returns whether the operation succeeded and what is wrong with its outcome
    // (empty: nothing), on the controller's old configuration, and tallies it; Name and the run's
    // number describe a fault.
    template <typename Operation> void Run(TTally& Tally, const std::string& Name, Operation&& Do) {
        simulator.SetConfig(old);
        simulator.SetUpdateMode(false);
        simulator.ClearReceived();
        connection.Commands().Address = old.Addr1;
        times.Longest = {};
        const uint64_t collisionsBefore = Collisions(simulator.Noise());
        const auto start = Clock::now();
        const auto [succeeded, wrong] = Do();
        Tally.Seconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++Tally.Runs;
        Tally.Succeeded += succeeded ? 1 : 0;
        const std::string which = Name + " " + std::to_string(Tally.Runs);
        if (!wrong.empty()) {
            if (Collisions(simulator.Noise()) != collisionsBefore)
                ++Tally.WrongExplained;
            else
                Tally.Faults.push_back(which + ": " + wrong);
        }
        const auto limit = std::chrono::milliseconds(LineSettings::kReadTotal) + kLateSlack;
        if (times.Longest > limit)
            Tally.Faults.push_back(
                which + ": a read took " +
                std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(times.Longest).count()) +
                " ms");
    }

    std::pair<bool, std::string> Read() {
        const Outcome::TReadOutcome read =
            Operations::ReadConfiguration(connection.Commands(), Observer::Quiet());
        if (!read.Succeeded())
            return {false, ""};
        return {true, HeldConfig::Holds(simulator.Config(), read.Record)
                          ? ""
                          : "a configuration the controller does not hold"};
    }

    std::pair<bool, std::string> Write(TTally& Tally) {
        const sim::ControllerConfig want = Wanted(old);
        const Outcome::TWriteOutcome write =
            Operations::WriteConfiguration(connection.Commands(), RecordOf(want), Observer::Quiet());
        const TLeft left = Left(old, want, simulator.Config());
        Tally.Mixed += left == TLeft::Mixed ? 1 : 0;
        if (left == TLeft::Foreign)
            return {write.Succeeded(), "a value that was not asked for"};
        if (write.Succeeded() && left != TLeft::Wanted)
            return {true, "success with values not written"};
        return {write.Succeeded(), ""};
    }

    std::pair<bool, std::string> Update(const std::vector<uint8_t>& File, Observer::TObserver& Front) {
        FirmwareImage::TImageState image = FirmwareImage::CheckImage(File).Image;
        const Outcome::TUpdateOutcome update =
            FirmwareUpdate::Update(image, connection.Commands(), connection.Engine(), Front);
        if (!update.Succeeded())
            return {false, ""};
        const sim::ReceivedImage got = simulator.Image();
        const bool whole =
            got.Value32 == image.ImageValue32 && got.Value16 == image.ImageValue16 &&
            std::equal(got.Body.begin(), got.Body.end(),
                       image.FirmwareImage.begin() + FirmwareImage::kHeaderBytes, image.FirmwareImage.end());
        return {true, whole ? "" : "success with an image that differs from the one sent"};
    }

    sim::NoiseCount Noise() const { return simulator.Noise(); }

private:
    static sim::Options Options(double Rate, uint64_t Seed, uint32_t Pace) {
        sim::Options options;
        options.PaceBitsPerSecond = Pace;
        options.Noise = {.Rate = Rate, .Seed = Seed};
        return options;
    }

    TReadTimes times;
    sim::Simulator simulator;
    Connection::TConnection connection;
    const sim::ControllerConfig old;
};

std::string Rate(double Value) {
    char text[16];
    std::snprintf(text, sizeof text, Value == 0 ? "0" : "%.0e", Value);
    return text;
}

std::string Percent(const TTally& Tally, int Count) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f %%", Tally.Share(Count));
    return text;
}

// Shares, unpaced: one row per mode and rate.
std::vector<std::string> MeasureShares(const TSettings& Settings, const std::vector<uint8_t>& File) {
    std::printf("Unpaced, seed %llu: %d reads, %d writes, %d updates of %zu bytes per row\n\n",
                static_cast<unsigned long long>(Settings.Seed), Settings.Reads, Settings.Writes,
                Settings.Updates, Settings.ImageBytes);
    std::printf("%-8s %-6s | %8s | %8s %9s | %9s | %9s %10s %11s\n", "mode", "BER", "read ok", "write ok",
                "write mix", "update ok", "damaged", "collisions", "coll. wrong");
    std::vector<std::string> faults;
    for (const bool fast : {false, true}) {
        for (const double rate : Settings.Rates) {
            TLine line(rate, Settings.Seed, 0, fast);
            TTally reads, writes, updates;
            TNoPause front;
            for (int k = 0; k < Settings.Reads; ++k)
                line.Run(reads, "read", [&] { return line.Read(); });
            for (int k = 0; k < Settings.Writes; ++k)
                line.Run(writes, "write", [&] { return line.Write(writes); });
            for (int k = 0; k < Settings.Updates; ++k)
                line.Run(updates, "update", [&] { return line.Update(File, front); });
            const sim::NoiseCount noise = line.Noise();
            const std::string mode = fast ? "fast" : "standard";
            std::printf("%-8s %-6s | %8s | %8s %9s | %9s | %9llu %10llu %11d\n", mode.c_str(),
                        Rate(rate).c_str(), Percent(reads, reads.Succeeded).c_str(),
                        Percent(writes, writes.Succeeded).c_str(), Percent(writes, writes.Mixed).c_str(),
                        Percent(updates, updates.Succeeded).c_str(),
                        static_cast<unsigned long long>(noise.ReadsHit + noise.AnswersHit),
                        static_cast<unsigned long long>(Collisions(noise)),
                        reads.WrongExplained + writes.WrongExplained + updates.WrongExplained);
            std::fflush(stdout);
            for (const TTally* tally : {&reads, &writes, &updates})
                for (const std::string& fault : tally->Faults)
                    faults.push_back(mode + " " + Rate(rate) + " " + fault);
        }
    }
    std::printf(
        "\ndamaged: frames with a bit flipped, both ways together; collisions: those whose checksum "
        "held;\ncoll. wrong: wrong outcomes with a collision among their frames (counted apart, not as "
        "faults)\n");
    return faults;
}

std::string Timed(const TTally& Tally) {
    char text[32];
    if (Tally.Runs == 0)
        return "-";
    std::snprintf(text, sizeof text, "%.2f s (%d/%d)", Tally.Seconds / Tally.Runs, Tally.Succeeded,
                  Tally.Runs);
    return text;
}

// Time per operation at a line speed, the clean line first.
std::vector<std::string> MeasureTimes(const TSettings& Settings, const std::vector<uint8_t>& File) {
    std::printf(
        "\nPaced: mean time per operation (succeeded/runs), %d reads and writes and %d updates per row,\n"
        "the update with its 1000 ms mode-switch pause\n\n",
        Settings.PacedRuns, Settings.PacedUpdates);
    std::printf("%-6s %-8s %-6s | %18s | %18s | %18s\n", "bit/s", "mode", "BER", "read", "write", "update");
    std::vector<double> rates{0};
    rates.insert(rates.end(), Settings.Rates.begin(), Settings.Rates.end());
    std::vector<std::string> faults;
    for (const uint32_t pace : {9600u, 115200u}) {
        for (const bool fast : {false, true}) {
            for (const double rate : rates) {
                TLine line(rate, Settings.Seed, pace, fast);
                TTally reads, writes, updates;
                for (int k = 0; k < Settings.PacedRuns; ++k)
                    line.Run(reads, "read", [&] { return line.Read(); });
                for (int k = 0; k < Settings.PacedRuns; ++k)
                    line.Run(writes, "write", [&] { return line.Write(writes); });
                for (int k = 0; k < Settings.PacedUpdates; ++k)
                    line.Run(updates, "update", [&] { return line.Update(File, Observer::Quiet()); });
                const std::string mode = fast ? "fast" : "standard";
                std::printf("%-6u %-8s %-6s | %18s | %18s | %18s\n", pace, mode.c_str(), Rate(rate).c_str(),
                            Timed(reads).c_str(), Timed(writes).c_str(), Timed(updates).c_str());
                std::fflush(stdout);
                const std::string row = std::to_string(pace) + " " + mode + " " + Rate(rate) + " ";
                for (const TTally* tally : {&reads, &writes, &updates})
                    for (const std::string& fault : tally->Faults)
                        faults.push_back(row + fault);
            }
        }
    }
    return faults;
}

// A frame as its sender builds it, and whether its receiver's checks take some bytes for a frame
// with a checksum.
struct TJudgedFrame {
    const char* Name;
    std::vector<uint8_t> Sound;
    std::function<bool(std::span<const uint8_t>)> Taken;
};

// What the frames carry: a parameter of the controller at address 1 and its value, a block's TX.
constexpr uint8_t kAddress = 1, kParameter = 6, kValue = 51, kBlockTx = 1;

std::vector<TJudgedFrame> JudgedFrames() {
    // The controller's answer to GetParam, judged by the tool as the answer to that request.
    const std::vector<uint8_t> answer{kAddress, CommandSet::kGetParam, 2, kParameter, kValue};
    const auto tool = [](std::span<const uint8_t> Raw) {
        CommandFrame::Area unstuffed{};
        return CommandFrame::JudgeAnswer(Raw, CommandSet::Expect(kAddress, CommandSet::kGetParam, kParameter),
                                         unstuffed)
            .Accepted();
    };
    // The tool's SetParam and firmware block, judged by the controller.
    CommandFrame::Area request{}, scratch{};
    request[0] = 5;
    request[1] = kAddress;
    request[2] = CommandSet::kSetParam;
    request[3] = 2;
    request[4] = kParameter;
    request[5] = kValue;
    CommandFrame::BuildFrame(request, scratch);
    std::vector<uint8_t> block{LinkTransactions::kUpdateBlock, FirmwareUpdate::kBlockBytes};
    const std::vector<uint8_t> body = SimImage::PatternBody(FirmwareUpdate::kBlockBytes, 1);
    block.insert(block.end(), body.begin(), body.end());
    const auto controller = [](std::span<const uint8_t> Raw) {
        const auto frame = SimFrames::TakeFrame(Raw);
        return frame && frame->kind != SimFrames::Kind::LinkControl;
    };
    return {{"GetParam answer (tool)", SimFrames::CommandFrame(answer), tool},
            {"SetParam (controller)",
             std::vector<uint8_t>(request.begin() + 1, request.begin() + 1 + request[0]), controller},
            {"firmware block (controller)", LinkFrame::DataFrame(uDispenser::kLoaderAddress, kBlockTx, block),
             controller}};
}

uint64_t Taken(const TJudgedFrame& Frame, double Rate, uint64_t Seed, uint64_t Damaged) {
    SimNoise::Line line(Rate, Seed, SimNoise::Direction::ToTool);
    uint64_t damaged = 0, taken = 0;
    std::vector<uint8_t> bytes;
    while (damaged < Damaged) {
        bytes = Frame.Sound;
        if (line.Apply(bytes) == 0)
            continue;
        ++damaged;
        taken += Frame.Taken(bytes) ? 1 : 0;
    }
    return taken;
}

// Below 1e-3 nearly every damaged frame has a single bit flipped, as at 1e-3, and such a sweep
// would take long to meet a million of them.
void MeasureCollisions(const TSettings& Settings) {
    const std::vector<TJudgedFrame> frames = JudgedFrames();
    std::printf(
        "\nOffline: damaged frames still taken by their receiver's checks, of %llu damaged ones each\n\n",
        static_cast<unsigned long long>(Settings.Judged));
    std::printf("%-6s", "BER");
    for (const TJudgedFrame& frame : frames)
        std::printf(" | %28s", frame.Name);
    std::printf("\n");
    for (const double rate : {1e-3, 1e-2, 1e-1}) {
        std::printf("%-6s", Rate(rate).c_str());
        for (const TJudgedFrame& frame : frames)
            std::printf(" | %28llu",
                        static_cast<unsigned long long>(Taken(frame, rate, Settings.Seed, Settings.Judged)));
        std::printf("\n");
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("bench_noise: the configuration read, write and firmware update on a noisy line",
                 "bench_noise");
    TSettings settings;
    app.add_option("--reads", settings.Reads, "configuration reads per row")->check(CLI::NonNegativeNumber);
    app.add_option("--writes", settings.Writes, "configuration writes per row")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--updates", settings.Updates, "firmware updates per row")->check(CLI::NonNegativeNumber);
    app.add_option("--image-bytes", settings.ImageBytes, "the update image's body")
        ->check(CLI::Range(1, 1 << 24));
    app.add_option("--paced-runs", settings.PacedRuns, "reads and writes per paced row (0: no paced rows)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--paced-updates", settings.PacedUpdates, "updates per paced row")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--rates", settings.Rates, "bit error rates, comma-separated")
        ->delimiter(',')
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--seed", settings.Seed, "the noise's seed");
    app.add_option("--judged", settings.Judged, "damaged frames of each kind per rate, offline (0: none)");
    CLI11_PARSE(app, argc, argv);

    const std::vector<uint8_t> file =
        SimImage::MakeImageFile(static_cast<uint32_t>(settings.ImageBytes), kImageValue16,
                                SimImage::PatternBody(settings.ImageBytes, 1));
    std::vector<std::string> faults = MeasureShares(settings, file);
    if (settings.PacedRuns > 0 || settings.PacedUpdates > 0) {
        const std::vector<std::string> paced = MeasureTimes(settings, file);
        faults.insert(faults.end(), paced.begin(), paced.end());
    }
    if (settings.Judged > 0)
        MeasureCollisions(settings);
    std::printf("\nFaults (a wrong outcome no collision explains, or a read past the line's limit): %s\n",
                faults.empty() ? "none" : "");
    for (const std::string& fault : faults)
        std::printf("  %s\n", fault.c_str());
    return faults.empty() ? 0 : 1;
}
