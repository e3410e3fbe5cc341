#include "tests/qemu/HostLink.h"

#include <chrono>
#include <cstdio>

#include <poll.h>
#include <unistd.h>

namespace HostLink {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kConsoleOut = STDOUT_FILENO;
constexpr int kConsoleIn = STDIN_FILENO;
constexpr auto kReplyWait = std::chrono::seconds(10);

void WriteAll(const std::string& Text) {
    size_t done = 0;
    while (done < Text.size()) {
        const ssize_t n = write(kConsoleOut, Text.data() + done, Text.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

} // namespace

std::string Ask(const std::string& Request) {
    // Numbered, so that a reply that came too late for its request is never taken for the next.
    static int sequence = 0;
    const std::string number = std::to_string(++sequence);
    // The test's own output goes first, so that the request stands on a line of its own.
    std::fflush(stdout);
    WriteAll("@@lane " + number + " " + Request + "\n");

    const std::string wanted = "=" + number + " ";
    const auto deadline = Clock::now() + kReplyWait;
    std::string line;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd input{kConsoleIn, POLLIN, 0};
        if (left <= 0 || poll(&input, 1, static_cast<int>(left)) <= 0)
            return "no reply";
        char c = 0;
        if (read(kConsoleIn, &c, 1) != 1)
            return "no reply";
        if (c != '\n') {
            line += c;
            continue;
        }
        // The console echoes what the host types; only the numbered reply counts.
        if (line.starts_with(wanted))
            return line.substr(wanted.size());
        line.clear();
    }
}

} // namespace HostLink
