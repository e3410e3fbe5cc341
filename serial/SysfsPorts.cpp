#include "serial/SysfsPorts.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>
#include <utility>

namespace SysfsPorts {

namespace fs = std::filesystem;

namespace {
// The "type" attribute of a serial-core port: 0 is PORT_UNKNOWN, a placeholder without a UART.
constexpr int kNoUart = 0;

// The link to the parent device; terminals without one are virtual (consoles, ptmx, tty).
constexpr const char* kDeviceLink = "device";
constexpr const char* kTypeAttribute = "type";

bool IsPlaceholder(const fs::path& Entry) {
    std::ifstream typeFile(Entry / kTypeAttribute);
    int type = -1;
    return typeFile >> type && type == kNoUart;
}

// Name without its trailing digits, then those digits ordered as a number (shorter is smaller).
std::tuple<std::string, size_t, std::string> SortKey(const std::string& Name) {
    const auto digits =
        std::find_if_not(Name.rbegin(), Name.rend(), [](char C) { return C >= '0' && C <= '9'; });
    std::string number(digits.base(), Name.end());
    const size_t length = number.size();
    return {std::string(Name.begin(), digits.base()), length, std::move(number)};
}
} // namespace

std::vector<std::string> List(const std::string& Root) {
    std::vector<std::string> names;
    // The directory may change while it is read; an error ends the listing with what was found.
    std::error_code error;
    for (fs::directory_iterator it(Root, error), end; !error && it != end; it.increment(error)) {
        std::error_code linkError;
        if (!fs::exists(fs::symlink_status(it->path() / kDeviceLink, linkError)))
            continue;
        if (IsPlaceholder(it->path()))
            continue;
        names.push_back(it->path().filename().string());
    }
    std::ranges::sort(names, {}, SortKey);
    std::ranges::transform(names, names.begin(), [](const std::string& name) { return "/dev/" + name; });
    return names;
}

} // namespace SysfsPorts
