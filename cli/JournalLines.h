#pragma once
// The journal command: the journal's lines as zur-cli shows them.

#include <string>

#include "cli/Output.h"

namespace JournalLines {

// Every entry, or those of Serial, newest last, one line each; JSON: {"entries": [...]}, each
// entry as the journal holds it, lines of the first form with their outcome's word.
int Print(Output::TOutput& Out, const std::string& Serial);

} // namespace JournalLines
