#include "cli/StationCommands.h"

#include <cstdio>

#include "cli/CliObserver.h"
#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"
#include "cli/Failure.h"
#include "cli/Safety.h"
#include "service/Backup.h"
#include "service/ConfigPage.h"
#include "service/Lists.h"
#include "service/Operations.h"
#include "service/Restore.h"
#include "service/Scan.h"
#include "service/Texts.h"

namespace StationCommands {
namespace {

constexpr const char* kAllAddresses = "1-254";

// The scan hears Ctrl+C between addresses; it holds no line of its own.
class TStopObserver final : public Scan::TScanObserver {
public:
    explicit TStopObserver(const std::atomic<bool>& Flag) : flag(Flag) {}
    bool StopRequested() override { return flag.load(); }

private:
    const std::atomic<bool>& flag;
};

std::string Joined(const std::vector<int>& Numbers) {
    std::string text;
    for (const int n : Numbers) {
        if (!text.empty())
            text += ',';
        text += std::to_string(n);
    }
    return text;
}

Scan::TOpenLine Opener(const TStation& Station) {
    return [&Station](uint32_t Speed) -> Connection::TConnection& { return Station.Line.Open(Speed); };
}

Scan::TFound Find(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command,
                  const std::string& DefaultAddresses) {
    const Scan::TRequest request{
        .Speeds = Command.Speeds.empty() ? std::vector<uint32_t>{Station.Options.Speed}
                                         : *Lists::Speeds(Command.Speeds),
        .Addresses = *Lists::Addresses(Command.Addresses.empty() ? DefaultAddresses : Command.Addresses),
        .AnswerTimeoutMs = Command.AnswerTimeoutMs};
    TStopObserver front(Station.StopRequested);
    const Scan::TFound found = Scan::Run(Opener(Station), request, front);
    for (const Scan::TUnread& unread : found.Unread)
        Out.Err() << "zur-cli: " << CliTexts::UnreadAddress(unread.Speed, unread.Address)
                  << Texts::kReadFailed << Texts::Reason(unread.Read.Reason) << '\n'
                  << std::flush;
    return found;
}

// The exit of a scan that found nothing or was stopped, with its line; none otherwise.
std::optional<int> Unfinished(const Scan::TFound& Found, Output::TOutput& Out) {
    if (Found.Interrupted)
        return Out.Fail(ExitCodes::Interrupted, CliTexts::kScanInterrupted);
    if (Found.Controllers.empty())
        return Out.Fail(ExitCodes::NoAnswer, Texts::kNothingFound);
    return std::nullopt;
}

std::string DifferencesLine(const std::string& Prefix,
                            const std::vector<ConfigFile::TDifference>& Differences) {
    std::string line = Prefix + CliTexts::kReadBackDiffers;
    for (const ConfigFile::TDifference& d : Differences)
        line += " " + d.Key + CliTexts::kWrittenValue + d.Wanted + CliTexts::kReadValue + d.Found + ";";
    line.pop_back();
    return line;
}

// How one controller's restore ended, said as zur-cli says it; its exit code.
int Said(Output::TOutput& Out, const Restore::TPair& Pair, const Restore::TRestored& Restored,
         Safety::TSafety& Safety) {
    using TEnd = Restore::TRestored::TEnd;
    const std::string prefix = Pair.Controller.Config.SerialNo + ": ";
    switch (Restored.End) {
    case TEnd::Restored:
        Out.Text(CliTexts::kRestored + Pair.Controller.Config.SerialNo + " (" + Pair.File + ")");
        return ExitCodes::Success;
    case TEnd::FileUnusable:
        return Out.Fail(ExitCodes::Usage, Pair.Problem);
    case TEnd::OtherController:
        // Either the file names another controller, or another one answers at the address now.
        return Out.Fail(ExitCodes::OtherController,
                        Pair.Config ? Pair.File + ": serial_number " + Pair.Controller.Config.SerialNo +
                                          Texts::kOtherController + Restored.Outcome.Found.SerialNo +
                                          Texts::kNothingRestored
                                    : Pair.Problem);
    case TEnd::BackupFailed:
        return Safety.CopyFailed();
    case TEnd::Failed:
        break;
    case TEnd::Differs:
        return Out.Fail(ExitCodes::Refused, DifferencesLine(prefix, Restored.Differences));
    }
    const Outcome::TRestoreOutcome& restore = Restored.Outcome;
    if (restore.Step == Outcome::TRestoreOutcome::TStep::Write)
        return Failure::Report(Out, restore, prefix + Failure::WriteLine(restore));
    return Failure::Report(Out, restore, prefix + Texts::kReadFailed + Texts::Reason(restore.Reason));
}

// Restores one controller and journals it, whatever the end; its exit code.
int RestoreOne(const TStation& Station, Output::TOutput& Out, const Restore::TPair& Pair,
               Output::Json& Report) {
    const Scan::TController& controller = Pair.Controller;
    Safety::TSafety safety(Station.Options, Out, "restore", controller.Speed, controller.Addresses.front());
    safety.Change().Read(controller.Config);
    CliObserver::TCliObserver front(Station.Line.Open(controller.Speed), nullptr, &safety);
    const Restore::TRestored restored = Restore::One(Opener(Station), Pair, safety.Change(), front);
    safety.Change().Ended(restored.Word(), restored.Succeeded()
                                               ? std::vector<std::string>{}
                                               : Safeguard::WrittenNames(restored.Outcome.Written));
    const int exit = Said(Out, Pair, restored, safety);
    safety.Record(exit);
    const std::optional<std::string>& copy = safety.Change().Copy();
    Report.push_back({{"serial_number", controller.Config.SerialNo},
                      {"file", Pair.File},
                      {"address", controller.Addresses.front()},
                      {"backup", copy ? Output::Json(*copy) : Output::Json(nullptr)},
                      {"written_parameters", Safeguard::WrittenNames(restored.Outcome.Written)},
                      {"exit", exit}});
    return exit;
}

} // namespace

int Scan(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command) {
    const Scan::TFound found = Find(Station, Out, Command, kAllAddresses);
    Output::Json controllers = Output::Json::array();
    Out.Text(CliTexts::kScanHeader);
    for (const Scan::TController& c : found.Controllers) {
        controllers.push_back({{"speed", c.Speed},
                               {"addresses", c.Addresses},
                               {"serial_number", c.Config.SerialNo},
                               {"firmware_version", c.Config.FwVersion},
                               {"electronics", ConfigPage::ElectronicsName(c.Config)}});
        char row[160];
        std::snprintf(row, sizeof row, "%-9u %-8s %-15s %-11s %s", c.Speed, Joined(c.Addresses).c_str(),
                      c.Config.SerialNo.c_str(), c.Config.FwVersion.c_str(),
                      ConfigPage::ElectronicsName(c.Config));
        Out.Text(row);
    }
    Out.Text(CliTexts::ScanSummary(found.Probed, found.Seconds));
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
        Out.Text(CliTexts::kBackedUp + saved.Path);
    }
    Out.Object({{"files", files}});
    return ExitCodes::Success;
}

