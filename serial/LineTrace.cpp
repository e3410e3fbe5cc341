#include "serial/LineTrace.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>

namespace LineTrace {

namespace {

constexpr std::array<const char*, 5> kEndNames{"", "count", "silence", "timeout", "failed"};
constexpr char kDigits[] = "0123456789ABCDEF";

std::optional<uint8_t> HexByte(std::string_view Token) {
    if (Token.size() != 2)
        return std::nullopt;
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(Token.data(), Token.data() + 2, value, 16);
    if (ec != std::errc() || end != Token.data() + 2)
        return std::nullopt;
    return static_cast<uint8_t>(value);
}

std::optional<TEnd> EndNamed(std::string_view Name) {
    for (size_t i = 1; i < kEndNames.size(); ++i) {
        if (Name == kEndNames[i])
            return static_cast<TEnd>(i);
    }
    return std::nullopt;
}

// Blank-separated tokens of a line.
std::vector<std::string_view> Tokens(std::string_view Line) {
    std::vector<std::string_view> tokens;
    // One allocation for the tokens of a line its writer made: one per blank.
    tokens.reserve(static_cast<size_t>(std::ranges::count(Line, ' ')) + 1);
    size_t at = 0;
    while (at < Line.size()) {
        const size_t start = Line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos)
            break;
        const size_t end = std::min(Line.find_first_of(" \t\r", start), Line.size());
        tokens.push_back(Line.substr(start, end - start));
        at = end;
    }
    return tokens;
}

} // namespace

uint64_t NowUs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

std::string Format(const TChunk& Chunk) {
    std::string line = std::to_string(Chunk.TimeUs);
    line.reserve(line.size() + 3 * Chunk.Bytes.size() + 16);
    line += Chunk.Direction == TDirection::Tx ? " TX" : " RX";
    if (Chunk.Bytes.empty())
        line += " -";
    for (const uint8_t byte : Chunk.Bytes) {
        line += ' ';
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
    }
    if (Chunk.End != TEnd::None) {
        line += ' ';
        line += kEndNames[static_cast<size_t>(Chunk.End)];
    }
    return line;
}

std::optional<TChunk> Parse(std::string_view Line) {
    const std::vector<std::string_view> tokens = Tokens(Line);
    if (tokens.size() < 3 || tokens[0].starts_with('#'))
        return std::nullopt;
    TChunk chunk;
    const auto [end, ec] =
        std::from_chars(tokens[0].data(), tokens[0].data() + tokens[0].size(), chunk.TimeUs);
    if (ec != std::errc() || end != tokens[0].data() + tokens[0].size())
        return std::nullopt;
    if (tokens[1] == "TX")
        chunk.Direction = TDirection::Tx;
    else if (tokens[1] == "RX")
        chunk.Direction = TDirection::Rx;
    else
        return std::nullopt;
    size_t next = 2;
    if (tokens[next] == "-") {
        ++next;
    } else {
        chunk.Bytes.reserve(tokens.size() - next);
        for (; next < tokens.size(); ++next) {
            const auto byte = HexByte(tokens[next]);
            if (!byte)
                break;
            chunk.Bytes.push_back(*byte);
        }
    }
    if (next < tokens.size()) {
        const auto why = EndNamed(tokens[next]);
        if (!why)
            return std::nullopt;
        chunk.End = *why;
        ++next;
    }
    if (next != tokens.size())
        return std::nullopt;
    return chunk;
}

TEnd ReadEnd(int Got, int Count, bool SilencePassed, bool TotalPassed) {
    if (Got >= Count)
        return TEnd::Count;
    if (SilencePassed && Got > 0)
        return TEnd::Silence;
    if (TotalPassed)
        return TEnd::Timeout;
    return TEnd::Failed;
}

} // namespace LineTrace
