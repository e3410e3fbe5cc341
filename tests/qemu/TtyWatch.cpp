#include "tests/qemu/TtyWatch.h"

#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
constexpr auto kInputWait = std::chrono::seconds(5);
// The queue's length cannot be waited on, only looked at again.
constexpr auto kInputLookStep = std::chrono::milliseconds(2);
} // namespace

TTtyWatch::TTtyWatch(const std::string& Device)
    : fd(open(Device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}

std::string TTtyWatch::ModemLines() const {
    int bits = 0;
    if (ioctl(fd.Get(), TIOCMGET, &bits) != 0)
        return "unreadable";
    return std::string("dtr=") + (bits & TIOCM_DTR ? "1" : "0") + " rts=" + (bits & TIOCM_RTS ? "1" : "0");
}

int TTtyWatch::InputQueued() const {
    int count = 0;
    if (ioctl(fd.Get(), TIOCINQ, &count) != 0)
        return -1;
    return count;
}

bool TTtyWatch::WaitForInput(int Count) const {
    const auto deadline = std::chrono::steady_clock::now() + kInputWait;
    while (InputQueued() < Count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kInputLookStep);
    }
    return true;
}
