#include "serial/Termios2.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace Termios2 {

namespace {
// DCB flag bits of the Windows device-control block that Linux can express.
constexpr uint32_t kParityCheckBit = 1u << 1; // fParity
constexpr uint32_t kCtsOutFlowBit = 1u << 2;  // fOutxCtsFlow
constexpr uint32_t kXonXoffOutBit = 1u << 8;  // fOutX
constexpr uint32_t kXonXoffInBit = 1u << 9;   // fInX

// DCB Parity values.
constexpr uint8_t kOddParity = 1;
constexpr uint8_t kEvenParity = 2;
constexpr uint8_t kMarkParity = 3;
constexpr uint8_t kSpaceParity = 4;

// DCB StopBits value 0 is one stop bit; 1 (one and a half) and 2 both need CSTOPB.
constexpr uint8_t kOneStopBit = 0;

tcflag_t SizeFlag(uint8_t ByteSize) {
    switch (ByteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t ParityFlags(uint8_t Parity) {
    switch (Parity) {
    case kOddParity:
        return PARENB | PARODD;
    case kEvenParity:
        return PARENB;
    case kMarkParity:
        return PARENB | PARODD | CMSPAR;
    case kSpaceParity:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}
} // namespace

bool MarksParityErrors(const LineSettings& Settings) {
    return (Settings.DcbFlags & kParityCheckBit) != 0;
}

void Apply(int Fd, const LineSettings& Settings) {
    termios2 tio{};
    ioctl(Fd, TCGETS2, &tio);

    // Raw: every byte passes unchanged, nothing is echoed, translated or taken as a signal.
    tio.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC |
                     IXON | IXANY | IXOFF | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOKE | IEXTEN | XCASE);
    tio.c_cflag &= ~(CBAUD | CIBAUD | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | BOTHER | SizeFlag(Settings.ByteSize) | ParityFlags(Settings.Parity);
    if (Settings.StopBits != kOneStopBit)
        tio.c_cflag |= CSTOPB;

    // Without PARMRK an errored byte would arrive as 0x00; with it the byte arrives marked and the
    // reader undoes the marks.
    if (MarksParityErrors(Settings))
        tio.c_iflag |= INPCK | PARMRK;
    if (Settings.DcbFlags & kCtsOutFlowBit)
        tio.c_cflag |= CRTSCTS;
    if (Settings.DcbFlags & kXonXoffOutBit)
        tio.c_iflag |= IXON;
    if (Settings.DcbFlags & kXonXoffInBit)
        tio.c_iflag |= IXOFF;

    // With CIBAUD cleared the input runs at the output speed.
    tio.c_ispeed = Settings.BaudRate;
    tio.c_ospeed = Settings.BaudRate;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ioctl(Fd, TCSETS2, &tio);
}

std::chrono::nanoseconds CharacterTime(int Fd) {
    termios2 tio{};
    if (ioctl(Fd, TCGETS2, &tio) != 0 || tio.c_ospeed == 0)
        return std::chrono::nanoseconds::zero();
    constexpr int kStartBit = 1;
    int dataBits = 8;
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        dataBits = 5;
        break;
    case CS6:
        dataBits = 6;
        break;
    case CS7:
        dataBits = 7;
        break;
    default:
        break;
    }
    const int parityBits = (tio.c_cflag & PARENB) ? 1 : 0;
    const int stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    const auto bits = static_cast<int64_t>(kStartBit + dataBits + parityBits + stopBits);
    return std::chrono::nanoseconds(bits * 1'000'000'000 / tio.c_ospeed);
}

uint32_t OutputSpeed(int Fd) {
    termios2 tio{};
    if (ioctl(Fd, TCGETS2, &tio) != 0)
        return 0;
    return tio.c_ospeed;
}

} // namespace Termios2
