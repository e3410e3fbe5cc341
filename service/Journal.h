#pragma once
// The journal of changes made to controllers: journal.jsonl in the tool's data folder, one JSON
// object a line, newest last, written by the window and by zur-cli alike. Its values are English;
// how a change ended is one word ("success", "no-answer", ...).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/FirmwareImage.h"
#include "service/Outcome.h"

namespace Journal {

inline constexpr const char* kWindowProgram = "zur-service";
inline constexpr const char* kCliProgram = "zur-cli";

// How a change ended, besides the results of the operations (Word).
inline constexpr const char* kReadBackDiffers = "read-back-differs";
inline constexpr const char* kBackupFailed = "backup-failed";
inline constexpr const char* kUnusableFile = "unusable-file";

// The firmware image of an update: its file name, its size and its trailing Crc16 in hex.
struct TImage {
    std::string File;
    std::uintmax_t Size = 0;
    std::string Checksum;
    bool operator==(const TImage&) const = default;
};

// The image chosen from Path, as the journal names it.
TImage ImageOf(const std::string& Path, const FirmwareImage::TImageState& Image);

struct TEntry {
    std::string Time = {}; // UTC, as DataFolder::UtcTime gives it
    std::string Program = {};
    std::string ToolVersion = {};
    std::string Port = {};
    uint32_t Speed = 0;
    int Address = 0;
    std::optional<std::string> Serial = {}; // null when the controller could not be read
    std::string Operation = {};             // "write", "restore", "update"
    std::optional<TImage> Image = {};       // an update's
    std::optional<std::string> Backup = {}; // the safety copy; null when none was made
    std::string Outcome = {};
    // The parameters a write got through before it failed: the controller holds these new values
    // and the old ones of the rest.
    std::vector<std::string> Written = {};
    std::optional<int> Attempts = {}; // an update's, made again after a failed block
    std::optional<int> Exit = {};     // zur-cli's exit code
    bool operator==(const TEntry&) const = default;
};

// The word for an operation's result.
std::string Word(Outcome::TResult Result);
// The word for a zur-cli exit code: lines written before the words were kept carry only that.
std::string WordForExit(int Exit);

// The entry as its line, without the line end.
std::string Line(const TEntry& Entry);
// The entry a line holds; none for a line that is no entry (one being written, or damaged by
// hand). Lines in the first form, whose outcome is the exit code's meaning in Russian and which
// name no program, are read with the exit code's word, as zur-cli's.
std::optional<TEntry> Parse(std::string_view Line);

// The journal's path; none when there is no data folder.
std::optional<std::string> Path();

// Appends Entry, stamped with the time and the tool's version, and its line end in one write,
// making the folder when needed; the reason on failure.
std::optional<std::string> Append(TEntry Entry);

struct TRead {
    std::vector<TEntry> Entries; // in the order written; none when there is no journal yet
    std::optional<std::string> Problem;
};
TRead Read();

// The entries of the controller with Serial, in their order; every entry when Serial is empty.
std::vector<TEntry> Filter(const std::vector<TEntry>& Entries, const std::string& Serial);

} // namespace Journal
