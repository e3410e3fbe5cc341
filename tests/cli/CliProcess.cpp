#include "tests/cli/CliProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace CliProcess {

TCliProcess::TCliProcess(const std::vector<std::string>& Arguments, const std::string& StandardOutput) {
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    if (!StandardOutput.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, StandardOutput.c_str(), O_WRONLY, 0);
    std::vector<std::string> words{ZUR_CLI};
    words.insert(words.end(), Arguments.begin(), Arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int failed = posix_spawn(&pid, ZUR_CLI, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    out = outPipe[0];
    err = errPipe[0];
    if (failed != 0)
        throw std::runtime_error("zur-cli did not start");
}

TCliProcess::~TCliProcess() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (out >= 0)
        close(out);
    if (err >= 0)
        close(err);
}

void TCliProcess::Signal(int Number) {
    kill(pid, Number);
}

TResult TCliProcess::Finish() {
    TResult result;
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* texts[2] = {&result.Out, &result.Err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char chunk[4096];
            const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                texts[i]->append(chunk, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    result.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

TResult RunCli(const std::vector<std::string>& Arguments, const std::string& StandardOutput) {
    return TCliProcess(Arguments, StandardOutput).Finish();
}

} // namespace CliProcess
