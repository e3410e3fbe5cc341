#include "cli/ConfigCommands.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "cli/ExitCodes.h"
#include "cli/Failure.h"
#include "protocol/ConfigPage.h"
#include "protocol/ConfigRead.h"
#include "protocol/PtnLL.h"
#include "serial/SystemPath.h"

namespace ConfigCommands {

int Read(Session::TSession& Session, Output::TOutput& Out, const Options::TCommand& Command) {
    PtnLL::TPtnLL& commands = Session.Commands();
    if (!ConfigRead::WithRepeats(commands))
        return Failure::Report(Session, Out, ExitCodes::NoAnswer,
                               ConfigPage::ReadFailureMessage(commands.Errors));
    const std::string text = ConfigFile::Encode(commands.Cfg);
    if (!Command.File.empty()) {
        std::ofstream file(SystemPath::Native(Command.File), std::ios::binary | std::ios::trunc);
        file << text << '\n';
        if (!file.flush())
            return Out.Fail(ExitCodes::Usage, Command.File + ": " + std::strerror(errno));
    }
    Out.Object(Output::Json::parse(text));
    if (Command.File.empty())
        Out.Text(text);
    else
        Out.Text("Конфигурация успешно получена");
    return ExitCodes::Success;
}

int Write(Session::TSession& Session, Output::TOutput& Out, const Options::TCommand& Command,
          const ConfigFile::TConfig& Config) {
    PtnLL::TPtnLL& commands = Session.Commands();
    if (!ConfigRead::WithRepeats(commands))
        return Failure::Report(Session, Out, ExitCodes::NoAnswer,
                               ConfigPage::ReadFailureMessage(commands.Errors));
    if (Config.SerialNumber && *Config.SerialNumber != commands.Cfg.SerialNo && !Command.AnyController)
        return Out.Fail(ExitCodes::OtherController,
                        Command.File + ": serial_number " + *Config.SerialNumber +
                            " is not this controller's (" + commands.Cfg.SerialNo +
                            "); nothing written; --any-controller writes it anyway");
    ConfigPage::RecordFromPage(Config.Page, commands.Cfg);
    commands.SetConfig();
    if (!ConfigPage::WriteSucceeded(commands.Ok, commands.Errors))
        return Failure::Report(Session, Out, ExitCodes::NoAnswer,
                               ConfigPage::WriteFailureMessage(commands.Errors));
    if (!ConfigRead::WithRepeats(commands))
        return Failure::Report(Session, Out, ExitCodes::NoAnswer,
                               "written, but the read-back failed: " +
                                   ConfigPage::ReadFailureMessage(commands.Errors));

    const std::vector<ConfigFile::TDifference> differences = ConfigFile::Compare(Config.Page, commands.Cfg);
    Output::Json listed = Output::Json::array();
    std::string line = "the configuration read back differs:";
    for (const ConfigFile::TDifference& d : differences) {
        listed.push_back({{"key", d.Key},
                          {"written", Output::Json::parse(d.Wanted)},
                          {"read", Output::Json::parse(d.Found)}});
        line += " " + d.Key + " written " + d.Wanted + ", read " + d.Found + ";";
    }
    Out.Object({{"written", true}, {"address", commands.Address}, {"differences", listed}});
    if (!differences.empty()) {
        line.pop_back();
        return Out.Fail(ExitCodes::Refused, line);
    }
    Out.Text("Конфигурация успешно сохранена!");
    return ExitCodes::Success;
}

} // namespace ConfigCommands
