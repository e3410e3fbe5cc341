#include "cli/Options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <utility>

#include "ZurVersion.h"
#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"
#include "service/Connection.h"
#include "service/Lists.h"
#include "service/Texts.h"

namespace Options {
namespace {

constexpr int kHighestAddress = 254; // the window's address box
constexpr int kQueryAddress = 0;     // where the address query goes; nothing else is sent there

// The window's speeds as a list for people: "2400, 4800, ..." with Last before the last one.
std::string WindowSpeeds(const char* Last) {
    const std::size_t count = std::size(Connection::kWindowSpeeds);
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i == 0 ? "" : i + 1 == count ? Last : ", ") + std::to_string(Connection::kWindowSpeeds[i]);
    return text;
}

int Refuse(const std::string& Line) {
    std::cerr << "zur-cli: " << Line << " (zur-cli --help)\n";
    return ExitCodes::Usage;
}

// The words nobody asked for, from the program's own and those of the commands given.
std::vector<std::string> Unexpected(const CLI::App& App) {
    std::vector<std::string> words = App.remaining();
    for (const CLI::App* command : App.get_subcommands()) {
        const std::vector<std::string> more = command->remaining();
        words.insert(words.end(), more.begin(), more.end());
    }
    return words;
}

// "<name>: <rest>" of CLI11's message, as name and rest.
std::pair<std::string, std::string> Split(const std::string& What) {
    const std::size_t colon = What.find(": ");
    if (colon == std::string::npos)
        return {What, ""};
    return {What.substr(0, colon), What.substr(colon + 2)};
}

// CLI11's refusal in the tool's words; an unknown word is named.
std::string Worded(const CLI::ParseError& Error, const CLI::App& App) {
    const std::string what = Error.what();
    const std::string name = Error.get_name();
    // A command's extras name the command, not the error.
    const bool extras = dynamic_cast<const CLI::ExtrasError*>(&Error) != nullptr;
    std::vector<std::string> left = Unexpected(App);
    // A command's extras stop the parse before they are kept: the message names them, last first.
    if (left.empty() && extras) {
        std::istringstream words(Split(what).second);
        for (std::string word; words >> word;)
            left.insert(left.begin(), word);
    }
    if (!left.empty() && (extras || App.get_subcommands().empty())) {
        const std::string& word = left.front();
        if (word.rfind('-', 0) == 0)
            return CliTexts::kUnknownOption + ("'" + word + "'");
        return (App.get_subcommands().empty() ? CliTexts::kUnknownCommand : CliTexts::kExtraArgument) +
               ("'" + word + "'");
    }
    if (App.get_subcommands().empty())
        return CliTexts::kNoCommand;
    const auto [option, rest] = Split(what);
    if (name == "ConversionError") {
        if (rest.find("true/false") != std::string::npos || rest.find("flag") != std::string::npos)
            return option + ": " + CliTexts::kFlagTakesNoValue; // "--json: Should be true/false or a number"
        std::string given = rest;                               // "Could not convert: --speed = abc"
        if (const std::size_t equals = given.find(" = "); equals != std::string::npos)
            given.replace(equals, 3, " ");
        return given + ": " + CliTexts::kNotANumber;
    }
    if (name == "ArgumentMismatch") {
        if (rest.rfind("At Most", 0) == 0) // "--output: At Most 1 required but received 2"
            return option + ": " + CliTexts::kGivenTwice;
        if (what.find("flag override") != std::string::npos)
            return what.substr(0, what.find(' ')) + ": " + CliTexts::kFlagTakesNoValue;
        return option + ": " + CliTexts::kValueMissing; // "--port: 1 required TEXT missing"
    }
    if (name == "RequiredError" && what.ends_with(" is required")) // "FILE is required"
        return what.substr(0, what.size() - std::string(" is required").size()) + ": " +
               CliTexts::kValueMissing;
    if (name == "ValidationError") {
        // The tool's own checks word themselves; CLI11's range check says "Value 0 not in range 1 to 60000".
        unsigned long long lowest = 0, highest = 0;
        char value[64] = {};
        if (std::sscanf(rest.c_str(), "Value %63s not in range %llu to %llu", value, &lowest, &highest) == 3)
            return option + " " + value + ": " + CliTexts::kOutOfRange + std::to_string(lowest) +
                   CliTexts::kRangeTo + std::to_string(highest);
    }
    return what;
}

// Address 0 is the address query's own, where a controller answers nothing else: only the query
// belongs there, and the commands after addresses --apply go to the address it found.
bool SendsToQueryAddress(const TOptions& Options) {
    bool applied = false;
    for (const TCommand& c : Options.Commands) {
        if (c.Kind == TKind::Addresses) {
            applied = applied || c.Apply;
        } else if (c.SendsToAddress() && !applied) {
            return true;
        }
    }
    return false;
}

} // namespace

