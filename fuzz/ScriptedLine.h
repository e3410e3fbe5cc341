#pragma once
// A line whose answers come from a script instead of a device, so the protocol objects decode
// fuzzer input without opening anything or waiting on time-outs. One line serves input after
// input: Script starts afresh, and what it keeps allocated is reused.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "serial/CommPort.h"

namespace ScriptedLine {

using Piece = std::span<const uint8_t>;

// Byte strings in order, kept end to end in one buffer.
class TRecord {
public:
    void Clear();
    void Add(Piece Bytes);

    std::size_t size() const { return ends.size(); }
    bool empty() const { return ends.empty(); }
    Piece operator[](std::size_t Index) const;
    Piece back() const { return (*this)[ends.size() - 1]; }

private:
    std::vector<uint8_t> bytes;
    std::vector<std::size_t> ends;
};

class TScriptedLine : public CommPort::TCommPort {
public:
    // Each read takes the next answer; what a read leaves over stays in front of the next one, as
    // on the line. Forgets what was written before. The answers are not copied: they must stay
    // as they are until the next Script.
    void Script(std::span<const Piece> Answers);

    // Every frame written since Script, and every read's result, in order.
    const TRecord& Writes() const { return writes; }
    const TRecord& Reads() const { return reads; }

    bool WriteAll(const void* Buffer, int Count) override;
    int Read(void* Buffer, int Count) override;

private:
    std::span<const Piece> answers;
    std::vector<uint8_t> pending;
    TRecord writes, reads;
};

} // namespace ScriptedLine
