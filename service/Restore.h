#pragma once
// Putting a folder of backups back onto a station: each file Folder/<serial_number>.json goes onto
// the controller with that serial number only, wherever it answers now, with a safety copy first,
// and is read back and compared.

#include <optional>
#include <string>
#include <vector>

#include "service/ConfigFile.h"
#include "service/Safeguard.h"
#include "service/Scan.h"

namespace Restore {

// A controller found on the line and the file named after its serial number.
struct TPair {
    Scan::TController Controller;
    std::string File;
    std::optional<ConfigFile::TConfig> Config; // none when the file cannot be used
    std::string Problem;                       // then why: "<file>: <refusal>"
    bool OtherController = false;              // the file names another serial number in itself
};

struct TPlan {
    std::vector<TPair> Pairs;           // in the order found
    std::vector<std::string> NoFile;    // the serial numbers of the controllers without a file
    std::vector<std::string> NotOnLine; // the serial numbers of the files whose controller was not found
    std::optional<std::string> Problem; // the folder could not be read
};

// File paired with Controller: read and checked as Match checks each file.
TPair Pair(const Scan::TController& Controller, const std::string& File);

// The file of the controller with Serial in Folder.
std::string File(const std::string& Folder, const std::string& Serial);

// Which file goes onto which controller. Each file is read and checked here, before anything is
// sent: one that cannot be read or decoded, that names another serial number in itself, or that
// gives a side the address query's address 0 cannot be used.
TPlan Match(const std::string& Folder, const std::vector<Scan::TController>& Found);

struct TRestored {
    enum class TEnd {
        Restored,        // written, and read back equal to the file
        FileUnusable,    // nothing sent
        OtherController, // the controller at that address is no longer the file's: nothing written
        BackupFailed,    // the safety copy could not be saved: nothing written
        Failed,          // an exchange failed or the stop request came: Outcome says where
        Differs,         // written, but read back different (Differences)
    };
    TEnd End = TEnd::Failed;
    Outcome::TRestoreOutcome Outcome;
    std::vector<ConfigFile::TDifference> Differences;

    bool Succeeded() const { return End == TEnd::Restored; }
    // How it ended, as the journal words it.
    std::string Word() const;
};

// Pair's file onto its controller, at the controller's speed and first address; Change makes the
// safety copy before the first SetParam and keeps what the journal line needs. The line is left
// open at that speed, its commands at that address.
TRestored One(const Scan::TOpenLine& Open, const TPair& Pair, Safeguard::TChange& Change,
              Observer::TObserver& Front);

} // namespace Restore
