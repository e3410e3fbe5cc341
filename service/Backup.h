#pragma once
// Backups of a controller's configuration, named after its serial number: the engineer's own, in
// a folder of their choosing, and the safety copy taken in the tool's data folder before a change.
// Each file is written whole (DurableFile::Replace) before it counts as made.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace Backup {

// Whether a serial number can name a file: letters, digits, '-' and '_' only, so that a
// controller's odd answer can never reach outside the folder.
bool IsFileName(const std::string& Serial);

struct TSaved {
    std::string Path;
    std::string Folder;                 // where it goes; empty when there is no data folder
    std::optional<std::string> Problem; // why it was not saved
};

// Folder/<Serial>.json, the folder made as needed; an existing file is replaced only once the new
// one is complete.
TSaved SaveInFolder(const std::string& Folder, const std::string& Serial, std::string_view Text);

// <data folder>/backups/<Serial>/<UTC time>.json, folders made as needed; never replaces an
// earlier copy.
TSaved SaveSafetyCopy(const std::string& Serial, std::string_view Text,
                      std::chrono::system_clock::time_point Now);

// When the newest safety copy of the controller with Serial was saved, as UTC
// ("2026-12-09T10:45:13.250Z"); none when it has none.
std::optional<std::string> NewestSafetyCopy(const std::string& Serial);

} // namespace Backup
