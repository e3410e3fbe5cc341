#pragma once
// Reading a file the engineer names (a configuration, a backup, a line trace): every such file is
// small, so one larger than any of them is refused before it is read whole.

#include <cstdint>
#include <optional>
#include <string>

namespace InputFile {

inline constexpr std::uintmax_t kLargestFile = 1 << 20;

// Path's whole text into Text; the refusal or the system's reason, after the path, when it could
// not be read: a folder, a file over kLargestFile, one that cannot be opened or read.
std::optional<std::string> Read(const std::string& Path, std::string& Text);

} // namespace InputFile
