#include "cli/JournalLines.h"

#include "cli/ExitCodes.h"
#include "service/Journal.h"

namespace JournalLines {
namespace {

std::string Shown(const std::optional<std::string>& Text) {
    return Text.value_or("null");
}

} // namespace

int Print(Output::TOutput& Out, const std::string& Serial) {
    const Journal::TRead read = Journal::Read();
    if (read.Problem)
        return Out.Fail(ExitCodes::Usage, *read.Problem);
    Output::Json entries = Output::Json::array();
    for (const Journal::TEntry& entry : Journal::Filter(read.Entries, Serial)) {
        Out.Text(entry.Time + "  " + entry.Program + "  " + entry.Operation + "  " + Shown(entry.Serial) +
                 "  " + entry.Port + " " + std::to_string(entry.Speed) + " address " +
                 std::to_string(entry.Address) + "  " + entry.Outcome +
                 (entry.Exit ? " (exit " + std::to_string(*entry.Exit) + ")" : "") + "  backup " +
                 Shown(entry.Backup));
        entries.push_back(Output::Json::parse(Journal::Line(entry)));
    }
    Out.Object({{"entries", entries}});
    return ExitCodes::Success;
}

} // namespace JournalLines
