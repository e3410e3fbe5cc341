#include "sim/SimPty.h"

#include "sim/SimLink.h"

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace SimPty {

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

Pty::Pty(const std::string& linkPath) {
    master = UniqueFd(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master || ::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0)
        Fail("posix_openpt");
    const char* name = ::ptsname(master.Get());
    if (!name)
        Fail("ptsname");
    slavePath = name;
    // Raw before the tool can open it: no echo, no line editing, no translation.
    termios tio{};
    ::tcgetattr(master.Get(), &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master.Get(), TCSANOW, &tio);
    slave = UniqueFd(::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave)
        Fail("open pseudo-terminal");
    if (!linkPath.empty())
        link = std::make_unique<SimLink::Link>(linkPath, slavePath);
}

Pty::~Pty() = default;

void Pty::Close() {
    master.Reset();
    slave.Reset();
}

} // namespace SimPty
