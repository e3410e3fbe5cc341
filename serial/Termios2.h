#pragma once
// Line settings through the kernel's termios2 interface, which takes any speed in bit/s
// (7200 and 14400 have no B-constant). Kept apart from <termios.h>, whose declarations clash with
// the kernel's own termios headers.

#include <chrono>
#include <cstdint>

namespace Termios2 {

// The device-control values the port is created with, as the caller passes them.
struct LineSettings {
    uint32_t BaudRate;
    uint32_t DcbFlags; // bit 1 checks parity; bit 2 CTS output flow; bits 8 and 9 XON/XOFF out and in
    uint8_t Parity;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t StopBits;  // 0 one, 1 one and a half (taken as two), 2 two
    uint8_t ByteSize;  // 5 to 8 data bits
};

// True when the settings check parity; the input then carries marks for ParityMarks to undo.
bool MarksParityErrors(const LineSettings& Settings);

// Puts the line into raw mode with Settings. The result is not examined: a line that refuses
// runs with what its driver kept.
void Apply(int Fd, const LineSettings& Settings);

// The output speed in bit/s the line reports, 0 when it cannot be read.
uint32_t OutputSpeed(int Fd);

// How long one character takes on the line as it is set (start bit, data bits, parity bit if any,
// stop bits, at the output speed); zero when the line cannot tell.
std::chrono::nanoseconds CharacterTime(int Fd);

} // namespace Termios2
