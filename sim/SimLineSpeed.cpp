#include "sim/SimLineSpeed.h"

// termios2 holds any speed in bit/s (7200 and 14400 have no B-constant); kept apart from
// <termios.h>, whose declarations clash with the kernel's.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace SimLineSpeed {

uint32_t Read(int Master) {
    termios2 settings{};
    return ::ioctl(Master, TCGETS2, &settings) == 0 ? settings.c_ospeed : 0;
}

} // namespace SimLineSpeed
