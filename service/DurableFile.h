#pragma once
// Files that must never be found half-written: a replaced file and a line appended to a log.
// Paths are UTF-8, as everywhere in the tool.

#include <optional>
#include <string>
#include <string_view>

namespace DurableFile {

// Replaces Path with Text: the text goes to a new file beside it, reaches the disk, and only then
// takes the name, so a reader finds the old file or the new one, whole. The system's reason when
// it failed; Path is then as it was.
std::optional<std::string> Replace(const std::string& Path, std::string_view Text);

// Appends Line with a single write on the file opened for appending (made when missing), so that
// the lines of two programs appending at once never interleave. The system's reason on failure.
std::optional<std::string> Append(const std::string& Path, std::string_view Line);

} // namespace DurableFile
