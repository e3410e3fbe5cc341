#include "cli/Progress.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <unistd.h>

#include "cli/CliTexts.h"
#include "service/FirmwareUpdate.h"
#include "service/Texts.h"

namespace Progress {
namespace {

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
    : err(Err), terminal(Terminal), bodyBytes(BodyBytes), start(std::chrono::steady_clock::now()) {}

TProgressLine::~TProgressLine() {
    if (terminal && shown)
        err << '\n' << std::flush;
}

void TProgressLine::Say(const std::string& Doing) {
    if (terminal)
        Rewrite(CliTexts::kProgressPrefix + attempt + Doing);
}

void TProgressLine::Attempt(int Number, int Of) {
    // The attempt before keeps its line.
    if (terminal && shown)
        err << '\n' << std::flush;
    shownWidth = 0;
    tenthsShown = 0;
    attempt = CliTexts::AttemptOf(Number, Of);
    if (!terminal)
        err << CliTexts::kProgressPrefix << attempt << '\n' << std::flush;
}

void TProgressLine::Rewrite(const std::string& Line) {
    // Characters on the screen: UTF-8 continuation bytes take no column of their own.
    const auto width = static_cast<std::size_t>(
        std::ranges::count_if(Line, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    // Blanks at the end cover a longer line before.
    err << '\r' << Line << std::string(shownWidth > width ? shownWidth - width : 0, ' ') << std::flush;
    shownWidth = width;
    shown = true;
}

void TProgressLine::Start() {
    start = std::chrono::steady_clock::now();
}

void TProgressLine::Block(std::size_t Acknowledged, std::size_t Blocks) {
    const std::size_t bytes =
        std::min(Acknowledged * static_cast<std::size_t>(FirmwareUpdate::kBlockBytes), bodyBytes);
    // Of the body acknowledged: a block that failed moves nothing.
    const int percent = bodyBytes > 0 ? static_cast<int>(bytes * 100 / bodyBytes) : 100;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = seconds > 0 ? static_cast<double>(bytes) / seconds : 0;
    const double left = rate > 0 ? static_cast<double>(bodyBytes - bytes) / rate : 0;
    char line[128];
    std::snprintf(line, sizeof line, CliTexts::kProgressFormat, percent, Acknowledged, Blocks, rate,
                  Duration(left).c_str());
    if (terminal) {
        Rewrite(attempt + line);
        return;
    }
    shown = true;
    if (percent / 10 > tenthsShown) {
        tenthsShown = percent / 10;
        err << CliTexts::kProgressPrefix << attempt << line << '\n' << std::flush;
    }
}

} // namespace Progress
