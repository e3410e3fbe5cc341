#include "cli/Safety.h"

#include <utility>

#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"

namespace Safety {

TSafety::TSafety(const Options::TOptions& Options, Output::TOutput& Out, std::string Operation,
                 uint32_t Speed, int Address)
    : out(Out),
      change({.Program = Journal::kCliProgram, .Port = Options.Port, .Speed = Speed, .Address = Address},
             std::move(Operation), !Options.NoBackup) {}

void TSafety::CopySaved() {
    if (!change.Copy())
        return;
    if (out.JsonMode())
        out.Err() << "zur-cli: " << CliTexts::kSafetyBackup << *change.Copy() << '\n' << std::flush;
    out.Text(CliTexts::kSafetyBackup + *change.Copy());
}

int TSafety::CopyFailed() {
    return out.Fail(ExitCodes::BackupFailed,
                    CliTexts::kSafetyBackupFailed + change.Failure()->Problem.value_or(""));
}

void TSafety::Record(int Exit) {
    if (const auto problem = change.Record(Exit))
        out.Err() << "zur-cli: " << CliTexts::kJournalFailed << *problem << '\n' << std::flush;
}

} // namespace Safety
