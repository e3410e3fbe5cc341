#pragma once
// The guest programs' requests to the lane's host program, which serves the far end of each line
// and reads QEMU's trace of the emulated chips. A request travels as a console line
// "@@lane SEQ REQUEST"; the host types "=SEQ REPLY" back into the console.

#include <string>

namespace HostLink {

// The host's reply to Request, or "no reply" when none came within a few seconds.
std::string Ask(const std::string& Request);

} // namespace HostLink
