#pragma once
// zur-cli started as a process, as a script starts it: its exit code, standard output and standard
// error.

#include <string>
#include <sys/types.h>
#include <vector>

namespace CliProcess {

struct TResult {
    int Exit = -1; // the exit code; 128 + the signal when a signal ended it
    std::string Out, Err;
};

class TCliProcess {
public:
    // StandardOutput: a file its standard output goes to instead of the pipe read here.
    explicit TCliProcess(const std::vector<std::string>& Arguments, const std::string& StandardOutput = "");
    ~TCliProcess();
    TCliProcess(const TCliProcess&) = delete;
    TCliProcess& operator=(const TCliProcess&) = delete;

    void Signal(int Number);
    // Reads what it prints until it ends (its output fits the pipes' buffers), then reaps it.
    TResult Finish();

private:
    pid_t pid = -1;
    int out = -1, err = -1;
};

TResult RunCli(const std::vector<std::string>& Arguments, const std::string& StandardOutput = "");

} // namespace CliProcess
