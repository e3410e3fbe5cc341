#include "cli/JournalLines.h"

#include <algorithm>
#include <chrono>

#include "ZurVersion.h"
#include "cli/ExitCodes.h"
#include "service/DataFolder.h"
#include "service/Journal.h"
#include "service/Texts.h"

namespace JournalLines {
namespace {

std::string Meaning(int Exit) {
    const auto codes = ExitCodes::All();
    const auto found = std::find_if(codes.begin(), codes.end(),
                                    [Exit](const ExitCodes::TDescription& d) { return d.Code == Exit; });
    return found == codes.end() ? "exit " + std::to_string(Exit) : found->Meaning;
}

Output::Json Nullable(const std::optional<std::string>& Text) {
    return Text ? Output::Json(*Text) : Output::Json(nullptr);
}

std::string Shown(const Output::Json& Value) {
    return Value.is_string() ? Value.get<std::string>() : Value.dump();
}

} // namespace

void Record(const TEntry& Entry, Output::TOutput& Out) {
    Output::Json line = {{"time", DataFolder::UtcTime(std::chrono::system_clock::now())},
                         {"tool_version", kZurVersion},
                         {"port", Entry.Port},
                         {"speed", Entry.Speed},
                         {"address", Entry.Address},
                         {"serial_number", Nullable(Entry.Serial)},
                         {"operation", Entry.Operation}};
    if (!Entry.Image.is_null())
        line["image"] = Entry.Image;
    line["backup"] = Nullable(Entry.Backup);
    line["outcome"] = Meaning(Entry.Exit);
    line["exit"] = Entry.Exit;
    if (const auto problem = Journal::Append(line.dump()))
        Out.Err() << "zur-cli: " << Texts::kJournalFailed << *problem << '\n' << std::flush;
}

int Print(Output::TOutput& Out, const std::string& Serial) {
    const Journal::TRead read = Journal::Read();
    if (read.Problem)
        return Out.Fail(ExitCodes::Usage, *read.Problem);
    Output::Json entries = Output::Json::array();
    for (const std::string& text : read.Lines) {
        // A line another program is writing, or one damaged by hand, is passed over.
        Output::Json entry = Output::Json::parse(text, nullptr, false);
        if (!entry.is_object() || (!Serial.empty() && entry.value("serial_number", Output::Json()) != Serial))
            continue;
        Out.Text(Shown(entry.value("time", Output::Json())) + "  " +
                 Shown(entry.value("operation", Output::Json())) + "  " +
                 Shown(entry.value("serial_number", Output::Json())) + "  " +
                 Shown(entry.value("port", Output::Json())) + " " +
                 Shown(entry.value("speed", Output::Json())) + " address " +
                 Shown(entry.value("address", Output::Json())) + "  exit " +
                 Shown(entry.value("exit", Output::Json())) + " (" +
                 Shown(entry.value("outcome", Output::Json())) + ")  backup " +
                 Shown(entry.value("backup", Output::Json())));
        entries.push_back(std::move(entry));
    }
    Out.Object({{"entries", entries}});
    return ExitCodes::Success;
}

} // namespace JournalLines
