#pragma once
// Where an answer ends, for reads that stop at the end of a frame instead of waiting for the line
// to fall silent. Both protocols end a frame unambiguously: a command answer's length byte says how
// long it is, and a link reply ends at the first 0xFA that no 0x10 escapes.

#include <cstddef>
#include <cstdint>
#include <span>

namespace FrameEnd {

struct TProgress {
    // The bytes so far are exactly one complete frame that passes the framing checks.
    bool Complete = false;
    // At least this many more bytes belong to the frame; 0 when neither applies (the bytes cannot
    // become a well-formed frame by adding to them, or its length is unknown): read on by the
    // line's own rules.
    std::size_t AtLeast = 0;
};

// A command-protocol answer: length byte, checksum and trailer agree.
TProgress CommandAnswer(std::span<const uint8_t> Raw);
// A link-protocol reply from Address: a control frame, or a DATA frame whose checksum matches.
TProgress LinkReply(std::span<const uint8_t> Raw, uint8_t Address);

} // namespace FrameEnd
