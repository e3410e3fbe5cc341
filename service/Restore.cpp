#include "service/Restore.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "serial/SystemPath.h"
#include "service/InputFile.h"
#include "service/Operations.h"
#include "service/Texts.h"

namespace Restore {
namespace {

constexpr const char* kExtension = ".json";

std::string Utf8(const std::filesystem::path& Path) {
    const std::u8string text = Path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

TPair Pair(const Scan::TController& Controller, const std::string& File) {
    TPair pair{Controller, File, std::nullopt, "", false};
    std::string text;
    if (auto problem = InputFile::Read(File, text)) {
        pair.Problem = *problem;
        return pair;
    }
    ConfigFile::TDecoded decoded = ConfigFile::Decode(text);
    if (!decoded.Config) {
        pair.Problem = File + ": " + decoded.Problem;
        return pair;
    }
    const std::string& serial = Controller.Config.SerialNo;
    const std::optional<std::string>& named = decoded.Config->SerialNumber;
    if (named && *named != serial) {
        pair.OtherController = true;
        pair.Problem =
            File + ": serial_number " + *named + Texts::kOtherController + serial + Texts::kNothingRestored;
    } else if (const char* zero = ConfigFile::ZeroAddressKey(decoded.Config->Page)) {
        pair.Problem = File + ": " + zero + ": " + Texts::kRestoreAddressZero;
    } else {
        pair.Config = std::move(decoded.Config);
    }
    return pair;
}

TPlan Match(const std::string& Folder, const std::vector<Scan::TController>& Found) {
    TPlan plan;
    std::error_code error;
    const std::filesystem::path folder = SystemPath::Native(Folder);
    std::set<std::string> names; // the serial numbers that have a file
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (entry->is_regular_file(error) && entry->path().extension() == kExtension)
            names.insert(Utf8(entry->path().stem()));
    if (error) {
        plan.Problem = Folder + ": " + error.message();
        return plan;
    }
    for (const Scan::TController& controller : Found) {
        const std::string& serial = controller.Config.SerialNo;
        if (names.erase(serial))
            plan.Pairs.push_back(Pair(controller, File(Folder, serial)));
        else
            plan.NoFile.push_back(serial);
    }
    plan.NotOnLine.assign(names.begin(), names.end());
    return plan;
}

std::string File(const std::string& Folder, const std::string& Serial) {
    return Utf8(SystemPath::Native(Folder) / SystemPath::Native(Serial + kExtension));
}

std::string TRestored::Word() const {
    switch (End) {
    case TEnd::Restored:
        return Journal::Word(Outcome::TResult::Success);
    case TEnd::FileUnusable:
        return Journal::kUnusableFile;
    case TEnd::OtherController:
        return Journal::Word(Outcome::TResult::OtherController);
    case TEnd::BackupFailed:
        return Journal::kBackupFailed;
    case TEnd::Failed:
        break;
    case TEnd::Differs:
        return Journal::kReadBackDiffers;
    }
    return Journal::Word(Outcome.Result);
}

TRestored One(const Scan::TOpenLine& Open, const TPair& Pair, Safeguard::TChange& Change,
              Observer::TObserver& Front) {
    using TEnd = TRestored::TEnd;
    TRestored restored;
    if (!Pair.Config) {
        restored.End = Pair.OtherController ? TEnd::OtherController : TEnd::FileUnusable;
        return restored;
    }
    Connection::TConnection& line = Open(Pair.Controller.Speed);
    line.Commands().Address = Pair.Controller.Addresses.front();
    Safeguard::TGuard guard(Front, Change);
    restored.Outcome = Operations::RestoreConfiguration(line.Commands(), Pair.Config->Page,
                                                        Pair.Controller.Config.SerialNo, guard);
    if (Change.Failure())
        restored.End = TEnd::BackupFailed;
    else if (restored.Outcome.Result == Outcome::TResult::OtherController)
        restored.End = TEnd::OtherController;
    else if (!restored.Outcome.Succeeded())
        restored.End = TEnd::Failed;
    else {
        restored.Differences = ConfigFile::Compare(Pair.Config->Page, restored.Outcome.Found);
        restored.End = restored.Differences.empty() ? TEnd::Restored : TEnd::Differs;
    }
    return restored;
}

} // namespace Restore
