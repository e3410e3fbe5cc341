#pragma once
// The lines under test in the guest: the emulated 16550 UART on the kernel's 8250 driver and the
// emulated FTDI adapter on ftdi_sio, each with a simulated controller at the host's end.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "serial/MyCOMM.h"

namespace GuestLine {

struct TLine {
    std::string Name;   // the tty's name, also the test's name
    std::string Device; // what the port box would hold
    std::string Far;    // the host's name for the simulator and the chip of this line
    bool Ftdi = false;
};

inline const TLine kUart{.Name = "ttyS0", .Device = "/dev/ttyS0", .Far = "uart", .Ftdi = false};
inline const TLine kAdapter{.Name = "ttyUSB0", .Device = "/dev/ttyUSB0", .Far = "adapter", .Ftdi = true};

inline void PrintTo(const TLine& Line, std::ostream* Out) {
    *Out << Line.Name;
}

// The port as the main window opens it: 8 data bits, odd parity, one stop bit, DTR and RTS off,
// and the window's time-outs.
std::unique_ptr<MyCOMM::TZMyComm> OpenPort(const std::string& Device, uint32_t BaudRate = 9600);

// The ECommError message of opening Device, or "" when it opened (it is closed again).
std::string OpenFailure(const std::string& Device);

} // namespace GuestLine
