#pragma once
// Where a path meets the operating system. Paths are UTF-8 text everywhere in the tool (the window
// hands them over so); Windows takes them as UTF-16, so every file or device the tool opens by name
// goes through here.

#include <cstdio>
#include <filesystem>
#include <string>

namespace SystemPath {

// The operating system's form of a UTF-8 path: the same bytes on Linux, UTF-16 on Windows.
std::filesystem::path Native(const std::string& Utf8Path);

// Opens a file for reading its bytes unchanged: a descriptor for read() and close(), or -1 with
// errno set.
int OpenForReading(const std::string& Utf8Path);

// Creates or empties a file for writing bytes unchanged; null with errno set when it cannot.
std::FILE* OpenForWriting(const std::string& Utf8Path);

} // namespace SystemPath