int Restore(const TStation& Station, Output::TOutput& Out, const Options::TCommand& Command) {
    // The folder is read before the scan, so that a wrong name costs no scan.
    if (const auto problem = Restore::Match(Command.File, {}).Problem)
        return Out.Fail(ExitCodes::Usage, *problem);
    const Scan::TFound found = Find(Station, Out, Command, kAllAddresses);
    if (const auto exit = Unfinished(found, Out))
        return *exit;
    const Restore::TPlan plan = Restore::Match(Command.File, found.Controllers);
    if (plan.Problem)
        return Out.Fail(ExitCodes::Usage, *plan.Problem);
    Output::Json restored = Output::Json::array();
    int exit = ExitCodes::Success;
    for (const Restore::TPair& pair : plan.Pairs) {
        const int one = RestoreOne(Station, Out, pair, restored);
        if (exit == ExitCodes::Success)
            exit = one;
        if (one == ExitCodes::Interrupted || one == ExitCodes::HungUp || one == ExitCodes::Terminated)
            break;
    }
    for (const std::string& serial : plan.NoFile)
        Out.Text(CliTexts::kNoFile + serial);
    for (const std::string& serial : plan.NotOnLine)
        Out.Text(CliTexts::kNotOnLine + Restore::File(Command.File, serial));
    Out.Object({{"restored", restored}, {"no_file", plan.NoFile}, {"not_on_line", plan.NotOnLine}});
    if (plan.Pairs.empty())
        return Out.Fail(ExitCodes::Usage, Texts::kNoneToRestore);
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
        Out.Text(CliTexts::Differs(d.Key, d.Wanted, d.Found));
    }
    Out.Object({{"differences", listed}});
    if (!listed.empty())
        return ExitCodes::Refused;
    Out.Text(CliTexts::kAgreed);
    return ExitCodes::Success;
}

} // namespace StationCommands
