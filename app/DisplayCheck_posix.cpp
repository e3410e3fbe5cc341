#include "app/DisplayCheck.h"

#include <cstdlib>

#include "app/WindowTexts.h"
#include "service/Texts.h"

namespace DisplayCheck {
namespace {

bool Set(const char* Name) {
    const char* value = std::getenv(Name);
    return value != nullptr && *value != '\0';
}

} // namespace

std::optional<std::string> Missing() {
    if (Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM")) {
        return std::nullopt;
    }
    return WindowTexts::kNoDisplay;
}

} // namespace DisplayCheck
