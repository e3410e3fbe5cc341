// zur-sim started as a process, as the scripts start it: its exit code, its one line on standard
// error, and what it leaves behind.

#include "serial/UniqueFd.h"
#include "sim/SimImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
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

struct ProgramCase {
    const char* name;
    // "{file}" stands for a file of the test's that holds "keep me", "{new}" for a free path. A
    // first "{disk full}" runs it with a file size limit of 512 bytes, a disk that fills up halfway.
    std::vector<std::string> args;
    const char* out; // where standard output goes; empty: a pipe
    int exit;
    const char* says;        // in the one line on standard error; empty: nothing is said
    size_t imageBody;        // a complete image of this body size is at {new} afterwards; 0: nothing is
    const char* prints = ""; // on standard output
};

class ProgramTest : public ::testing::TestWithParam<ProgramCase> {
protected:
    ~ProgramTest() override {
        fs::remove(file);
        fs::remove(fresh);
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

    const std::string stem =
        (fs::temp_directory_path() / ("zur-sim-program-" + std::to_string(getpid()))).string();
    const std::string file = stem + ".file", fresh = stem + ".new";
};

TEST_P(ProgramTest, EndsWithItsExitCodeAndOneLine) {
    std::ofstream(file) << "keep me";
    Program program(Words(GetParam().args), GetParam().out);
    // A simulator that started is stopped as the scripts stop it, once its link is seen.
    std::string linked;
    if (program.WaitFor("Ctrl+C ends.")) {
        std::error_code none;
        linked = "Port to open: " + fs::read_symlink(fresh, none).string() + "\n";
        program.Terminate();
    }
    const Ended ended = program.Finish();
    EXPECT_EQ(ended.exit, GetParam().exit) << ended.err;
    EXPECT_NE(ended.out.find(linked), std::string::npos) << ended.out;
    EXPECT_NE(ended.out.find(GetParam().prints), std::string::npos) << ended.out;
    if (*GetParam().says) {
        EXPECT_EQ(std::count(ended.err.begin(), ended.err.end(), '\n'), 1) << ended.err;
        EXPECT_NE(ended.err.find(GetParam().says), std::string::npos) << ended.err;
        EXPECT_EQ(ended.err.rfind("zur-sim: ", 0), 0u) << ended.err;
    } else {
        EXPECT_EQ(ended.err, "");
    }
    EXPECT_EQ(ReadFile(file), "keep me");
    if (GetParam().imageBody > 0) {
        const auto body = SimImage::PatternBody(GetParam().imageBody, 1);
        const auto image = SimImage::MakeImageFile(static_cast<uint32_t>(body.size()), 0x5A5A, body);
        EXPECT_EQ(ReadFile(fresh), std::string(image.begin(), image.end()));
    } else {
        EXPECT_FALSE(fs::exists(fs::symlink_status(fresh)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ProgramTest,
    ::testing::Values(
        ProgramCase{"Serves", {"--link", "{new}", "--fault", "silent:3-4"}, "", 0, "", 0},
        ProgramCase{"WritesAnImage", {"--make-image", "{new}", "40"}, "", 0, "", 40},
        // The second controller's serial number passes over the one given to the first.
        ProgramCase{"ServesAStation",
                    {"--link", "{new}", "--controller", "1,5:1234567890@9600", "--controller", "3"},
                    "",
                    0,
                    "",
                    0,
                    "Controller 1 at addresses 1 and 5, serial number 1234567890, only at 9600 bit/s.\n"
                    "Controller 2 at addresses 3 and 4, serial number 1234567891, at any speed.\n"},
        ProgramCase{"ControllerAt0", {"--controller", "0"}, "", 2, "0: ADDR1 and ADDR2 are two addresses", 0},
        ProgramCase{"ControllerAndAddress", {"--controller", "1", "--address", "3"}, "", 2, "excludes", 0},
        ProgramCase{"PaceOutOfRange", {"--pace", "0"}, "", 2, "0 is not a number from 1 to 10000000", 0},
        ProgramCase{"UnknownFault", {"--fault", "boom"}, "", 2, "boom is no fault", 0},
        ProgramCase{"SplitWithoutColon", {"--split", "4x40"}, "", 2, "4x40 is not AFTER:MS", 0},
        ProgramCase{"StrayOddDigits", {"--stray", "005"}, "", 2, "005 is not pairs of hex digits", 0},
        ProgramCase{"ImageWithoutSize", {"--make-image", "{new}"}, "", 2, "--make-image", 0},
        ProgramCase{"LinkOnAFile", {"--link", "{file}"}, "", 1, "a file is there", 0},
        ProgramCase{"VersionLost", {"--version"}, "/dev/full", 3, "standard output: No space left", 0},
        ProgramCase{"PortLineLost", {"--link", "{new}"}, "/dev/full", 3, "standard output", 0},
        ProgramCase{"ImageLost", {"--make-image", "/dev/full", "16"}, "", 3, "/dev/full: No space left", 0},
        ProgramCase{"ImageLineLost", {"--make-image", "{new}", "16"}, "/dev/full", 3, "standard output", 16},
        ProgramCase{
            "HalfImage", {"{disk full}", "--make-image", "{new}", "4096"}, "", 3, "File too large", 0}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
