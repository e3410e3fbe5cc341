#include "trace/TraceDecoder.h"

#include "link/LinkFrame.h"
#include "protocol/CommandSet.h"
#include "serial/Hex.h"
#include "trace/FrameText.h"

#include <cstdio>
#include <utility>

namespace TraceDecoder {

namespace {

using WireFrames::TProtocol;

// Bytes kept waiting for the rest of a frame: more than any frame of either protocol takes on the
// line, stuffing included.
constexpr std::size_t kLongestWait = 600;
constexpr const char* kIndent = "    ";

// Milliseconds with three decimals, appended to Out.
void AppendMs(std::string& Out, uint64_t Us) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%.3f", static_cast<double>(Us) / 1000.0);
    Out.append(text, static_cast<std::size_t>(n));
}

// A line that starts with the indent under a chunk's own line.
std::string Indented(std::size_t Reserve) {
    std::string line;
    line.reserve(Reserve + 4);
    line = kIndent;
    return line;
}

const char* EndName(LineTrace::TEnd End) {
    switch (End) {
    case LineTrace::TEnd::Count:
        return "count reached";
    case LineTrace::TEnd::Silence:
        return "ended by silence";
    case LineTrace::TEnd::Timeout:
        return "ended by the total time-out";
    case LineTrace::TEnd::Failed:
        return "failed";
    case LineTrace::TEnd::Frame:
        return "ended at the frame end";
    case LineTrace::TEnd::None:
        break;
    }
    return "";
}

TProtocol Other(TProtocol Protocol) {
    return Protocol == TProtocol::Command ? TProtocol::Link : TProtocol::Command;
}

WireFrames::TCut Cut(TProtocol Protocol, std::span<const uint8_t> Bytes, bool Answer) {
    return Protocol == TProtocol::Command ? WireFrames::CutCommand(Bytes, Answer)
                                          : WireFrames::CutLink(Bytes);
}

struct TFound {
    std::size_t Stray = 0;  // bytes in front of the frame that belong to none
    std::size_t Length = 0; // 0: no frame
    TProtocol Protocol = TProtocol::Command;
};

// The next frame in Bytes: an intact one at the front, else an intact one further on that starts
// with an address the tool uses (what lies before it is stray), else a damaged one at the front.
// Length 0 when the bytes may still grow into a frame.
TFound NextFrame(std::span<const uint8_t> Bytes, bool Answer, TProtocol Hint,
                 std::optional<uint8_t> CommandAddress, uint8_t LinkAddress,
                 std::vector<WireFrames::TCommandSearch>& Searches) {
    Searches.resize(Bytes.size());
    const TProtocol order[] = {Hint, Other(Hint)};
    // A cut scans to the end; where no intact frame can start, it is not made.
    const std::optional<std::size_t> lastTrailerEnd = WireFrames::LastCommandTrailerEnd(Bytes);
    const auto mayStartIntact = [&](TProtocol Protocol, std::size_t At) {
        return Protocol == TProtocol::Link
                   ? Bytes[At] == LinkAddress
                   : lastTrailerEnd && *lastTrailerEnd >= At + WireFrames::kShortestCommandFrame;
    };
    // Any byte may start a command frame while the tool's command address is not known.
    const bool anyCommandStart = !CommandAddress.has_value();
    const uint8_t commandStart = CommandAddress.value_or(0);
    for (std::size_t at = 0; at < Bytes.size(); ++at) {
        // Looking for a frame at every byte of a noisy line would cost a checksum per byte and trailer.
        if (at > 0 && Bytes[at] != LinkAddress && !anyCommandStart && Bytes[at] != commandStart)
            continue;
        for (const TProtocol protocol : order) {
            if (!mayStartIntact(protocol, at))
                continue;
            const auto rest = Bytes.subspan(at);
            if (protocol == TProtocol::Command) {
                // Carries on where the last chunk's search from this byte stopped.
                if (const auto length = WireFrames::IntactCommandLength(rest, Searches[at]))
                    return {at, *length, protocol};
                continue;
            }
            const WireFrames::TCut cut = WireFrames::CutLink(rest);
            if (cut.Fit == WireFrames::TFit::Frame &&
                WireFrames::IsIntact(protocol, rest.first(cut.Length), Answer, LinkAddress))
                return {at, cut.Length, protocol};
        }
    }
    for (const TProtocol protocol : order) {
        const WireFrames::TCut cut = Cut(protocol, Bytes, Answer);
        if (cut.Fit == WireFrames::TFit::Frame)
            return {0, cut.Length, protocol};
        if (protocol == Hint)
            return {}; // the expected protocol is still waiting for its end
    }
    return {};
}

} // namespace

