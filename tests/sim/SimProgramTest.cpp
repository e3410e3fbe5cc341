// zur-sim started as a process, as the scripts start it: its exit code, its one line on standard
// error, and what it leaves behind, at the --link path above all.

#include "serial/UniqueFd.h"
#include "sim/SimImage.h"
#include "sim/SimPty.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <poll.h>
#include <ranges>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Ended {
    int exit = -1; // 128 + the signal when a signal ended it
    std::string out, err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Standard output goes to Out, or to a pipe read here when Out is empty; standard error to a file.
class Program {
public:
    Program(std::vector<std::string> words, const std::string& out) {
        int ends[2] = {-1, -1};
        if (out.empty() && pipe2(ends, O_CLOEXEC) != 0)
            throw std::runtime_error("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (out.empty())
            posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        else
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        UniqueFd unused(ends[1]);
        output = UniqueFd(ends[0]);
        if (failed != 0)
            throw std::runtime_error("cannot start " + words[0]);
    }
    ~Program() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        fs::remove(errPath);
    }

    // Reads standard output until it holds Text; false when it ended or 5 s passed first.
    bool WaitFor(const std::string& text) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (ended.out.find(text) == std::string::npos && output && Clock::now() < deadline)
            ReadSome(100);
        return ended.out.find(text) != std::string::npos;
    }
    void Terminate() { kill(pid, SIGTERM); }
    Ended Finish() {
        while (output)
            ReadSome(-1);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        ended.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        ended.err = ReadFile(errPath);
        return ended;
    }

private:
    void ReadSome(int waitMs) {
        pollfd p{output.Get(), POLLIN, 0};
        char chunk[4096];
        if (poll(&p, 1, waitMs) <= 0)
            return;
        const ssize_t n = read(output.Get(), chunk, sizeof chunk);
        if (n > 0)
            ended.out.append(chunk, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            output.Reset();
    }

    const std::string errPath =
        (fs::temp_directory_path() / ("zur-sim-stderr-" + std::to_string(getpid()))).string();
    pid_t pid = -1;
    UniqueFd output; // standard output's pipe, until its end
    Ended ended;
};

sim::Options Linked(const std::string& path) {
    sim::Options options;
    options.LinkPath = path;
    return options;
}

// What is at {new} before the program runs.
enum class AtPath { Nothing, File, Folder, LinkToAFile, DanglingPtsLink, UnservedPtsLink, ServedLink };

struct ProgramCase {
    const char* name = "";
    // "{file}" stands for a file of the test's that holds "keep me", "{new}" for a path that holds
    // what `there` says. A first "{disk full}" runs it with a file size limit of 512 bytes, a disk
    // that fills up halfway.
    std::vector<std::string> args = {};
    AtPath there = AtPath::Nothing;
    const char* out = ""; // where standard output goes; empty: a pipe
    int exit = 0;
    const char* says = "";   // in the one line on standard error; empty: nothing is said
    const char* prints = ""; // on standard output
    size_t imageBody = 0;    // a complete image of this body size is at {new} afterwards
};

class ProgramTest : public ::testing::TestWithParam<ProgramCase> {
protected:
    ~ProgramTest() override {
        served.reset();
        fs::remove(file);
        fs::remove_all(fresh);
    }
    std::vector<std::string> Words(const std::vector<std::string>& args) const {
        const bool diskFull = args.front() == "{disk full}";
        std::vector<std::string> words;
        if (diskFull)
            words = {"/bin/sh", "-c", "ulimit -f 1; trap '' XFSZ; exec \"$0\" \"$@\""};
        words.push_back(ZUR_SIM);
        for (const std::string& word : args | std::views::drop(diskFull ? 1 : 0))
            words.push_back(word == "{file}" ? file : word == "{new}" ? fresh : word);
        return words;
    }
    void Put(AtPath there) {
        if (there == AtPath::File)
            std::ofstream(fresh) << "keep me";
        else if (there == AtPath::Folder)
            fs::create_directory(fresh);
        else if (there == AtPath::LinkToAFile)
            fs::create_symlink(file, fresh);
        else if (there == AtPath::DanglingPtsLink) // the pseudo-terminal went with its simulator
            fs::create_symlink("/dev/pts/999999", fresh);
        else if (there == AtPath::UnservedPtsLink)
            fs::create_symlink(peer.SlavePath(), fresh);
        else if (there == AtPath::ServedLink)
            served = std::make_unique<sim::Simulator>(Linked(fresh));
    }

    const std::string stem =
        (fs::temp_directory_path() / ("zur-sim-program-" + std::to_string(getpid()))).string();
    const std::string file = stem + ".file", fresh = stem + ".new";
    SimPty::Pty peer{""};                   // a pseudo-terminal that no simulator serves
    std::unique_ptr<sim::Simulator> served; // a simulator alive while the program runs
};

