#pragma once
// The journal's lines as zur-cli makes and shows them: one JSON object for each write, restore
// and update, with its line, its controller, its safety backup and how it ended.

#include <cstdint>
#include <optional>
#include <string>

#include "cli/Output.h"

namespace JournalLines {

struct TEntry {
    std::string Operation; // "write", "restore", "update"
    std::string Port;
    uint32_t Speed = 0;
    int Address = 0;
    std::optional<std::string> Serial, Backup; // unknown or not made: null
    Output::Json Image = nullptr;              // an update's {"file", "size", "checksum"}
    int Exit = 0;
};

// Appends Entry with the time and the tool's version. A journal that cannot be written is said
// on standard error; the exit code stays the operation's.
void Record(const TEntry& Entry, Output::TOutput& Out);

// The journal command: every line, or those of Serial, newest last; JSON: {"entries": [...]}.
int Print(Output::TOutput& Out, const std::string& Serial);

} // namespace JournalLines
