#pragma once
// Whether the window has somewhere to appear. Without a display, or with an X display that does not
// let it in, Qt's start-up aborts with advice to reinstall; the program asks first and ends with one
// clear line instead.

#include <optional>
#include <string>

namespace DisplayCheck {

// Why there is no display to show the window on, or nothing when it can be shown (or the platform is
// asked for explicitly, QT_QPA_PLATFORM, or is Wayland's).
std::optional<std::string> Missing();

} // namespace DisplayCheck
