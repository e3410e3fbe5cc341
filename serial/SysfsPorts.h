#pragma once
// The machine's serial ports as the kernel lists them under /sys/class/tty.

#include <string>
#include <vector>

namespace SysfsPorts {

// Where the kernel lists its terminals.
inline constexpr const char* kClassTty = "/sys/class/tty";

// Device paths ("/dev/ttyUSB0") of the terminals under Root that have a device behind them,
// without the ttyS placeholders the 8250 driver registers for UARTs that are not there. Ordered
// by name with trailing numbers compared as numbers (ttyS2 before ttyS10). An unreadable Root
// gives an empty list.
std::vector<std::string> List(const std::string& Root = kClassTty);

} // namespace SysfsPorts
