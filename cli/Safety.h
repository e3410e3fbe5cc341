#pragma once
// zur-cli's part in a change to a controller: the safety copy's path said as soon as it is on disk
// (on standard error with --json, so that standard output stays one JSON object), the copy's
// failure said as the command's failure, and the journal line, with the exit code, once it ended.

#include <cstdint>
#include <string>

#include "cli/Options.h"
#include "cli/Output.h"
#include "service/Safeguard.h"

namespace Safety {

class TSafety {
public:
    TSafety(const Options::TOptions& Options, Output::TOutput& Out, std::string Operation, uint32_t Speed,
            int Address);

    Safeguard::TChange& Change() { return change; }
    // Says where the copy was saved; asked before the change is sent.
    void CopySaved();
    // Says why the copy could not be saved; the command's exit code.
    int CopyFailed();
    // Appends the journal line; a journal that cannot take it is said on standard error, and the
    // exit code stays the command's.
    void Record(int Exit);

private:
    Output::TOutput& out;
    Safeguard::TChange change;
};

} // namespace Safety
