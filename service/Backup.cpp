#include "service/Backup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "serial/SystemPath.h"
#include "service/DataFolder.h"
#include "service/DurableFile.h"
#include "service/Texts.h"

namespace Backup {
namespace {

constexpr const char* kExtension = ".json";
// A copy's name: its UTC time, "2026-12-09T10-45-13.250Z", then maybe "-2", then the extension.
constexpr std::size_t kStampLength = 24, kHourColon = 13, kMinuteColon = 16;

TSaved Refused(const std::string& Serial) {
    return {"", "", Texts::kNotAFileName + Serial};
}

} // namespace

bool IsFileName(const std::string& Serial) {
    return !Serial.empty() && std::all_of(Serial.begin(), Serial.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
    });
}

TSaved SaveInFolder(const std::string& Folder, const std::string& Serial, std::string_view Text) {
    if (!IsFileName(Serial))
        return Refused(Serial);
    TSaved saved{DataFolder::Join(Folder, Serial + kExtension), Folder, std::nullopt};
    std::error_code error;
    std::filesystem::create_directories(SystemPath::Native(Folder), error);
    if (error)
        return {saved.Path, Folder, Folder + ": " + error.message()};
    saved.Problem = DurableFile::Replace(saved.Path, Text);
    return saved;
}

std::optional<std::string> NewestSafetyCopy(const std::string& Serial) {
    const std::optional<std::string> root = DataFolder::Root();
    if (!root || !IsFileName(Serial))
        return std::nullopt;
    // The names are the times they were saved at, so the greatest is the newest.
    std::optional<std::string> newest;
    std::error_code error;
    for (std::filesystem::directory_iterator
             entry(SystemPath::Native(DataFolder::Join(DataFolder::Join(*root, "backups"), Serial)), error),
         end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() >= kStampLength && name.ends_with(kExtension) && (!newest || name > *newest))
            newest = name;
    }
    if (!newest)
        return std::nullopt;
    std::string stamp = newest->substr(0, kStampLength);
    // The time's colons were dashes in the name.
    stamp[kHourColon] = stamp[kMinuteColon] = ':';
    return stamp;
}

TSaved SaveSafetyCopy(const std::string& Serial, std::string_view Text,
                      std::chrono::system_clock::time_point Now) {
    if (!IsFileName(Serial))
        return Refused(Serial);
    const std::optional<std::string> root = DataFolder::Root();
    if (!root)
        return {"", "", Texts::kNoDataFolder};
    const std::string folder = DataFolder::Join(DataFolder::Join(*root, "backups"), Serial);
    std::error_code error;
    std::filesystem::create_directories(SystemPath::Native(folder), error);
    if (error)
        return {folder, folder, folder + ": " + error.message()};
    // Colons cannot stand in a Windows file name.
    std::string stamp = DataFolder::UtcTime(Now);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    std::string path = DataFolder::Join(folder, stamp + kExtension);
    for (int n = 2; std::filesystem::exists(SystemPath::Native(path), error); ++n)
        path = DataFolder::Join(folder, stamp + "-" + std::to_string(n) + kExtension);
    return {path, folder, DurableFile::Replace(path, Text)};
}

} // namespace Backup
