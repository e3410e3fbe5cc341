#include "tests/qemu/ChipTrace.h"

#include <cstdio>

namespace ChipTrace {
namespace {

// 16550 registers (offsets) and their bits.
constexpr unsigned kLineControl = 3;
constexpr unsigned kModemControl = 4;
constexpr unsigned kLcrBreak = 0x40;
constexpr unsigned kMcrDtr = 0x01;
constexpr unsigned kMcrRts = 0x02;

// FTDI vendor requests as QEMU traces them: request type 0x40 (vendor, out) and the request.
constexpr unsigned kFtdiModemControl = 0x4001;
constexpr unsigned kFtdiSetData = 0x4004;
constexpr unsigned kFtdiDtr = 0x0001, kFtdiDtrValid = 0x0100;
constexpr unsigned kFtdiRts = 0x0002, kFtdiRtsValid = 0x0200;
constexpr unsigned kFtdiBreak = 0x4000;

bool Starts(const std::string& Line, const char* Event) {
    return Line.starts_with(Event) && Line.size() > std::char_traits<char>::length(Event) &&
           Line[std::char_traits<char>::length(Event)] == ' ';
}

std::string Framing(char Parity, int Data, int Stop) {
    return std::string(1, Parity) + " " + std::to_string(Data) + " " + std::to_string(Stop);
}

std::string OnOff(std::optional<bool> Value) {
    return !Value ? "unseen" : *Value ? "on" : "off";
}

} // namespace

void TChips::Feed(const std::string& TraceLine) {
    const char* line = TraceLine.c_str();
    long speed = 0;
    char parity = 0;
    int data = 0, stop = 0;
    unsigned address = 0, value = 0, request = 0;
    if (Starts(TraceLine, "serial_update_parameters") &&
        std::sscanf(line, "serial_update_parameters baudrate=%ld parity='%c' data=%d stop=%d", &speed,
                    &parity, &data, &stop) == 4) {
        uart.Speed = speed;
        uart.Framing = Framing(parity, data, stop);
    } else if (Starts(TraceLine, "serial_write") &&
               std::sscanf(line, "serial_write write addr 0x%x val 0x%x", &address, &value) == 2) {
        if (address == kLineControl)
            uart.Break = (value & kLcrBreak) != 0;
        else if (address == kModemControl) {
            uart.Dtr = (value & kMcrDtr) != 0;
            uart.Rts = (value & kMcrRts) != 0;
        }
    } else if (Starts(TraceLine, "usb_serial_set_baud") &&
               std::sscanf(line, "usb_serial_set_baud dev %*d:%*d baud rate %ld", &speed) == 1) {
        ftdi.Speed = speed;
    } else if (Starts(TraceLine, "usb_serial_set_data") &&
               std::sscanf(line, "usb_serial_set_data dev %*d:%*d parity %c, data bits %d, stop bits %d",
                           &parity, &data, &stop) == 3) {
        ftdi.Framing = Framing(parity, data, stop);
    } else if (Starts(TraceLine, "usb_serial_handle_control") &&
               std::sscanf(line, "usb_serial_handle_control dev %*d:%*d got control 0x%x, value 0x%x",
                           &request, &value) == 2) {
        if (request == kFtdiSetData)
            ftdi.Break = (value & kFtdiBreak) != 0;
        else if (request == kFtdiModemControl) {
            // Each line changes only where its "valid" bit says so.
            if (value & kFtdiDtrValid)
                ftdi.Dtr = (value & kFtdiDtr) != 0;
            if (value & kFtdiRtsValid)
                ftdi.Rts = (value & kFtdiRts) != 0;
        }
    }
}

std::string TChips::Settings(TChip Chip) const {
    const TState& state = Of(Chip);
    if (!state.Speed || !state.Framing)
        return "unseen";
    return std::to_string(*state.Speed) + " " + *state.Framing;
}

std::string TChips::ModemLines(TChip Chip) const {
    const TState& state = Of(Chip);
    if (!state.Dtr || !state.Rts)
        return "unseen";
    return std::string("dtr=") + (*state.Dtr ? "1" : "0") + " rts=" + (*state.Rts ? "1" : "0");
}

std::string TChips::Break(TChip Chip) const {
    return OnOff(Of(Chip).Break);
}

} // namespace ChipTrace
