#include "service/DataFolder.h"

#include <cstdlib>
#include <filesystem>

namespace DataFolder {

// Windows hands out its environment as UTF-16; the folder goes on as UTF-8.
std::optional<std::string> Root() {
    const wchar_t* value = _wgetenv(L"LOCALAPPDATA");
    if (!value || !*value || !std::filesystem::path(value).is_absolute())
        return std::nullopt;
    const std::u8string utf8 = (std::filesystem::path(value) / "zur-service").u8string();
    return std::string(utf8.begin(), utf8.end());
}

} // namespace DataFolder
