#pragma once
// Turns a line trace into readable lines: for each chunk its time, the gap before it, direction,
// bytes and how a read ended; under it every frame of either protocol that ends in it (frames cut
// across reads are joined, and bytes in front of a frame are shown as stray), and for the tool's
// own reads what the tool made of the read. Bytes that form no frame are shown as unknown: any
// input decodes, none fails.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "trace/LineTrace.h"
#include "trace/ToolVerdict.h"
#include "trace/WireFrames.h"

namespace TraceDecoder {

class TDecoder {
public:
    // The lines for one more chunk, its own line first.
    std::vector<std::string> Feed(const LineTrace::TChunk& Chunk);
    // The same lines, appended to Lines.
    void Feed(const LineTrace::TChunk& Chunk, std::vector<std::string>& Lines);
    // The lines for bytes still waiting for the rest of a frame when the trace ends.
    std::vector<std::string> Finish();
    void Finish(std::vector<std::string>& Lines);

private:
    struct TStream {
        std::vector<uint8_t> Pending;
        std::size_t Carried = 0; // pending bytes that came in earlier chunks
        // For each pending byte, the search for an intact command frame starting there; valid
        // while bytes are only added, emptied when any are taken.
        std::vector<WireFrames::TCommandSearch> Searches;
    };
    // Returns how many frames it found.
    int Drain(TStream& Stream, bool Answers, bool Final, std::vector<std::string>& Lines);
    void Describe(WireFrames::TProtocol Protocol, std::span<const uint8_t> Frame, bool Answer,
                  std::vector<std::string>& Lines);
    std::string Verdict(std::span<const uint8_t> Read) const;

    std::optional<uint64_t> FirstUs, LastUs;
    TStream Requests, Answers;
    std::optional<WireFrames::TProtocol> LastProtocol;
    std::optional<ToolVerdict::TCommandRequest> LastCommand;
    std::optional<LinkFrame::TRequest> LastLink;
    uint8_t LinkAddress = 0xFF; // the service tool's link address until a frame says otherwise
};

// A whole trace as text: comment lines are skipped, lines that are no chunk are shown as such.
std::vector<std::string> DecodeText(std::string_view Text);

} // namespace TraceDecoder
