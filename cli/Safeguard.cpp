#include "cli/Safeguard.h"

#include <chrono>

#include "cli/ConfigFile.h"
#include "cli/ExitCodes.h"
#include "service/Backup.h"
#include "service/Texts.h"

namespace Safeguard {

bool TSafeguard::Save(const PtnLL::TCfgStruct& Current) {
    serial = Current.SerialNo;
    if (skip)
        return true;
    const Backup::TSaved saved = Backup::SaveSafetyCopy(Current.SerialNo, ConfigFile::Encode(Current) + "\n",
                                                        std::chrono::system_clock::now());
    if (saved.Problem) {
        failed = true;
        out.Fail(ExitCodes::BackupFailed, Texts::kSafetyBackupFailed + *saved.Problem);
        return false;
    }
    path = saved.Path;
    // On standard output it would break the one JSON object of the command.
    if (out.JsonMode())
        out.Err() << "zur-cli: " << Texts::kSafetyBackup << saved.Path << '\n' << std::flush;
    out.Text(Texts::kSafetyBackup + saved.Path);
    return true;
}

} // namespace Safeguard
