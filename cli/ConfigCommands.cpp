#include "cli/ConfigCommands.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "cli/CliObserver.h"
#include "cli/ExitCodes.h"
#include "cli/Failure.h"
#include "serial/SystemPath.h"
#include "service/Operations.h"
#include "service/Texts.h"

namespace ConfigCommands {
namespace {

// A write that ended midway left the parameters it got through in the controller and the rest as
// they were: says which, by name, so that the user knows the controller holds a mix.
int WriteFailed(Output::TOutput& Out, const Outcome::TRestoreOutcome& Restore) {
    std::string line = Texts::kWriteFailed + Texts::Reason(Restore.Reason);
    Output::Json names = Output::Json::array();
    for (const Outcome::TWritten& w : Restore.Written) {
        line += (names.empty() ? std::string(" ") + Texts::kPartlyWritten : ", ") + std::string(w.Name);
        names.push_back(w.Name);
    }
    if (!names.empty())
        line += Texts::kMixedConfiguration;
    Out.Object({{"written", false}, {"address", Restore.Address}, {"written_parameters", names}});
    return Failure::Report(Out, Restore, line);
}

} // namespace

int Read(Connection::TConnection& Line, Output::TOutput& Out, const Options::TCommand& Command) {
    CliObserver::TCliObserver front(Line);
    const Outcome::TReadOutcome read = Operations::ReadConfiguration(Line.Commands(), front);
    if (!read.Succeeded())
        return Failure::Report(Out, read, Texts::kReadFailed + Texts::Reason(read.Reason));
    const std::string text = ConfigFile::Encode(read.Record);
    if (!Command.File.empty()) {
        std::ofstream file(SystemPath::Native(Command.File), std::ios::binary | std::ios::trunc);
        file << text << '\n';
        file.close();
        if (!file)
            return Out.Fail(ExitCodes::OutputLost,
                            Texts::kCannotWriteFile + Command.File + ": " + std::strerror(errno));
    }
    Out.Object(Output::Json::parse(text));
    if (Command.File.empty())
        Out.Text(text);
    else
        Out.Text(Texts::kConfigurationRead);
    return ExitCodes::Success;
}

int Write(Connection::TConnection& Line, Output::TOutput& Out, const Options::TCommand& Command,
          const ConfigFile::TConfig& Config, Safeguard::TSafeguard& Guard) {
    using TStep = Outcome::TRestoreOutcome::TStep;
    CliObserver::TCliObserver front(Line, nullptr, &Guard);
    const std::optional<std::string> guard = Command.AnyController ? std::nullopt : Config.SerialNumber;
    const Outcome::TRestoreOutcome restore =
        Operations::RestoreConfiguration(Line.Commands(), Config.Page, guard, front);
    switch (restore.Step) {
    case TStep::Read:
        return Failure::Report(Out, restore, Texts::kReadFailed + Texts::Reason(restore.Reason));
    case TStep::Check:
        if (Guard.Failed())
            return ExitCodes::BackupFailed;
        return Out.Fail(ExitCodes::For(restore.Result), Command.File + ": serial_number " +
                                                            *Config.SerialNumber + Texts::kOtherController +
                                                            restore.Found.SerialNo + Texts::kNothingWritten);
    case TStep::Write:
        return WriteFailed(Out, restore);
    case TStep::ReadBack:
        if (!restore.Succeeded())
            return Failure::Report(Out, restore,
                                   Texts::kReadBackFailed + std::string(Texts::kReadFailed) +
                                       Texts::Reason(restore.Reason));
        break;
    }

    const std::vector<ConfigFile::TDifference> differences = ConfigFile::Compare(Config.Page, restore.Found);
    Output::Json listed = Output::Json::array();
    std::string line = Texts::kReadBackDiffers;
    for (const ConfigFile::TDifference& d : differences) {
        listed.push_back({{"key", d.Key},
                          {"written", Output::Json::parse(d.Wanted)},
                          {"read", Output::Json::parse(d.Found)}});
        line += " " + d.Key + Texts::kWrittenValue + d.Wanted + Texts::kReadValue + d.Found + ";";
    }
    Out.Object({{"written", true}, {"address", restore.Address}, {"differences", listed}});
    if (!differences.empty()) {
        line.pop_back();
        return Out.Fail(ExitCodes::Refused, line);
    }
    Out.Text(Texts::kConfigurationSaved);
    return ExitCodes::Success;
}

} // namespace ConfigCommands
