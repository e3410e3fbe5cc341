#include "app/DisplayCheck.h"

#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include "app/WindowTexts.h"
#include "serial/UniqueFd.h"

namespace DisplayCheck {
namespace {

bool Set(const char* Name) {
    const char* value = std::getenv(Name);
    return value != nullptr && *value != '\0';
}

// Whether the X server that DISPLAY names lets the program in, as Qt's X platform will ask it.
// libxcb writes a refusing server's reason straight to standard error; the program's one line says
// why instead, so standard error points elsewhere meanwhile.
bool XServerAnswers() {
    const UniqueFd saved(::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0));
    const UniqueFd discard(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    const bool quiet = saved && discard && ::dup2(discard.Get(), STDERR_FILENO) >= 0;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (quiet) {
        ::dup2(saved.Get(), STDERR_FILENO);
    }
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

} // namespace

std::optional<std::string> Missing() {
    // Wayland is left to Qt, which may choose it over X.
    if (Set("QT_QPA_PLATFORM") || Set("WAYLAND_DISPLAY")) {
        return std::nullopt;
    }
    if (!Set("DISPLAY")) {
        return WindowTexts::kNoDisplay;
    }
    if (!XServerAnswers()) {
        return WindowTexts::kDisplayUnreachable + std::string(std::getenv("DISPLAY")) +
               WindowTexts::kDisplayUnreachableWhy;
    }
    return std::nullopt;
}

} // namespace DisplayCheck
