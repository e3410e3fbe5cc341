#pragma once
// The line trace: what went over the serial line, one chunk (one write or one read) per text line.
// The text form is stable, so a trace saved today can be attached to a support request and decoded
// by a later version:
//
//   <time µs> <direction> <bytes> [<end>]
//
// - time: a monotonic clock in microseconds (on Linux the system's CLOCK_MONOTONIC, so the tool's
//   trace and the simulator's trace of the same run share one time axis);
// - direction: TX from the tool (the master) to the controller, RX from the controller to the tool,
//   whichever end wrote the file;
// - bytes: two upper-case hex digits per byte separated by blanks, or "-" for none;
// - end, for the tool's reads: count (the count asked for arrived), silence (the line fell silent
//   after the last byte), timeout (the read's total time ran out), failed (the line failed),
//   frame (a fast read ended at the end of a whole frame, before the line fell silent); for a
//   write: failed when not every byte went out. Absent where the writer cannot know it.
// Lines starting with '#' are comments; the first line of a file says which program wrote it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "serial/LineTap.h"

namespace LineTrace {

inline constexpr const char* kHeader = "# zur-trace 1";

using LineTap::TDirection;
using LineTap::TEnd;

struct TChunk {
    uint64_t TimeUs = 0;
    TDirection Direction = TDirection::Tx;
    std::vector<uint8_t> Bytes;
    TEnd End = TEnd::None;

    bool operator==(const TChunk&) const = default;
};

// Microseconds of the monotonic clock the trace uses.
uint64_t NowUs();

// What a file holds, told from its first line and its bytes: a trace this version reads, or why not.
enum class TFileKind { Trace, Binary, NoHeader, UnknownVersion };
TFileKind Recognize(std::string_view Text);

// One line without its line break.
std::string Format(const TChunk& Chunk);
// The chunk of one line; nothing for a comment, a blank line or a line that is not a chunk.
std::optional<TChunk> Parse(std::string_view Line);

} // namespace LineTrace
