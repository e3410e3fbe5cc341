#pragma once
// The tool's own data folder, where the safety backups and the journal are kept:
// $XDG_DATA_HOME/zur-service (~/.local/share/zur-service when unset), %LOCALAPPDATA%\zur-service
// on Windows.

#include <chrono>
#include <optional>
#include <string>

namespace DataFolder {

// The folder as a UTF-8 path, not made here; none when the environment names no home at all.
std::optional<std::string> Root();

// Name inside Folder, joined with the system's own separator, so that a path the tool shows reads as
// the system writes it (C:\Users\...\zur-service\backups on Windows).
std::string Join(const std::string& Folder, const std::string& Name);

// The moment as UTC, "2026-12-09T10:45:13.250Z".
std::string UtcTime(std::chrono::system_clock::time_point Moment);

} // namespace DataFolder
