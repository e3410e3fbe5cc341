#include "service/DataFolder.h"

#include <cstdlib>
#include <filesystem>

namespace DataFolder {
namespace {

// A variable that is unset, empty or relative names nothing, as the base-directory rules have it.
std::optional<std::filesystem::path> Absolute(const char* Variable) {
    const char* value = std::getenv(Variable);
    if (!value || !*value || !std::filesystem::path(value).is_absolute())
        return std::nullopt;
    return std::filesystem::path(value);
}

} // namespace

std::optional<std::string> Root() {
    auto base = Absolute("XDG_DATA_HOME");
    if (!base) {
        if (const auto home = Absolute("HOME"))
            base = *home / ".local" / "share";
    }
    if (!base)
        return std::nullopt;
    return (*base / "zur-service").string();
}

} // namespace DataFolder
