#include "IoctlLog.h"

#include <cstdarg>
#include <mutex>

namespace {

std::mutex& Guard() {
    static std::mutex guard;
    return guard;
}

std::vector<unsigned long>& Recorded() {
    static std::vector<unsigned long> recorded;
    return recorded;
}

} // namespace

extern "C" int __real_ioctl(int Fd, unsigned long Request, ...);
extern "C" int __wrap_ioctl(int Fd, unsigned long Request, ...);

// Every ioctl takes at most one argument, an integer or a pointer, passed on as the C library
// reads it.
extern "C" int __wrap_ioctl(int Fd, unsigned long Request, ...) {
    va_list arguments;
    va_start(arguments, Request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    {
        const std::lock_guard lock(Guard());
        Recorded().push_back(Request);
    }
    return __real_ioctl(Fd, Request, argument);
}

namespace IoctlLog {

void Clear() {
    const std::lock_guard lock(Guard());
    Recorded().clear();
}

std::vector<unsigned long> Requests() {
    const std::lock_guard lock(Guard());
    return Recorded();
}

} // namespace IoctlLog
