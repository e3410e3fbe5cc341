#include "cli/Options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

#include "ZurVersion.h"
#include "cli/ExitCodes.h"
#include "cli/Lists.h"

namespace Options {
namespace {

constexpr int kHighestAddress = 254; // the window's address box

const char* const kDescription =
    "zur-cli: the ZUR dispenser service tool for scripts. Reads and writes the controller's "
    "configuration as a JSON file, queries the side addresses, loads firmware and asks the state, "
    "with the same line settings, time-outs and repeats as the window.";

const char* const kFooter = R"(
A configuration file is one JSON object with the keys addr1, addr2 (0 to 254, different),
no_fill_timeout1, no_fill_timeout2, no_master_timeout, min_voltage (0 to 255), price_decimals,
amount_decimals (the number of decimals, 0 to 2), recalc (true or false), electronics ("QV1" or
"QV2"), and the read-only serial_number and firmware_version (strings). write needs every key but
the read-only ones; a serial_number that is there must be the controller's.

)";

} // namespace

bool TOptions::NeedsPort() const {
    return std::any_of(Commands.begin(), Commands.end(), [](const TCommand& c) {
        return c.Kind != TKind::Ports && c.Kind != TKind::Decode && c.Kind != TKind::Journal &&
               c.Kind != TKind::Inspect;
    });
}

