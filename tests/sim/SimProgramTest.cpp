// zur-sim started as a process, as the scripts start it: its exit code, its one line on standard
// error, and what it leaves behind.

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

class Program {
public:
    // Out names where standard output goes; a pipe read here when empty.
    Program(std::vector<std::string> words, const std::string& out) {
        int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
        if (pipe2(errPipe, O_CLOEXEC) != 0 || (out.empty() && pipe2(outPipe, O_CLOEXEC) != 0))
            throw std::runtime_error("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (out.empty())
            posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        else
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        for (int end : {outPipe[1], errPipe[1]})
            if (end >= 0)
                close(end);
        fds[0] = outPipe[0];
        fds[1] = errPipe[0];
        if (failed != 0)
            throw std::runtime_error("cannot start " + words[0]);
    }
    ~Program() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        for (int fd : fds)
            if (fd >= 0)
                close(fd);
    }

    // Reads until standard output holds Text or Timeout passes.
    bool WaitFor(const std::string& text, std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (ended.out.find(text) == std::string::npos && Clock::now() < deadline && ReadSome(deadline))
            ;
        return ended.out.find(text) != std::string::npos;
    }
    const std::string& Output() const { return ended.out; }
    void Signal(int number) { kill(pid, number); }
    Ended Finish() {
        while (ReadSome(Clock::time_point::max()))
            ;
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        ended.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return ended;
    }

private:
    // False once both pipes are at their end.
    bool ReadSome(Clock::time_point deadline) {
        pollfd p[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        if (fds[0] < 0 && fds[1] < 0)
            return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int waitMs =
            deadline == Clock::time_point::max() ? -1 : static_cast<int>(std::max<long>(0, left));
        const int ready = poll(p, 2, waitMs);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            return true;
        std::string* texts[2] = {&ended.out, &ended.err};
        for (int i = 0; i < 2; ++i) {
            if (fds[i] < 0 || p[i].revents == 0)
                continue;
            char chunk[4096];
            const ssize_t n = read(fds[i], chunk, sizeof chunk);
            if (n > 0) {
                texts[i]->append(chunk, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i]);
                fds[i] = -1;
            }
        }
        return true;
    }

    pid_t pid = -1;
    int fds[2] = {-1, -1}; // standard output (-1 when it goes elsewhere), standard error
    Ended ended;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct ProgramCase {
    const char* name;
    // "{file}" stands for a file of the test's that holds "keep me", "{new}" for a free path.
    std::vector<std::string> args;
    const char* out; // where standard output goes; empty: a pipe
    int exit;
    const char* says; // in the one line on standard error; empty: nothing is said
    size_t imageBody; // a complete image of this body size is at {new} afterwards; 0: nothing is
};

class ProgramFiles : public ::testing::Test {
protected:
    ~ProgramFiles() override {
        fs::remove(file);
        fs::remove(fresh);
    }
    std::vector<std::string> Words(const std::vector<std::string>& args) const {
        std::vector<std::string> words{ZUR_SIM};
        for (std::string word : args) {
            if (word == "{file}")
                word = file;
            else if (word == "{new}")
                word = fresh;
            words.push_back(word);
        }
        return words;
    }

    const std::string stem =
        (fs::temp_directory_path() / ("zur-sim-program-" + std::to_string(getpid()))).string();
    const std::string file = stem + ".file", fresh = stem + ".new";
};

class ProgramTest : public ProgramFiles, public ::testing::WithParamInterface<ProgramCase> {};

TEST_P(ProgramTest, EndsWithItsExitCodeAndOneLine) {
    std::ofstream(file) << "keep me";
    Program program(Words(GetParam().args), GetParam().out);
    // A simulator that started is stopped as the scripts stop it, once its link is checked.
    if (program.WaitFor("Ctrl+C ends.", std::chrono::seconds(5))) {
        const auto& args = GetParam().args;
        if (std::find(args.begin(), args.end(), "--link") != args.end()) {
            EXPECT_NE(program.Output().find("Port to open: " + fs::read_symlink(fresh).string() + "\n"),
                      std::string::npos);
        }
        program.Signal(SIGTERM);
    }
    const Ended ended = program.Finish();
    EXPECT_EQ(ended.exit, GetParam().exit) << ended.err;
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
        ProgramCase{"PaceOutOfRange", {"--pace", "0"}, "", 2, "0 is not a number from 1 to 10000000", 0},
        ProgramCase{"UnknownFault", {"--fault", "boom"}, "", 2, "boom is no fault", 0},
        ProgramCase{"SplitWithoutColon", {"--split", "4x40"}, "", 2, "4x40 is not AFTER:MS", 0},
        ProgramCase{"StrayOddDigits", {"--stray", "005"}, "", 2, "005 is not pairs of hex digits", 0},
        ProgramCase{"ImageWithoutSize", {"--make-image", "{new}"}, "", 2, "--make-image", 0},
        ProgramCase{"LinkOnAFile", {"--link", "{file}"}, "", 1, "a file is there", 0},
        ProgramCase{"VersionLost", {"--version"}, "/dev/full", 3, "standard output: No space left", 0},
        ProgramCase{"HelpLost", {"--help"}, "/dev/full", 3, "standard output: No space left", 0},
        ProgramCase{"PortLineLost", {"--link", "{new}"}, "/dev/full", 3, "standard output", 0},
        ProgramCase{"ImageLost", {"--make-image", "/dev/full", "16"}, "", 3, "/dev/full: No space left", 0},
        ProgramCase{"ImageLineLost", {"--make-image", "{new}", "16"}, "/dev/full", 3, "standard output", 16}),
    [](const auto& row) { return std::string(row.param.name); });

// The disk fills up halfway: a file size limit of 512 bytes stands in for it.
TEST_F(ProgramFiles, RemovesAHalfImage) {
    Program program({"/bin/sh", "-c", "ulimit -f 1; trap '' XFSZ; exec \"$0\" \"$@\"", ZUR_SIM,
                     "--make-image", fresh, "4096"},
                    "");
    const Ended ended = program.Finish();
    EXPECT_EQ(ended.exit, 3);
    EXPECT_NE(ended.err.find("File too large"), std::string::npos) << ended.err;
    EXPECT_FALSE(fs::exists(fresh));
}

} // namespace
