#include "service/Journal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <system_error>

#include "ZurVersion.h"
#include "protocol/crc16c.h"
#include "serial/Hex.h"
#include "serial/SystemPath.h"
#include "service/DataFolder.h"
#include "service/DurableFile.h"
#include "service/Texts.h"

namespace Journal {
namespace {

using Json = nlohmann::ordered_json;

struct TExitWord {
    int Exit;
    const char* Word;
};
// zur-cli's exit codes as the journal words them.
constexpr TExitWord kExitWords[] = {
    {0, "success"},     {1, "internal-error"}, {2, kUnusableFile},      {3, "port-unavailable"},
    {4, "no-answer"},   {5, "refused"},        {6, "other-controller"}, {7, kBackupFailed},
    {8, "output-lost"}, {129, "interrupted"},  {130, "interrupted"},    {143, "interrupted"},
};

Json Nullable(const std::optional<std::string>& Text) {
    return Text ? Json(*Text) : Json(nullptr);
}

std::optional<std::string> Text(const Json& Object, const char* Key) {
    const auto found = Object.find(Key);
    if (found == Object.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

template <typename T> T Number(const Json& Object, const char* Key) {
    const auto found = Object.find(Key);
    return found != Object.end() && found->is_number_integer() ? found->get<T>() : T{};
}

} // namespace

TImage ImageOf(const std::string& Path, const FirmwareImage::TImageState& Image) {
    const std::string checksum = Hex::Word(
        crc16c::Crc16(0, Image.FirmwareImage.data(), static_cast<int32_t>(Image.FirmwareImage.size())));
    constexpr std::size_t kChecksumBytes = 2; // the file's trailing Crc16, not kept in the image
    const std::u8string name = SystemPath::Native(Path).filename().u8string();
    return {.File = std::string(name.begin(), name.end()),
            .Size = Image.FirmwareImage.size() + kChecksumBytes,
            .Checksum = checksum};
}

std::string Word(Outcome::TResult Result) {
    using Outcome::TResult;
    switch (Result) {
    case TResult::Success:
        return "success";
    case TResult::NoAnswer:
        return "no-answer";
    case TResult::CorruptAnswer:
        return "corrupt-answer";
    case TResult::Refused:
        return "refused";
    case TResult::Interrupted:
        return "interrupted";
    case TResult::OtherController:
        return "other-controller";
    case TResult::NoImage:
        return "no-image";
    case TResult::Failed:
        return "not-sent";
    case TResult::Withheld:
        return kBackupFailed;
    }
    return "failed";
}

std::string WordForExit(int Exit) {
    const auto found = std::find_if(std::begin(kExitWords), std::end(kExitWords),
                                    [Exit](const TExitWord& w) { return w.Exit == Exit; });
    return found == std::end(kExitWords) ? "exit-" + std::to_string(Exit) : found->Word;
}

std::string Line(const TEntry& Entry) {
    Json line = {{"time", Entry.Time},
                 {"program", Entry.Program},
                 {"tool_version", Entry.ToolVersion},
                 {"port", Entry.Port},
                 {"speed", Entry.Speed},
                 {"address", Entry.Address},
                 {"serial_number", Nullable(Entry.Serial)},
                 {"operation", Entry.Operation}};
    if (Entry.Image)
        line["image"] = {
            {"file", Entry.Image->File}, {"size", Entry.Image->Size}, {"checksum", Entry.Image->Checksum}};
    line["backup"] = Nullable(Entry.Backup);
    line["outcome"] = Entry.Outcome;
    if (Entry.Attempts)
        line["attempts"] = *Entry.Attempts;
    if (!Entry.Written.empty())
        line["written_parameters"] = Entry.Written;
    if (Entry.Exit)
        line["exit"] = *Entry.Exit;
    return line.dump();
}

std::optional<TEntry> Parse(std::string_view Line) {
    const Json object = Json::parse(Line, nullptr, false);
    if (!object.is_object() || !Text(object, "operation"))
        return std::nullopt;
    TEntry entry;
    entry.Time = Text(object, "time").value_or("");
    entry.Program = Text(object, "program").value_or(kCliProgram);
    entry.ToolVersion = Text(object, "tool_version").value_or("");
    entry.Port = Text(object, "port").value_or("");
    entry.Speed = Number<uint32_t>(object, "speed");
    entry.Address = Number<int>(object, "address");
    entry.Serial = Text(object, "serial_number");
    entry.Operation = *Text(object, "operation");
    if (const auto image = object.find("image"); image != object.end() && image->is_object())
        entry.Image = TImage{Text(*image, "file").value_or(""), Number<std::uintmax_t>(*image, "size"),
                             Text(*image, "checksum").value_or("")};
    entry.Backup = Text(object, "backup");
    if (const auto attempts = object.find("attempts");
        attempts != object.end() && attempts->is_number_integer())
        entry.Attempts = attempts->get<int>();
    if (const auto exit = object.find("exit"); exit != object.end() && exit->is_number_integer())
        entry.Exit = exit->get<int>();
    entry.Outcome = Text(object, "outcome").value_or("");
    // The first form held the exit code's meaning in Russian, and no program.
    if (!object.contains("program") && entry.Exit)
        entry.Outcome = WordForExit(*entry.Exit);
    if (const auto written = object.find("written_parameters");
        written != object.end() && written->is_array())
        for (const Json& name : *written)
            if (name.is_string())
                entry.Written.push_back(name.get<std::string>());
    return entry;
}

std::optional<std::string> Path() {
    const std::optional<std::string> root = DataFolder::Root();
    if (!root)
        return std::nullopt;
    return DataFolder::Join(*root, "journal.jsonl");
}

std::optional<std::string> Append(TEntry Entry) {
    const std::optional<std::string> path = Path();
    if (!path)
        return Texts::kNoDataFolder;
    Entry.Time = DataFolder::UtcTime(std::chrono::system_clock::now());
    Entry.ToolVersion = kZurVersion;
    std::error_code error;
    std::filesystem::create_directories(SystemPath::Native(*DataFolder::Root()), error);
    if (error)
        return *DataFolder::Root() + ": " + error.message();
    return DurableFile::Append(*path, Line(Entry) + "\n");
}

TRead Read() {
    TRead read;
    const std::optional<std::string> path = Path();
    if (!path)
        return read;
    std::ifstream file(SystemPath::Native(*path), std::ios::binary);
    if (!file) {
        if (errno != ENOENT)
            read.Problem = *path + ": " + std::strerror(errno);
        return read;
    }
    for (std::string line; std::getline(file, line);)
        if (auto entry = Parse(line))
            read.Entries.push_back(std::move(*entry));
    if (file.bad())
        read.Problem = *path + ": " + std::strerror(errno);
    return read;
}

std::vector<TEntry> Filter(const std::vector<TEntry>& Entries, const std::string& Serial) {
    std::vector<TEntry> kept;
    std::copy_if(Entries.begin(), Entries.end(), std::back_inserter(kept),
                 [&](const TEntry& e) { return Serial.empty() || e.Serial == Serial; });
    return kept;
}

} // namespace Journal