TEST_P(ProgramTest, EndsWithItsExitCodeAndOneLine) {
    const ProgramCase& row = GetParam();
    std::ofstream(file) << "keep me";
    Put(row.there);
    const auto before = fs::symlink_status(fresh).type();
    std::error_code none;
    const fs::path targetBefore = fs::read_symlink(fresh, none);
    Program program(Words(row.args), row.out);
    // A simulator that started is stopped as the scripts stop it, once its link is seen.
    std::string linked;
    if (program.WaitFor("Ctrl+C ends.")) {
        linked = "Port to open: " + fs::read_symlink(fresh, none).string() + "\n";
        program.Terminate();
    }
    const Ended ended = program.Finish();
    EXPECT_EQ(ended.exit, row.exit) << ended.err;
    EXPECT_NE(ended.out.find(linked), std::string::npos) << ended.out;
    EXPECT_NE(ended.out.find(row.prints), std::string::npos) << ended.out;
    if (*row.says) {
        EXPECT_EQ(std::count(ended.err.begin(), ended.err.end(), '\n'), 1) << ended.err;
        EXPECT_NE(ended.err.find(row.says), std::string::npos) << ended.err;
        EXPECT_EQ(ended.err.rfind("zur-sim: ", 0), 0u) << ended.err;
    } else {
        EXPECT_EQ(ended.err, "");
    }
    EXPECT_EQ(ReadFile(file), "keep me");
    if (row.imageBody > 0) {
        const auto body = SimImage::PatternBody(row.imageBody, 1);
        const auto image = SimImage::MakeImageFile(static_cast<uint32_t>(body.size()), 0x5A5A, body);
        EXPECT_EQ(ReadFile(fresh), std::string(image.begin(), image.end()));
    } else if (row.exit != 0 && row.there != AtPath::Nothing) { // refused: what was there stays
        EXPECT_EQ(fs::symlink_status(fresh).type(), before);
        EXPECT_EQ(fs::read_symlink(fresh, none), targetBefore);
        EXPECT_TRUE(row.there != AtPath::File || ReadFile(fresh) == "keep me");
    } else {
        EXPECT_FALSE(fs::exists(fs::symlink_status(fresh)));
    }
}

// clang-format off
const ProgramCase kRuns[] = {
    {.name = "Serves", .args = {"--link", "{new}", "--fault", "silent:3-4"}},
    // The second controller's serial number passes over the one given to the first.
    {.name = "ServesAStation",
     .args = {"--link", "{new}", "--controller", "1,5:1234567890@9600", "--controller", "3"},
     .prints = "Controller 1 at addresses 1 and 5, serial number 1234567890, only at 9600 bit/s.\n"
               "Controller 2 at addresses 3 and 4, serial number 1234567891, at any speed.\n"},
    {.name = "ServesANoisyLine", .args = {"--link", "{new}", "--noise", "1e-3:7"},
     .prints = "Noise: each data bit flipped with probability 0.001, seed 7.\n"},
    {.name = "ReplacesADeadSimulatorsLink", .args = {"--link", "{new}"}, .there = AtPath::DanglingPtsLink},
    {.name = "ReplacesAnUnservedLink", .args = {"--link", "{new}"}, .there = AtPath::UnservedPtsLink},
    {.name = "RefusesAFile", .args = {"--link", "{new}"}, .there = AtPath::File,
     .exit = 1, .says = "a file is there"},
    {.name = "RefusesAFolder", .args = {"--link", "{new}"}, .there = AtPath::Folder,
     .exit = 1, .says = "a folder is there"},
    {.name = "RefusesALinkToAFile", .args = {"--link", "{new}"}, .there = AtPath::LinkToAFile,
     .exit = 1, .says = "is there"},
    {.name = "RefusesARunningSimulatorsLink", .args = {"--link", "{new}"}, .there = AtPath::ServedLink,
     .exit = 1, .says = "another simulator is serving it"},
    {.name = "WritesAnImage", .args = {"--make-image", "{new}", "40"}, .imageBody = 40},
    {.name = "PaceOutOfRange", .args = {"--pace", "0"},
     .exit = 2, .says = "0 is not a number from 1 to 10000000"},
    {.name = "NoiseAboveOne", .args = {"--noise", "1.5"}, .exit = 2, .says = "1.5 is no bit error rate"},
    {.name = "NoiseSeedNotANumber", .args = {"--noise", "1e-4:x"}, .exit = 2, .says = "SEED of 1e-4:x"},
    {.name = "UnknownFault", .args = {"--fault", "boom"}, .exit = 2, .says = "boom is no fault"},
    {.name = "SplitWithoutColon", .args = {"--split", "4x40"}, .exit = 2, .says = "4x40 is not AFTER:MS"},
    {.name = "StrayOddDigits", .args = {"--stray", "005"},
     .exit = 2, .says = "005 is not pairs of hex digits"},
    {.name = "ControllerAt0", .args = {"--controller", "0"},
     .exit = 2, .says = "0: ADDR1 and ADDR2 are two addresses"},
    {.name = "ControllerAndAddress", .args = {"--controller", "1", "--address", "3"},
     .exit = 2, .says = "excludes"},
    {.name = "ImageWithoutSize", .args = {"--make-image", "{new}"}, .exit = 2, .says = "--make-image"},
    {.name = "VersionLost", .args = {"--version"}, .out = "/dev/full",
     .exit = 3, .says = "standard output: No space left"},
    {.name = "PortLineLost", .args = {"--link", "{new}"}, .out = "/dev/full",
     .exit = 3, .says = "standard output"},
    {.name = "ImageLost", .args = {"--make-image", "/dev/full", "16"},
     .exit = 3, .says = "/dev/full: No space left"},
    {.name = "ImageLineLost", .args = {"--make-image", "{new}", "16"}, .out = "/dev/full",
     .exit = 3, .says = "standard output", .imageBody = 16},
    {.name = "HalfImage", .args = {"{disk full}", "--make-image", "{new}", "4096"},
     .exit = 3, .says = "File too large"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Runs, ProgramTest, ::testing::ValuesIn(kRuns),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