bool TCommand::SendsToAddress() const {
    switch (Kind) {
    case TKind::Read:
    case TKind::Write:
    case TKind::Update:
    case TKind::State:
    case TKind::Backup:
    case TKind::Diff:
        return true;
    default:
        return false;
    }
}

bool TOptions::NeedsPort() const {
    return std::any_of(Commands.begin(), Commands.end(), [](const TCommand& c) {
        return c.Kind != TKind::Ports && c.Kind != TKind::Decode && c.Kind != TKind::Journal &&
               c.Kind != TKind::Inspect;
    });
}

TParsed Parse(int argc, const char* const* argv) {
    CLI::App app(CliTexts::Help::kDescription, "zur-cli");
    app.footer(CliTexts::Help::kConfigurationFile + ExitCodes::HelpText());
    // CLI11's own words in the help, in the tool's language.
    for (const auto& [word, ours] : CliTexts::Help::kLabels)
        app.get_formatter()->label(word, ours);
    app.option_defaults()->group(CliTexts::Help::kOptionsGroup);
    app.set_help_flag("-h,--help", CliTexts::Help::kHelp);
    app.require_subcommand(1, 0);
    app.fallthrough();

    app.set_version_flag("--version", std::string("zur-cli ") + kZurVersion, CliTexts::Help::kVersion);

    TOptions options;
    app.add_option("--port", options.Port, CliTexts::Help::kPort)->type_name("NAME");
    app.add_option("--speed", options.Speed, CliTexts::Help::kSpeed + WindowSpeeds(CliTexts::Help::kOr))
        ->default_val(9600)
        ->type_name("N");
    app.add_flag("--any-speed", options.AnySpeed, CliTexts::Help::kAnySpeed);
    app.add_option("--address", options.Address, CliTexts::Help::kAddress)->default_val(1)->type_name("A");
    app.add_flag("--json", options.Json, CliTexts::Help::kJson);
    app.add_flag("--fast", options.Fast, CliTexts::Help::kFast);
    app.add_option("--trace", options.Trace, CliTexts::Help::kTrace)->type_name("FILE");

    TCommand read{TKind::Read}, write{TKind::Write}, addresses{TKind::Addresses}, update{TKind::Update},
        decode{TKind::Decode};
    CLI::App* portsCommand = app.add_subcommand("ports", CliTexts::Help::kPorts);
    CLI::App* readCommand = app.add_subcommand("read", CliTexts::Help::kRead);
    readCommand->add_option("--output", read.File, CliTexts::Help::kOutput)->type_name("FILE");
    CLI::App* writeCommand = app.add_subcommand("write", CliTexts::Help::kWrite);
    writeCommand->add_option("FILE", write.File, CliTexts::Help::kWriteFile)->required()->type_name("");
    writeCommand->add_flag("--any-controller", write.AnyController, CliTexts::Help::kAnyController);
    writeCommand->add_flag("--allow-address-0", write.AllowAddress0, CliTexts::Help::kAllowAddress0);
    CLI::App* addressesCommand = app.add_subcommand("addresses", CliTexts::Help::kAddresses);
    addressesCommand->add_flag("--apply", addresses.Apply, CliTexts::Help::kApply);
    CLI::App* updateCommand = app.add_subcommand("update", CliTexts::Help::kUpdate);
    updateCommand->add_option("IMAGE", update.File, CliTexts::Help::kImage)->required()->type_name("");
    updateCommand->add_option("--attempts", update.Attempts, CliTexts::Help::kAttempts)
        ->default_val(1)
        ->type_name("N")
        ->check(CLI::Range(1, 100));
    CLI::App* stateCommand = app.add_subcommand("state", CliTexts::Help::kState);
    CLI::App* decodeCommand = app.add_subcommand("decode", CliTexts::Help::kDecode);
    decodeCommand->add_option("FILE", decode.File, CliTexts::Help::kTraceFile)->required()->type_name("");
    app.add_flag("--no-backup", options.NoBackup, CliTexts::Help::kNoBackup);
    TCommand scan{TKind::Scan}, backup{TKind::Backup}, restore{TKind::Restore}, diff{TKind::Diff},
        journal{TKind::Journal}, inspect{TKind::Inspect};
    const CLI::Validator addressList(
        [](std::string& Text) { return Lists::Addresses(Text) ? "" : CliTexts::Help::kBadRange; }, "RANGE");
    const CLI::Validator speedList(
        [](std::string& Text) { return Lists::Speeds(Text) ? "" : CliTexts::Help::kBadList; }, "LIST");
    const auto answerTimeout = [](CLI::App* Command, TCommand& Into) {
        Command->add_option("--answer-timeout", Into.AnswerTimeoutMs, CliTexts::Help::kAnswerTimeout)
            ->default_val(500)
            ->type_name("MS")
            ->check(CLI::Range(1, 60'000));
    };
    CLI::App* scanCommand = app.add_subcommand("scan", CliTexts::Help::kScan);
    scanCommand->add_option("--addresses", scan.Addresses, CliTexts::Help::kAllAddresses)->check(addressList);
    scanCommand->add_option("--speeds", scan.Speeds, CliTexts::Help::kSpeeds)->check(speedList);
    answerTimeout(scanCommand, scan);
    CLI::App* backupCommand = app.add_subcommand("backup", CliTexts::Help::kBackup);
    backupCommand->add_option("DIR", backup.File, CliTexts::Help::kFolder)->required()->type_name("");
    backupCommand->add_option("--addresses", backup.Addresses, CliTexts::Help::kBackupAddresses)
        ->check(addressList);
    answerTimeout(backupCommand, backup);
    CLI::App* restoreCommand = app.add_subcommand("restore", CliTexts::Help::kRestore);
    restoreCommand->add_option("DIR", restore.File, CliTexts::Help::kFolder)->required()->type_name("");
    restoreCommand->add_option("--addresses", restore.Addresses, CliTexts::Help::kAllAddresses)
        ->check(addressList);
    answerTimeout(restoreCommand, restore);
    CLI::App* diffCommand = app.add_subcommand("diff", CliTexts::Help::kDiff);
    diffCommand->add_option("FILE", diff.File, CliTexts::Help::kWriteFile)->required()->type_name("");
    CLI::App* journalCommand = app.add_subcommand("journal", CliTexts::Help::kJournal);
    journalCommand->add_option("--serial", journal.Serial, CliTexts::Help::kSerial)->type_name("SERIAL");
    CLI::App* inspectCommand = app.add_subcommand("inspect", CliTexts::Help::kInspect);
    inspectCommand->add_option("IMAGE", inspect.File, CliTexts::Help::kImage)->required()->type_name("");
    for (CLI::App* command : app.get_subcommands({})) {
        command->group(CliTexts::Help::kCommandsGroup);
        command->get_help_ptr()->group(CliTexts::Help::kOptionsGroup);
    }

    // Each time a command's words are parsed, in the order given, so that a command given twice
    // runs twice; its values are then cleared for the next time.
    const auto collect = [&options](CLI::App* Command, TCommand& Given) {
        Command->immediate_callback();
        Command->callback([&options, &Given] {
            options.Commands.push_back(Given);
            Given = TCommand{Given.Kind};
        });
    };
    TCommand ports{TKind::Ports}, state{TKind::State};
    collect(portsCommand, ports);
    collect(readCommand, read);
    collect(writeCommand, write);
    collect(addressesCommand, addresses);
    collect(updateCommand, update);
    collect(stateCommand, state);
    collect(decodeCommand, decode);
    collect(scanCommand, scan);
    collect(backupCommand, backup);
    collect(restoreCommand, restore);
    collect(diffCommand, diff);
    collect(journalCommand, journal);
    collect(inspectCommand, inspect);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help or --version
        return {std::nullopt, app.exit(e, std::cout, std::cerr)};
    } catch (const CLI::ParseError& e) {
        return {std::nullopt, Refuse(Worded(e, app))};
    }
    for (TCommand& c : options.Commands) {
        if (c.Kind == TKind::Read && c.File == "-")
            c.File.clear(); // standard output, as most tools take "-"
    }
    if (options.Port.empty() && options.NeedsPort())
        return {std::nullopt, Refuse(CliTexts::kPortRequired)};
    if (!options.AnySpeed &&
        std::find(std::begin(Connection::kWindowSpeeds), std::end(Connection::kWindowSpeeds),
                  options.Speed) == std::end(Connection::kWindowSpeeds))
        return {std::nullopt,
                Refuse("--speed " + std::to_string(options.Speed) + ": " + CliTexts::kNotAWindowSpeed +
                       WindowSpeeds(", ") + CliTexts::kAnySpeedTakes)};
    if (options.Speed == 0)
        return {std::nullopt, Refuse("--speed 0: " + std::string(CliTexts::kZeroSpeed))};
    if (options.Address < kQueryAddress || options.Address > kHighestAddress)
        return {std::nullopt,
                Refuse("--address " + std::to_string(options.Address) + ": " + CliTexts::kAddressRange)};
    if (options.Address == kQueryAddress && SendsToQueryAddress(options))
        return {std::nullopt, Refuse(std::string("--address 0: ") + CliTexts::kQueryAddressOnly)};
    return {options, ExitCodes::Success};
}

} // namespace Options
