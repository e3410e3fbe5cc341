#include "cli/StationCommands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/CliObserver.h"
#include "cli/ExitCodes.h"
#include "cli/Failure.h"
#include "cli/JournalLines.h"
#include "cli/Lists.h"
#include "cli/Safeguard.h"
#include "serial/SystemPath.h"
#include "service/Backup.h"
#include "service/ConfigPage.h"
#include "service/Operations.h"
#include "service/Texts.h"

namespace StationCommands {
namespace {

constexpr const char* kAllAddresses = "1-254";

// The scan hears Ctrl+C between addresses; it holds no line of its own.
class TStopObserver final : public Observer::TObserver {
public:
    explicit TStopObserver(const std::atomic<bool>& Flag) : flag(Flag) {}
    bool StopRequested() override { return flag.load(); }

private:
    const std::atomic<bool>& flag;
};

const char* Electronics(const PtnLL::TCfgStruct& Config) {
    return ConfigPage::PageFromRecord(Config).ElTypeItem == 0 ? "QV1" : "QV2";
}

std::string Joined(const std::vector<int>& Numbers) {
    std::string text;
    for (const int n : Numbers) {
        if (!text.empty())
            text += ',';
        text += std::to_string(n);
    }
    return text;
}

Scan::TFound Find(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command,
                  const std::string& DefaultAddresses) {
    const Scan::TRequest request{
        .Speeds = Command.Speeds.empty() ? std::vector<uint32_t>{Station.Options.Speed}
                                         : *Lists::Speeds(Command.Speeds),
        .Addresses = *Lists::Addresses(Command.Addresses.empty() ? DefaultAddresses : Command.Addresses),
        .AnswerTimeoutMs = Command.AnswerTimeoutMs};
    TStopObserver front(Station.StopRequested);
    const Scan::TFound found = Scan::Run(Station.Open, request, front);
    for (const Scan::TUnread& unread : found.Unread)
        Out.Err() << "zur-cli: " << Texts::UnreadAddress(unread.Speed, unread.Address) << Texts::kReadFailed
                  << Texts::Reason(unread.Read.Reason) << '\n'
                  << std::flush;
    return found;
}

// The exit of a scan that found nothing or was stopped, with its line; none otherwise.
std::optional<int> Unfinished(const Scan::TFound& Found, Output::TOutput& Out) {
    if (Found.Interrupted)
        return Out.Fail(ExitCodes::Interrupted, Texts::kScanInterrupted);
    if (Found.Controllers.empty())
        return Out.Fail(ExitCodes::NoAnswer, Texts::kNothingFound);
    return std::nullopt;
}

std::optional<std::string> ReadText(const std::filesystem::path& Path, std::string& Text) {
    std::ifstream file(Path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file)
        return Path.string() + ": " + std::strerror(errno);
    Text = text.str();
    return std::nullopt;
}

// Restores one controller from its file; its exit code.
int RestoreFrom(const TStation& Station, Output::TOutput& Out, const Scan::TController& Controller,
                const std::filesystem::path& File, Safeguard::TSafeguard& Guard) {
    const std::string& serial = Controller.Config.SerialNo;
    std::string text;
    if (auto problem = ReadText(File, text))
        return Out.Fail(ExitCodes::Usage, *problem);
    const ConfigFile::TDecoded decoded = ConfigFile::Decode(text);
    if (!decoded.Config)
        return Out.Fail(ExitCodes::Usage, File.string() + ": " + decoded.Problem);
    if (decoded.Config->SerialNumber && *decoded.Config->SerialNumber != serial)
        return Out.Fail(ExitCodes::OtherController,
                        File.string() + ": serial_number " + *decoded.Config->SerialNumber +
                            Texts::kOtherController + serial + Texts::kNothingRestored);

    Connection::TConnection& line = Station.Open(Controller.Speed);
    line.Commands().Address = Controller.Addresses.front();
    CliObserver::TCliObserver front(line, nullptr, &Guard);
    const Outcome::TRestoreOutcome restore =
        Operations::RestoreConfiguration(line.Commands(), decoded.Config->Page, serial, front);
    if (Guard.Failed())
        return ExitCodes::BackupFailed;
    if (!restore.Succeeded())
        return Failure::Report(Out, restore,
                               serial + ": " + Texts::kWriteFailed + Texts::Reason(restore.Reason));
    const auto differences = ConfigFile::Compare(decoded.Config->Page, restore.Found);
    if (differences.empty())
        return ExitCodes::Success;
    std::string differs = serial + ": " + Texts::kReadBackDiffers;
    for (const ConfigFile::TDifference& d : differences)
        differs += " " + d.Key + Texts::kWrittenValue + d.Wanted + Texts::kReadValue + d.Found + ";";
    differs.pop_back();
    return Out.Fail(ExitCodes::Refused, differs);
}

// Restores one controller and journals it, whatever the end; its exit code.
int RestoreOne(const TStation& Station, Output::TOutput& Out, const Scan::TController& Controller,
               const std::filesystem::path& File, Output::Json& Report) {
    const std::string& serial = Controller.Config.SerialNo;
    Safeguard::TSafeguard guard(Station.Options.NoBackup, Out);
    const int exit = RestoreFrom(Station, Out, Controller, File, guard);
    JournalLines::Record({.Operation = "restore",
                          .Port = Station.Options.Port,
                          .Speed = Controller.Speed,
                          .Address = Controller.Addresses.front(),
                          .Serial = serial,
                          .Backup = guard.Path(),
                          .Exit = exit},
                         Out);
    Report.push_back({{"serial_number", serial},
                      {"file", File.string()},
                      {"address", Controller.Addresses.front()},
                      {"backup", guard.Path() ? Output::Json(*guard.Path()) : Output::Json(nullptr)},
                      {"exit", exit}});
    if (exit == ExitCodes::Success)
        Out.Text(Texts::kRestored + serial + " (" + File.string() + ")");
    return exit;
}

} // namespace

int Scan(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command) {
    const Scan::TFound found = Find(Station, Out, Command, kAllAddresses);
    Output::Json controllers = Output::Json::array();
    Out.Text(Texts::kScanHeader);
    for (const Scan::TController& c : found.Controllers) {
        controllers.push_back({{"speed", c.Speed},
                               {"addresses", c.Addresses},
                               {"serial_number", c.Config.SerialNo},
                               {"firmware_version", c.Config.FwVersion},
                               {"electronics", Electronics(c.Config)}});
        char row[160];
        std::snprintf(row, sizeof row, "%-9u %-8s %-15s %-11s %s", c.Speed, Joined(c.Addresses).c_str(),
                      c.Config.SerialNo.c_str(), c.Config.FwVersion.c_str(), Electronics(c.Config));
        Out.Text(row);
    }
    Out.Text(Texts::ScanSummary(found.Probed, found.Seconds));
    Out.Object({{"controllers", controllers}, {"probed", found.Probed}, {"elapsed_s", found.Seconds}});
    return Unfinished(found, Out).value_or(ExitCodes::Success);
}

int Backup(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command) {
    const Scan::TFound found = Find(Station, Out, Command, std::to_string(Station.Options.Address));
    if (const auto exit = Unfinished(found, Out))
        return *exit;
    Output::Json files = Output::Json::array();
    for (const Scan::TController& c : found.Controllers) {
        const Backup::TSaved saved =
            Backup::SaveInFolder(Command.File, c.Config.SerialNo, ConfigFile::Encode(c.Config) + "\n");
        if (saved.Problem)
            return Out.Fail(ExitCodes::Usage, *saved.Problem);
        files.push_back({{"serial_number", c.Config.SerialNo}, {"file", saved.Path}});
        Out.Text(Texts::kBackedUp + saved.Path);
    }
    Out.Object({{"files", files}});
    return ExitCodes::Success;
}

int Restore(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command) {
    std::error_code error;
    const std::filesystem::path folder = SystemPath::Native(Command.File);
    std::set<std::string> names; // serial numbers that have a file
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (entry->is_regular_file(error) && entry->path().extension() == ".json")
            names.insert(entry->path().stem().string());
    if (error)
        return Out.Fail(ExitCodes::Usage, Command.File + ": " + error.message());

    const Scan::TFound found = Find(Station, Out, Command, kAllAddresses);
    if (const auto exit = Unfinished(found, Out))
        return *exit;
    Output::Json restored = Output::Json::array(), noFile = Output::Json::array(),
                 absent = Output::Json::array();
    int exit = ExitCodes::Success;
    bool any = false;
    for (const Scan::TController& c : found.Controllers) {
        if (!names.erase(c.Config.SerialNo)) {
            noFile.push_back(c.Config.SerialNo);
            Out.Text(Texts::kNoFile + c.Config.SerialNo);
            continue;
        }
        any = true;
        const int one = RestoreOne(Station, Out, c, folder / (c.Config.SerialNo + ".json"), restored);
        if (exit == ExitCodes::Success)
            exit = one;
        if (one == ExitCodes::Interrupted)
            break;
    }
    for (const std::string& name : names) {
        absent.push_back(name);
        Out.Text(Texts::kNotOnLine + (folder / (name + ".json")).string());
    }
    Out.Object({{"restored", restored}, {"no_file", noFile}, {"not_on_line", absent}});
    if (!any)
        return Out.Fail(ExitCodes::Usage, Texts::kNothingToRestore);
    return exit;
}

int Diff(Connection::TConnection& Line, Output::TOutput& Out, const ConfigFile::TConfig& Config) {
    CliObserver::TCliObserver front(Line);
    const Outcome::TReadOutcome read = Operations::ReadConfiguration(Line.Commands(), front);
    if (!read.Succeeded())
        return Failure::Report(Out, read, Texts::kReadFailed + Texts::Reason(read.Reason));
    Output::Json listed = Output::Json::array();
    for (const ConfigFile::TDifference& d : ConfigFile::Compare(Config.Page, read.Record)) {
        listed.push_back({{"key", d.Key},
                          {"file", Output::Json::parse(d.Wanted)},
                          {"controller", Output::Json::parse(d.Found)}});
        Out.Text(Texts::Differs(d.Key, d.Wanted, d.Found));
    }
    Out.Object({{"differences", listed}});
    if (!listed.empty())
        return ExitCodes::Refused;
    Out.Text(Texts::kAgreed);
    return ExitCodes::Success;
}

} // namespace StationCommands
