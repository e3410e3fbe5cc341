#include "service/DataFolder.h"

#include <cstdio>
#include <filesystem>

namespace DataFolder {

std::string Join(const std::string& Folder, const std::string& Name) {
    if (Folder.empty() || Folder.back() == '/' || Folder.back() == '\\')
        return Folder + Name;
    return Folder + static_cast<char>(std::filesystem::path::preferred_separator) + Name;
}

std::string UtcTime(std::chrono::system_clock::time_point Moment) {
    using namespace std::chrono;
    const auto day = floor<days>(Moment);
    const year_month_day date{day};
    const hh_mm_ss time{floor<milliseconds>(Moment - day)};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
    return text;
}

} // namespace DataFolder
