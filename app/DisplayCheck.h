#pragma once
// Whether the window has somewhere to appear. Without a display Qt's start-up aborts with advice to
// reinstall; the program asks first and ends with one clear line instead.

#include <optional>
#include <string>

namespace DisplayCheck {

// Why there is no display, or nothing when the window can be shown (or the platform is asked for
// explicitly, QT_QPA_PLATFORM).
std::optional<std::string> Missing();

} // namespace DisplayCheck
