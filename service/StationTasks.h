#pragma once
// What the station window does with the controllers it has found, one exchange at a time on the
// station's line: each read afresh at its own speed and first address, to back them all up or to
// show what a restore would change.

#include <string>
#include <vector>

#include "service/Backup.h"
#include "service/ConfigFile.h"
#include "service/Restore.h"
#include "service/Scan.h"

namespace StationTasks {

struct TSaved {
    Scan::TController Controller;
    Outcome::TReadOutcome Read;
    Backup::TSaved Saved; // once the read succeeded

    bool Succeeded() const { return Read.Succeeded() && !Saved.Problem; }
};

// Folder/<serial_number>.json for each controller, in the configuration file's format, each file
// whole before it replaces an older one; the stop request ends it after the exchange under way.
std::vector<TSaved> SaveAll(const Scan::TOpenLine& Open, const std::vector<Scan::TController>& Controllers,
                            const std::string& Folder, Observer::TObserver& Front);

struct TPreview {
    Restore::TPair Pair;
    Outcome::TReadOutcome Read; // the controller as it is now
    // The fields the file would change: Wanted is the file's value, Found the controller's.
    std::vector<ConfigFile::TDifference> Differences;
};

// Each pair's controller read afresh, and what its file would change; a pair whose file cannot be
// used is not read.
std::vector<TPreview> Preview(const Scan::TOpenLine& Open, const std::vector<Restore::TPair>& Pairs,
                              Observer::TObserver& Front);

} // namespace StationTasks