std::vector<std::string> TDecoder::Feed(const LineTrace::TChunk& Chunk) {
    std::vector<std::string> lines;
    Feed(Chunk, lines);
    return lines;
}

void TDecoder::Feed(const LineTrace::TChunk& Chunk, std::vector<std::string>& Lines) {
    if (!FirstUs)
        FirstUs = Chunk.TimeUs;
    const bool tx = Chunk.Direction == LineTrace::TDirection::Tx;
    std::string head;
    head.reserve(96 + 3 * Chunk.Bytes.size());
    AppendMs(head, Chunk.TimeUs >= *FirstUs ? Chunk.TimeUs - *FirstUs : 0);
    head += " ms";
    if (LastUs) {
        if (Chunk.TimeUs >= *LastUs) {
            head += "  +";
            AppendMs(head, Chunk.TimeUs - *LastUs);
            head += " ms";
        } else {
            head += "  (clock went back)";
        }
    }
    LastUs = Chunk.TimeUs;
    head += tx ? "  TX " : "  RX ";
    if (Chunk.Bytes.empty()) {
        head += "nothing";
    } else {
        head += std::to_string(Chunk.Bytes.size());
        head += " bytes";
    }
    if (Chunk.End != LineTrace::TEnd::None) {
        head += ", ";
        head += tx ? "not every byte went out" : EndName(Chunk.End);
    }
    if (!Chunk.Bytes.empty()) {
        head += ": ";
        Hex::AppendBytes(head, Chunk.Bytes);
    }
    Lines.push_back(std::move(head));

    TStream& stream = tx ? Requests : Answers;
    stream.Pending.insert(stream.Pending.end(), Chunk.Bytes.begin(), Chunk.Bytes.end());
    const int frames = Drain(stream, !tx, false, Lines);
    // Only the tool's own reads say how they ended, and only they were checked by the tool.
    if (!tx && Chunk.End != LineTrace::TEnd::None) {
        if (frames > 1)
            Lines.push_back(kIndent + std::to_string(frames) +
                            " frames ended in this read; the tool takes a read as one answer");
        const std::string verdict = Verdict(Chunk.Bytes);
        if (!verdict.empty())
            Lines.push_back(kIndent + verdict);
    }
}

std::vector<std::string> TDecoder::Finish() {
    std::vector<std::string> lines;
    Finish(lines);
    return lines;
}

void TDecoder::Finish(std::vector<std::string>& Lines) {
    Drain(Requests, false, true, Lines);
    Drain(Answers, true, true, Lines);
}

