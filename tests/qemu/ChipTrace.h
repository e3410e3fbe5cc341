#pragma once
// What the guest's drivers programmed into QEMU's emulated chips, taken from QEMU's trace lines:
// line settings, modem lines and the break condition of the 16550 UART and of the FTDI adapter.
// The UART's trace lines do not say which UART they belong to: the console's UART is programmed
// only while the guest boots, so what comes later is the UART under test.

#include <optional>
#include <string>

namespace ChipTrace {

enum class TChip { Uart, Ftdi };

// The trace events the lane asks QEMU for.
inline constexpr const char* kEvents[] = {"serial_update_parameters", "serial_write", "usb_serial_set_baud",
                                          "usb_serial_set_data", "usb_serial_handle_control"};

class TChips {
public:
    void Feed(const std::string& TraceLine);

    // "9600 O 8 1": speed, parity letter, data bits, stop bits; "unseen" before any.
    std::string Settings(TChip Chip) const;
    // "dtr=0 rts=0"; "unseen" before the chip was told.
    std::string ModemLines(TChip Chip) const;
    // "on" or "off"; "unseen" before the chip was told.
    std::string Break(TChip Chip) const;

private:
    struct TState {
        std::optional<long> Speed;
        std::optional<std::string> Framing; // "O 8 1"
        std::optional<bool> Dtr, Rts, Break;
    };
    const TState& Of(TChip Chip) const { return Chip == TChip::Uart ? uart : ftdi; }

    TState uart, ftdi;
};

} // namespace ChipTrace