TParsed Parse(int argc, const char* const* argv) {
    CLI::App app(kDescription, "zur-cli");
    app.footer(kFooter + ExitCodes::HelpText());
    app.require_subcommand(1, 0);
    app.fallthrough();

    app.set_version_flag("--version", std::string("zur-cli ") + kZurVersion, "print the version and exit");

    TOptions options;
    app.add_option("--port", options.Port,
                   "serial port (COM3, ttyUSB0, /dev/ttyS0, ...); required but for ports");
    app.add_option("--speed", options.Speed, "line speed, bit/s")
        ->default_val(9600)
        ->check(CLI::PositiveNumber);
    app.add_option("--address", options.Address, "dispenser address")
        ->default_val(1)
        ->check(CLI::Range(0, kHighestAddress));
    app.add_flag("--json", options.Json, "print one JSON object per command instead of text");
    app.add_flag("--fast", options.Fast,
                 "purge the input before each request and end each read at the end of a complete, "
                 "well-formed answer instead of after 25 ms of silence");
    app.add_option(
        "--trace", options.Trace,
        "write every write and read of this run to FILE, in the line trace format (zur-cli decode FILE)");

    TCommand read{TKind::Read}, write{TKind::Write}, addresses{TKind::Addresses}, update{TKind::Update},
        decode{TKind::Decode};
    CLI::App* portsCommand = app.add_subcommand("ports", "the ports the machine lists, one a line");
    CLI::App* readCommand =
        app.add_subcommand("read", "read the whole configuration (six attempts, as the window)");
    readCommand->add_option("--output", read.File, "write it to FILE instead of standard output");
    CLI::App* writeCommand =
        app.add_subcommand("write", "write a configuration file, then read it back and compare");
    writeCommand->add_option("FILE", write.File, "the configuration file")->required();
    writeCommand->add_flag("--any-controller", write.AnyController,
                           "write even when the file's serial_number is another controller's");
    CLI::App* addressesCommand = app.add_subcommand(
        "addresses", "ask the side addresses (sent to address 0; one dispenser on the line)");
    addressesCommand->add_flag("--apply", addresses.Apply,
                               "use side 1's address for the following commands of this run");
    CLI::App* updateCommand = app.add_subcommand("update", "load a firmware image, as the window does");
    updateCommand->add_option("IMAGE", update.File, "the firmware image file")->required();
    CLI::App* stateCommand =
        app.add_subcommand("state", "the controller's state, ready flag and error flags");
    CLI::App* decodeCommand =
        app.add_subcommand("decode", "print a saved line trace as readable lines (no port needed)");
    decodeCommand->add_option("FILE", decode.File, "the trace file")->required();

    app.add_flag(
        "--no-backup", options.NoBackup,
        "write, restore, update: do not save the controller's configuration in the data folder first");
    TCommand scan{TKind::Scan}, backup{TKind::Backup}, restore{TKind::Restore}, diff{TKind::Diff},
        journal{TKind::Journal};
    const CLI::Validator addressList(
        [](std::string& Text) {
            return Lists::Addresses(Text) ? "" : "RANGE is addresses 1 to 254 and ranges, as 1,3,10-20";
        },
        "RANGE");
    const CLI::Validator speedList(
        [](std::string& Text) {
            return Lists::Speeds(Text) ? "" : "LIST is speeds (bit/s) or all, as 9600,19200";
        },
        "LIST");
    const auto answerTimeout = [](CLI::App* Command, TCommand& Into) {
        Command
            ->add_option("--answer-timeout", Into.AnswerTimeoutMs,
                         "how long a silent address is waited for, ms")
            ->default_val(500)
            ->check(CLI::Range(1, 60'000));
    };
    CLI::App* scanCommand = app.add_subcommand(
        "scan", "find the controllers on the line: each address at each speed asked its state");
    scanCommand->add_option("--addresses", scan.Addresses, "addresses asked (default 1-254)")
        ->check(addressList);
    scanCommand
        ->add_option("--speeds", scan.Speeds, "speeds tried, or all for the window's nine (default --speed)")
        ->check(speedList);
    answerTimeout(scanCommand, scan);
    CLI::App* backupCommand =
        app.add_subcommand("backup", "save each controller's configuration as DIR/<serial_number>.json");
    backupCommand->add_option("DIR", backup.File, "the folder")->required();
    backupCommand->add_option("--addresses", backup.Addresses, "addresses asked (default --address)")
        ->check(addressList);
    answerTimeout(backupCommand, backup);
    CLI::App* restoreCommand = app.add_subcommand(
        "restore",
        "write DIR/<serial_number>.json onto the controller with that serial number, for each found");
    restoreCommand->add_option("DIR", restore.File, "the folder")->required();
    restoreCommand->add_option("--addresses", restore.Addresses, "addresses asked (default 1-254)")
        ->check(addressList);
    answerTimeout(restoreCommand, restore);
    CLI::App* diffCommand =
        app.add_subcommand("diff", "read the controller and list each field that differs from FILE");
    diffCommand->add_option("FILE", diff.File, "the configuration file")->required();
    CLI::App* journalCommand = app.add_subcommand(
        "journal", "the journal of writes, restores and updates, newest last (no port needed)");
    journalCommand->add_option("--serial", journal.Serial, "only the lines of this serial number");
    TCommand inspect{TKind::Inspect};
    CLI::App* inspectCommand = app.add_subcommand(
        "inspect",
        "check a firmware image as the window does, with its expected transfer time (no port needed)");
    inspectCommand->add_option("IMAGE", inspect.File, "the firmware image file")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help or --version
        return {std::nullopt, app.exit(e, std::cout, std::cerr)};
    } catch (const CLI::ParseError& e) {
        std::cerr << "zur-cli: " << e.what() << " (zur-cli --help)\n";
        return {std::nullopt, ExitCodes::Usage};
    }
    for (const CLI::App* command : app.get_subcommands()) {
        if (command == portsCommand)
            options.Commands.push_back({TKind::Ports});
        else if (command == readCommand)
            options.Commands.push_back(read);
        else if (command == writeCommand)
            options.Commands.push_back(write);
        else if (command == addressesCommand)
            options.Commands.push_back(addresses);
        else if (command == updateCommand)
            options.Commands.push_back(update);
        else if (command == stateCommand)
            options.Commands.push_back({TKind::State});
        else if (command == decodeCommand)
            options.Commands.push_back(decode);
        else if (command == scanCommand)
            options.Commands.push_back(scan);
        else if (command == backupCommand)
            options.Commands.push_back(backup);
        else if (command == restoreCommand)
            options.Commands.push_back(restore);
        else if (command == diffCommand)
            options.Commands.push_back(diff);
        else if (command == journalCommand)
            options.Commands.push_back(journal);
        else if (command == inspectCommand)
            options.Commands.push_back(inspect);
    }
    if (options.Port.empty() && options.NeedsPort()) {
        std::cerr << "zur-cli: --port is required\n";
        return {std::nullopt, ExitCodes::Usage};
    }
    return {options, ExitCodes::Success};
}

} // namespace Options
