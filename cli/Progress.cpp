#include "cli/Progress.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <unistd.h>

namespace Progress {
namespace {

constexpr std::size_t kBlockBytes = 33; // body bytes in each block but the last

std::string Duration(double Seconds) {
    const auto whole = static_cast<long>(Seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

} // namespace

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

TProgressLine::TProgressLine(std::ostream& Err, bool Terminal, std::size_t BodyBytes)
    : err(Err), terminal(Terminal), bodyBytes(BodyBytes),
      blocks((BodyBytes + kBlockBytes - 1) / kBlockBytes) {}

TProgressLine::~TProgressLine() {
    if (terminal && blocksDone > 0)
        err << '\n' << std::flush;
}

void TProgressLine::SetState(const std::u16string&, int Percent) {
    const auto now = std::chrono::steady_clock::now();
    if (!opened) {
        opened = true;
        start = now;
        return;
    }
    ++blocksDone;
    const std::size_t bytes = std::min(blocksDone * kBlockBytes, bodyBytes);
    const double seconds = std::chrono::duration<double>(now - start).count();
    const double rate = seconds > 0 ? static_cast<double>(bytes) / seconds : 0;
    const double left = rate > 0 ? static_cast<double>(bodyBytes - bytes) / rate : 0;
    char line[128];
    std::snprintf(line, sizeof line, "%3d%%  %zu/%zu blocks  %.0f B/s  %s left", Percent, blocksDone, blocks,
                  rate, Duration(left).c_str());
    if (terminal) {
        // Blanks at the end cover a longer line before.
        err << '\r' << line << "   " << std::flush;
        return;
    }
    if (Percent / 10 > tenthsShown) {
        tenthsShown = Percent / 10;
        err << "update: " << line << '\n' << std::flush;
    }
}

} // namespace Progress
