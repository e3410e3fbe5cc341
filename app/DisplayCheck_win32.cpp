#include "app/DisplayCheck.h"

namespace DisplayCheck {

// Windows always has its desktop.
std::optional<std::string> Missing() {
    return std::nullopt;
}

} // namespace DisplayCheck
