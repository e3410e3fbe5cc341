#include "trace/LineTrace.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>

#include "serial/Hex.h"

namespace LineTrace {

namespace {

constexpr std::array<const char*, 6> kEndNames{"", "count", "silence", "timeout", "failed", "frame"};

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

// The blank-separated tokens of a line, one at a time: reading a line keeps none of them.
class TTokens {
public:
    explicit TTokens(std::string_view Line) : rest(Line) {}

    // The next token; empty once none is left.
    std::string_view Next() {
        const size_t start = rest.find_first_not_of(" \t\r");
        if (start == std::string_view::npos) {
            rest = {};
            return {};
        }
        const size_t end = std::min(rest.find_first_of(" \t\r", start), rest.size());
        const std::string_view token = rest.substr(start, end - start);
        rest.remove_prefix(end);
        return token;
    }
    // At most this many two-character tokens (hex bytes) are left.
    size_t MostPairsLeft() const { return (rest.size() + 1) / 3; }

private:
    std::string_view rest;
};

} // namespace

uint64_t NowUs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

TFileKind Recognize(std::string_view Text) {
    // A text trace holds no control characters but its blanks and line ends.
    const auto binary = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F;
    };
    if (std::ranges::any_of(Text, binary))
        return TFileKind::Binary;
    std::string_view first = Text.substr(0, Text.find('\n'));
    while (!first.empty() && (first.back() == '\r' || first.back() == ' ' || first.back() == '\t'))
        first.remove_suffix(1);
    constexpr std::string_view kFormat = "# zur-trace";
    if (first == kHeader)
        return TFileKind::Trace;
    return first.starts_with(kFormat) ? TFileKind::UnknownVersion : TFileKind::NoHeader;
}

std::string Format(const TChunk& Chunk) {
    std::string line = std::to_string(Chunk.TimeUs);
    line.reserve(line.size() + 3 * Chunk.Bytes.size() + 16);
    line += Chunk.Direction == TDirection::Tx ? " TX " : " RX ";
    if (Chunk.Bytes.empty())
        line += '-';
    Hex::AppendBytes(line, Chunk.Bytes);
    if (Chunk.End != TEnd::None) {
        line += ' ';
        line += kEndNames[static_cast<size_t>(Chunk.End)];
    }
    return line;
}

std::optional<TChunk> Parse(std::string_view Line) {
    TTokens tokens(Line);
    const std::string_view time = tokens.Next(), direction = tokens.Next();
    std::string_view token = tokens.Next();
    if (token.empty() || time.starts_with('#'))
        return std::nullopt;
    TChunk chunk;
    const auto [end, ec] = std::from_chars(time.data(), time.data() + time.size(), chunk.TimeUs);
    if (ec != std::errc() || end != time.data() + time.size())
        return std::nullopt;
    if (direction == "TX")
        chunk.Direction = TDirection::Tx;
    else if (direction == "RX")
        chunk.Direction = TDirection::Rx;
    else
        return std::nullopt;
    if (token == "-") {
        token = tokens.Next();
    } else {
        chunk.Bytes.reserve(tokens.MostPairsLeft() + 1);
        for (; !token.empty(); token = tokens.Next()) {
            const auto byte = HexByte(token);
            if (!byte)
                break;
            chunk.Bytes.push_back(*byte);
        }
    }
    if (!token.empty()) {
        const auto why = EndNamed(token);
        if (!why)
            return std::nullopt;
        chunk.End = *why;
        token = tokens.Next();
    }
    if (!token.empty())
        return std::nullopt;
    return chunk;
}

} // namespace LineTrace
