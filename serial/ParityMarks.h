#pragma once
// Undoes the marks the Linux line discipline puts into the input when parity errors are marked
// (INPCK with PARMRK): a received 0xFF arrives as FF FF, a byte X with a parity or framing error as
// FF 00 X, a break as FF 00 00. The line must deliver every byte as it was received, so each mark
// becomes the byte it stands for. A mark may be split between two reads; the decoder keeps its place.

#include <cstddef>
#include <cstdint>

namespace ParityMarks {

class Decoder {
public:
    // Decodes Count raw bytes at Data in place; returns how many decoded bytes now begin at Data
    // (never more than Count).
    size_t Decode(uint8_t* Data, size_t Count);
    // Forgets a mark begun in earlier input (after the input queue was flushed).
    void Reset() { state = State::Plain; }

private:
    enum class State { Plain, AfterEscape, AfterEscapeZero };
    State state = State::Plain;
};

} // namespace ParityMarks
