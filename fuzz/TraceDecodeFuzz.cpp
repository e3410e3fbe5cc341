// The trace decoder: any trace, however garbled, decodes into lines and never fails. Input: chunks
// (a length byte, then a flag byte: bit 0 the direction, bits 1 to 3 how the chunk ended; the rest
// the bytes), fed to the decoder directly and, written out and read back, as trace text; the raw
// input is decoded as trace text too.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTarget.h"
#include "trace/LineTrace.h"
#include "trace/TraceDecoder.h"

namespace {

using FuzzCheck::Require;

constexpr uint64_t kStepUs = 25'000; // apart, as the tool's reads are

// Into Out, whose byte buffer is reused from chunk to chunk.
void Chunk(FuzzInput::Piece Piece, std::size_t Index, LineTrace::TChunk& Out) {
    Out.TimeUs = Index * kStepUs;
    Out.Direction = LineTrace::TDirection::Tx;
    Out.End = LineTrace::TEnd::None;
    Out.Bytes.clear();
    if (Piece.empty())
        return;
    Out.Direction = (Piece[0] & 1) ? LineTrace::TDirection::Rx : LineTrace::TDirection::Tx;
    Out.End = static_cast<LineTrace::TEnd>((Piece[0] >> 1) % 5);
    Out.Bytes.assign(Piece.begin() + 1, Piece.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size) {
    const std::span input(Data, Size);
    TraceDecoder::DecodeText(std::string_view(reinterpret_cast<const char*>(Data), Size));

    // Kept from input to input, emptied and refilled each time.
    static std::vector<FuzzInput::Piece> pieces;
    static std::vector<std::string> direct;
    static std::string text;
    static LineTrace::TChunk chunk;
    FuzzInput::TReader(input).Answers(pieces);
    TraceDecoder::TDecoder decoder;
    text = LineTrace::kHeader;
    text += '\n';
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Chunk(pieces[i], i, chunk);
        const std::string line = LineTrace::Format(chunk);
        Require(LineTrace::Parse(line) == chunk, "a chunk reads back as written");
        text += line;
        text += '\n';
        const std::size_t before = direct.size();
        decoder.Feed(chunk, direct);
        Require(direct.size() > before, "every chunk has its line");
    }
    decoder.Finish(direct);
    Require(TraceDecoder::DecodeText(text) == direct, "a saved trace decodes as it did live");
    // Freed within the run: libFuzzer takes more allocations than frees in a run for a leak and
    // runs the input again to look for it.
    direct.clear();
    return 0;
}
