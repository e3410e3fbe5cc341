#include "cli/Program.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>

#include "cli/CliTexts.h"
#include "cli/ConfigCommands.h"
#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "cli/JournalLines.h"
#include "cli/LineCommands.h"
#include "cli/Output.h"
#include "cli/Safety.h"
#include "cli/StationCommands.h"
#include "cli/UpdateCommand.h"
#include "serial/MyCOMM.h"
#include "serial/SystemPath.h"
#include "service/Connection.h"
#include "service/InputFile.h"
#include "service/Journal.h"
#include "service/StationLine.h"
#include "service/Texts.h"
#include "trace/TraceFile.h"

namespace Program {
namespace {

// What the commands need from files, checked before anything is sent; keyed by command position.
struct TFiles {
    std::map<std::size_t, ConfigFile::TConfig> Configs;
    std::map<std::size_t, FirmwareImage::TImageState> Images;
};

// Whether Path can take the configuration, asked before the port is opened; a file there is left
// as it is, and one made to find out is removed again.
std::optional<std::string> CheckWritable(const std::string& Path) {
    const std::filesystem::path native = SystemPath::Native(Path);
    std::error_code error;
    if (std::filesystem::is_directory(native, error))
        return Path + ": " + Texts::kIsDirectory;
    const bool existed = std::filesystem::exists(native, error);
    if (!std::ofstream(native, std::ios::binary | std::ios::app))
        return Path + ": " + std::strerror(errno);
    if (!existed)
        std::filesystem::remove(native, error);
    return std::nullopt;
}

std::optional<std::string> LoadFiles(const Options::TOptions& Options, TFiles& Files) {
    for (std::size_t i = 0; i < Options.Commands.size(); ++i) {
        const Options::TCommand& command = Options.Commands[i];
        if (command.Kind == Options::TKind::Write || command.Kind == Options::TKind::Diff) {
            std::string text;
            if (auto problem = InputFile::Read(command.File, text))
                return problem;
            ConfigFile::TDecoded decoded = ConfigFile::Decode(text);
            if (!decoded.Config)
                return command.File + ": " + decoded.Problem;
            if (const char* zero = ConfigFile::ZeroAddressKey(decoded.Config->Page);
                zero && !command.AllowAddress0)
                return command.File + ": " + zero + ": " + CliTexts::kAddressZero;
            Files.Configs[i] = *decoded.Config;
        } else if (command.Kind == Options::TKind::Read && !command.File.empty()) {
            if (auto problem = CheckWritable(command.File))
                return problem;
        } else if (command.Kind == Options::TKind::Update) {
            if (auto problem = UpdateCommand::LoadImage(command.File, Files.Images[i]))
                return problem;
        }
    }
    return std::nullopt;
}

// The port that cannot be opened, why, and who holds it where that is known.
int PortFailure(Output::TOutput& Out, const std::string& Port, const MyCOMM::ECommError& Error) {
    std::string line = std::string(Texts::kPortUnavailable) + " " + Port + ": " + Error.Reason();
    if (Error.PermissionDenied())
        line += CliTexts::kPermissionHint; // Debian's serial ports belong to dialout
    if (Error.Holder() > 0)
        line += std::string(" ") + CliTexts::kPortHeldBy + std::to_string(Error.Holder());
    if (*Error.HolderLock())
        line += std::string(" (") + CliTexts::kLockFile + Error.HolderLock() + ")";
    return Out.Fail(ExitCodes::PortUnavailable, line);
}

// A write or an update: the safety copy first, and the journal line after, whatever the end.
template <typename Run>
int Journaled(const char* Operation, const Options::TOptions& Options, Connection::TConnection& Line,
              Output::TOutput& Out, std::optional<Journal::TImage> Image, Run run) {
    Safety::TSafety safety(Options, Out, Operation, Options.Speed, Line.Commands().Address);
    if (Image)
        safety.Change().SetImage(std::move(*Image));
    const int exit = run(safety);
    safety.Record(exit);
    return exit;
}

int RunCommand(const Options::TCommand& Command, std::size_t Position, Connection::TConnection* Line,
               Output::TOutput& Out, TFiles& Files, const Options::TOptions& Options,
               const StationCommands::TStation& Station) {
    switch (Command.Kind) {
    case Options::TKind::Ports:
        return LineCommands::Ports(Out);
    case Options::TKind::Read:
        return ConfigCommands::Read(*Line, Out, Command);
    case Options::TKind::Write:
        return Journaled("write", Options, *Line, Out, std::nullopt, [&](Safety::TSafety& Safety) {
            return ConfigCommands::Write(*Line, Out, Command, Files.Configs.at(Position), Safety);
        });
    case Options::TKind::Addresses:
        return LineCommands::Addresses(*Line, Out, Command);
    case Options::TKind::Update:
        return Journaled(
            "update", Options, *Line, Out, Journal::ImageOf(Command.File, Files.Images.at(Position)),
            [&](Safety::TSafety& Safety) {
                return UpdateCommand::Update(*Line, Out, Files.Images.at(Position), Safety, Command.Attempts);
            });
    case Options::TKind::State:
        return LineCommands::State(*Line, Out);
    case Options::TKind::Decode: {
        std::string text;
        if (auto problem = InputFile::Read(Command.File, text))
            return Out.Fail(ExitCodes::Usage, *problem);
        return LineCommands::Decode(Command.File, text, Out);
    }
    case Options::TKind::Scan:
        return StationCommands::Scan(Station, Out, Command);
    case Options::TKind::Backup:
        return StationCommands::Backup(Station, Out, Command);
    case Options::TKind::Restore:
        return StationCommands::Restore(Station, Out, Command);
    case Options::TKind::Diff:
        return StationCommands::Diff(*Line, Out, Files.Configs.at(Position));
    case Options::TKind::Journal:
        return JournalLines::Print(Out, Command.Serial);
    case Options::TKind::Inspect:
        return UpdateCommand::Inspect(Command.File, Out);
    }
    return ExitCodes::Internal;
}

int RunCommands(const Options::TOptions& options, Output::TOutput& out) {
    TFiles files;
    if (auto problem = LoadFiles(options, files))
        return out.Fail(ExitCodes::Usage, *problem);

    const std::atomic<bool>& stopRequested = Interrupt::Install();
    // Made before the connection and gone after it, so that it sees every transfer.
    std::optional<LineTrace::TTraceFile> trace;
    if (!options.Trace.empty()) {
        trace.emplace(options.Trace, "zur-cli");
        if (!trace->IsOpen())
            return out.Fail(ExitCodes::Usage, options.Trace + ": " + std::strerror(errno));
    }
    // The station commands reopen the line at each speed they try, and the commands after them
    // find it at --speed and at the address the run had come to.
    StationLine::TStationLine line({.Port = options.Port,
                                    .Speed = options.Speed,
                                    .Address = options.Address,
                                    .Fast = options.Fast,
                                    .StopRequested = &stopRequested},
                                   trace ? &*trace : nullptr);
    const StationCommands::TStation station{line, options, stopRequested};
    int exit = ExitCodes::Success;
    try {
        if (options.NeedsPort())
            line.Open(options.Speed);
        for (std::size_t i = 0; i < options.Commands.size() && exit == ExitCodes::Success; ++i) {
            const int32_t address = line.Current() ? line.Current()->Commands().Address : options.Address;
            exit = RunCommand(options.Commands[i], i, line.Current(), out, files, options, station);
            const Options::TKind kind = options.Commands[i].Kind;
            const bool scanned = kind == Options::TKind::Scan || kind == Options::TKind::Backup ||
                                 kind == Options::TKind::Restore;
            if (exit == ExitCodes::Success && scanned && i + 1 < options.Commands.size())
                line.Return(address);
        }
    } catch (const MyCOMM::ECommError& e) {
        exit = PortFailure(out, options.Port, e);
    }
    if (const int lost = trace ? trace->Lost() : 0) {
        out.Fail(ExitCodes::OutputLost, Texts::kCannotWriteFile + options.Trace + ": " + std::strerror(lost));
        return exit == ExitCodes::Success ? ExitCodes::OutputLost : exit;
    }
    return exit;
}

} // namespace

int Run(int argc, const char* const* argv, std::ostream& Out, std::ostream& Err) {
    Interrupt::KeepOnBrokenPipe();
    const Options::TParsed parsed = Options::Parse(argc, argv);
    if (!parsed.Options)
        return Output::TOutput(false, Out, Err).Finish(parsed.Exit); // --help may have printed
    Output::TOutput out(parsed.Options->Json, Out, Err);
    return out.Finish(RunCommands(*parsed.Options, out));
}

} // namespace Program
