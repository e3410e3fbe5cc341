#pragma once
// The station's commands: finding every controller on the line, backing them all up, putting each
// backup back onto the controller it came from, and comparing one controller with a file.

#include <atomic>

#include "cli/Options.h"
#include "cli/Output.h"
#include "service/ConfigFile.h"
#include "service/Connection.h"
#include "service/StationLine.h"

namespace StationCommands {

// What the station commands share with the run: the line, opened at a speed on demand, and
// Ctrl+C.
struct TStation {
    StationLine::TStationLine& Line;
    const Options::TOptions& Options;
    const std::atomic<bool>& StopRequested;
};

int Scan(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command);
int Backup(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command);
// Each restore is written to the journal.
int Restore(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command);
// Sends nothing but the read.
int Diff(Connection::TConnection& Line, Output::TOutput& Out, const ConfigFile::TConfig& Config);

} // namespace StationCommands
