#pragma once
// The ioctl requests this test program makes, recorded on their way to the C library (the serial
// tests are linked with --wrap=ioctl). A pseudo-terminal ignores a break, so the requests are the
// only place where a break can be seen.

#include <vector>

namespace IoctlLog {

// Forgets what was recorded so far.
void Clear();
// The requests since the last Clear, in order, whatever their descriptor.
std::vector<unsigned long> Requests();

} // namespace IoctlLog
