// The trace decoder: any trace, however garbled, decodes into lines and never fails. Input: chunks
// (a length byte, then a flag byte: bit 0 the direction, bits 1 to 3 how the chunk ended; the rest
// the bytes), fed to the decoder directly and, written out and read back, as trace text; the raw
// input is decoded as trace text too.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTarget.h"
#include "serial/LineTrace.h"
#include "trace/TraceDecoder.h"

namespace {

using FuzzCheck::Require;

constexpr uint64_t kStepUs = 25'000; // apart, as the tool's reads are

LineTrace::TChunk Chunk(FuzzInput::Piece Piece, std::size_t Index) {
    LineTrace::TChunk chunk;
    chunk.TimeUs = Index * kStepUs;
    if (Piece.empty())
        return chunk;
    chunk.Direction = (Piece[0] & 1) ? LineTrace::TDirection::Rx : LineTrace::TDirection::Tx;
    chunk.End = static_cast<LineTrace::TEnd>((Piece[0] >> 1) % 5);
    chunk.Bytes.assign(Piece.begin() + 1, Piece.end());
    return chunk;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size) {
    const std::span input(Data, Size);
    TraceDecoder::DecodeText(std::string_view(reinterpret_cast<const char*>(Data), Size));

    // Kept from input to input, refilled each time.
    static std::vector<FuzzInput::Piece> pieces;
    FuzzInput::TReader(input).Answers(pieces);
    TraceDecoder::TDecoder decoder;
    std::vector<std::string> direct;
    std::string text = std::string(LineTrace::kHeader) + "\n";
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const LineTrace::TChunk chunk = Chunk(pieces[i], i);
        const std::string line = LineTrace::Format(chunk);
        Require(LineTrace::Parse(line) == chunk, "a chunk reads back as written");
        text += line + "\n";
        std::vector<std::string> lines = decoder.Feed(chunk);
        Require(!lines.empty(), "every chunk has its line");
        direct.insert(direct.end(), std::make_move_iterator(lines.begin()),
                      std::make_move_iterator(lines.end()));
    }
    std::vector<std::string> rest = decoder.Finish();
    direct.insert(direct.end(), std::make_move_iterator(rest.begin()), std::make_move_iterator(rest.end()));
    Require(TraceDecoder::DecodeText(text) == direct, "a saved trace decodes as it did live");
    return 0;
}
