#include "service/DataFolder.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace DataFolder {
namespace {

constexpr const char* kFolderName = "zur-service";

// A variable that is unset, empty or relative names nothing, as the base-directory rules have it.
// Windows hands out its environment as UTF-16.
#ifdef _WIN32
std::optional<std::filesystem::path> Absolute(const wchar_t* Variable) {
    const wchar_t* value = _wgetenv(Variable);
#else
std::optional<std::filesystem::path> Absolute(const char* Variable) {
    const char* value = std::getenv(Variable);
#endif
    if (!value || !*value || !std::filesystem::path(value).is_absolute())
        return std::nullopt;
    return std::filesystem::path(value);
}

} // namespace

std::optional<std::string> Root() {
#ifdef _WIN32
    const auto base = Absolute(L"LOCALAPPDATA");
#else
    auto base = Absolute("XDG_DATA_HOME");
    if (!base) {
        if (const auto home = Absolute("HOME"))
            base = *home / ".local" / "share";
    }
#endif
    if (!base)
        return std::nullopt;
    const std::u8string utf8 = (*base / kFolderName).u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::string UtcTime(std::chrono::system_clock::time_point Moment) {
    using namespace std::chrono;
    const auto whole = floor<seconds>(Moment);
    const auto millis = duration_cast<milliseconds>(Moment - whole).count();
    const std::time_t t = system_clock::to_time_t(whole);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &t);
#else
    gmtime_r(&t, &utc);
#endif
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(millis));
    return text;
}

} // namespace DataFolder
