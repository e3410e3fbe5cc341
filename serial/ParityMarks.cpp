#include "serial/ParityMarks.h"

namespace ParityMarks {

namespace {
// The line discipline's escape byte: it starts every mark (see PARMRK in termios(3)).
constexpr uint8_t kEscape = 0xFF;
// Second byte of an error mark; the byte after it is the one received with the error.
constexpr uint8_t kErrorMark = 0x00;
} // namespace

size_t Decoder::Decode(uint8_t* Data, size_t Count) {
    size_t out = 0;
    for (size_t in = 0; in < Count; ++in) {
        const uint8_t byte = Data[in];
        switch (state) {
        case State::Plain:
            if (byte == kEscape)
                state = State::AfterEscape;
            else
                Data[out++] = byte;
            break;
        case State::AfterEscape:
            // FF FF stands for a received FF. The line discipline puts nothing else but 00 after
            // the escape, so any other byte is taken as it stands.
            if (byte == kErrorMark) {
                state = State::AfterEscapeZero;
            } else {
                Data[out++] = byte;
                state = State::Plain;
            }
            break;
        case State::AfterEscapeZero:
            Data[out++] = byte;
            state = State::Plain;
            break;
        }
    }
    return out;
}

} // namespace ParityMarks
