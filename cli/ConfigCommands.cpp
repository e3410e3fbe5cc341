#include "cli/ConfigCommands.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "cli/CliObserver.h"
#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"
#include "cli/Failure.h"
#include "serial/SystemPath.h"
#include "service/Operations.h"
#include "service/Texts.h"

namespace ConfigCommands {
namespace {

int WriteFailed(Output::TOutput& Out, const Outcome::TRestoreOutcome& Restore) {
    Out.Object({{"written", false},
                {"address", Restore.Address},
                {"written_parameters", Safeguard::WrittenNames(Restore.Written)}});
    return Failure::Report(Out, Restore, Failure::WriteLine(Restore));
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
          const ConfigFile::TConfig& Config, Safety::TSafety& Safety) {
    using TStep = Outcome::TRestoreOutcome::TStep;
    CliObserver::TCliObserver front(Line, nullptr, &Safety);
    Safeguard::TGuard guard(front, Safety.Change());
    const std::optional<std::string> serial = Command.AnyController ? std::nullopt : Config.SerialNumber;
    const Outcome::TRestoreOutcome restore =
        Operations::RestoreConfiguration(Line.Commands(), Config.Page, serial, guard);
    Safety.Change().Ended(Journal::Word(restore.Result), restore.Succeeded()
                                                             ? std::vector<std::string>{}
                                                             : Safeguard::WrittenNames(restore.Written));
    switch (restore.Step) {
    case TStep::Read:
        return Failure::Report(Out, restore, Texts::kReadFailed + Texts::Reason(restore.Reason));
    case TStep::Check:
        if (Safety.Change().Failure())
            return Safety.CopyFailed();
        return Out.Fail(ExitCodes::For(restore.Result),
                        Command.File + ": serial_number " + *Config.SerialNumber + Texts::kOtherController +
                            restore.Found.SerialNo + CliTexts::kNothingWritten);
    case TStep::Write:
        return WriteFailed(Out, restore);
    case TStep::ReadBack:
        if (!restore.Succeeded())
            return Failure::Report(Out, restore,
                                   CliTexts::kReadBackFailed + std::string(Texts::kReadFailed) +
                                       Texts::Reason(restore.Reason));
        break;
    }

    const std::vector<ConfigFile::TDifference> differences = ConfigFile::Compare(Config.Page, restore.Found);
    Output::Json listed = Output::Json::array();
    std::string line = CliTexts::kReadBackDiffers;
    for (const ConfigFile::TDifference& d : differences) {
        listed.push_back({{"key", d.Key},
                          {"written", Output::Json::parse(d.Wanted)},
                          {"read", Output::Json::parse(d.Found)}});
        line += " " + d.Key + CliTexts::kWrittenValue + d.Wanted + CliTexts::kReadValue + d.Found + ";";
    }
    Out.Object({{"written", true}, {"address", restore.Address}, {"differences", listed}});
    if (!differences.empty()) {
        Safety.Change().Ended(Journal::kReadBackDiffers);
        line.pop_back();
        return Out.Fail(ExitCodes::Refused, line);
    }
    Out.Text(Texts::kConfigurationSaved);
    return ExitCodes::Success;
}

} // namespace ConfigCommands