int TDecoder::Drain(TStream& Stream, bool Answer, bool Final, std::vector<std::string>& Lines) {
    std::vector<uint8_t>& pending = Stream.Pending;
    int frames = 0;
    while (!pending.empty()) {
        const TProtocol hint = LastProtocol.value_or(TProtocol::Command);
        // Answers come from the address the request went to (0 for the address query).
        const std::optional<uint8_t> commandAddress =
            LastCommand ? std::optional<uint8_t>(LastCommand->Address) : std::nullopt;
        TFound found = NextFrame(pending, Answer, hint, commandAddress, LinkAddress, Stream.Searches);
        if (found.Length == 0) {
            if (!Final && pending.size() <= kLongestWait) {
                std::string line = Indented(48 + 3 * pending.size());
                line += std::to_string(pending.size());
                line += " bytes wait for the rest of a frame: ";
                Hex::AppendBytes(line, pending);
                Lines.push_back(std::move(line));
                Stream.Carried = pending.size();
                return frames;
            }
            found.Stray = pending.size();
        }
        const std::size_t used = found.Stray + found.Length;
        if (Stream.Carried > 0) {
            Lines.push_back(kIndent + std::string("joined with ") +
                            std::to_string(std::min(Stream.Carried, used)) + " bytes from before:");
            Stream.Carried -= std::min(Stream.Carried, used);
        }
        const std::span<const uint8_t> bytes(pending);
        if (found.Stray > 0) {
            std::string line = Indented(32 + 3 * found.Stray);
            line += found.Length > 0 ? "stray bytes before the frame: " : "unknown bytes, no frame: ";
            Hex::AppendBytes(line, bytes.first(found.Stray));
            Lines.push_back(std::move(line));
        }
        if (found.Length > 0) {
            Describe(found.Protocol, bytes.subspan(found.Stray, found.Length), Answer, Lines);
            ++frames;
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(used));
        Stream.Searches.clear();
    }
    Stream.Carried = 0;
    return frames;
}

void TDecoder::Describe(TProtocol Protocol, std::span<const uint8_t> Frame, bool Answer,
                        std::vector<std::string>& Lines) {
    const std::vector<std::string> text =
        Protocol == TProtocol::Command ? FrameText::Command(Frame, Answer) : FrameText::Link(Frame, Answer);
    for (const std::string& line : text) {
        std::string indented = Indented(line.size());
        indented += line;
        Lines.push_back(std::move(indented));
    }
    if (Answer)
        return;
    // What the tool sent decides what it expects back.
    LastProtocol = Protocol;
    if (Protocol == TProtocol::Link) {
        LinkAddress = Frame[0];
        const uint8_t kind = LinkFrame::Kind(Frame[1]);
        if (kind == LinkFrame::kData || kind == LinkFrame::kPoll)
            LastLink = LinkFrame::TRequest{.Kind = kind, .Tx = LinkFrame::Tx(Frame[1]), .Address = Frame[0]};
        return;
    }
    const std::vector<uint8_t> body = WireFrames::UnstuffCommand(Frame).Body;
    if (body.size() < 2)
        return;
    ToolVerdict::TCommandRequest request{body[0], body[1], std::nullopt};
    // GetParam and SetParam: length, then the parameter id.
    if ((body[1] == CommandSet::kGetParam || body[1] == CommandSet::kSetParam) && body.size() > 3)
        request.Parameter = body[3];
    LastCommand = request;
}

std::string TDecoder::Verdict(std::span<const uint8_t> Read) const {
    if (LastProtocol == TProtocol::Link && LastLink)
        return ToolVerdict::LinkRead(Read, *LastLink);
    if (LastProtocol == TProtocol::Command && LastCommand)
        return ToolVerdict::CommandRead(Read, *LastCommand);
    return "";
}

std::vector<std::string> DecodeText(std::string_view Text) {
    TDecoder decoder;
    std::vector<std::string> lines;
    std::size_t number = 0;
    while (!Text.empty()) {
        const std::size_t end = Text.find('\n');
        const std::string_view line = Text.substr(0, end);
        Text = end == std::string_view::npos ? std::string_view() : Text.substr(end + 1);
        ++number;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || line[first] == '#')
            continue;
        const auto chunk = LineTrace::Parse(line);
        if (!chunk) {
            std::string text;
            text.reserve(48 + line.size());
            text += "line ";
            text += std::to_string(number);
            text += " is not a trace line: ";
            text += line;
            lines.push_back(std::move(text));
            continue;
        }
        decoder.Feed(*chunk, lines);
    }
    decoder.Finish(lines);
    return lines;
}

} // namespace TraceDecoder
