#include "cli/Options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <iostream>

#include "ZurVersion.h"
#include "cli/ExitCodes.h"
#include "service/Texts.h"

namespace Options {
namespace {

constexpr int kHighestAddress = 254; // the window's address box
constexpr int kQueryAddress = 0;     // where the address query goes; nothing else is sent there
constexpr std::array<uint32_t, 9> kWindowSpeeds{2400, 4800, 7200, 9600, 14400, 19200, 38400, 57600, 115200};

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

int Refuse(const std::string& Line) {
    std::cerr << "zur-cli: " << Line << " (zur-cli --help)\n";
    return ExitCodes::Usage;
}

// CLI11's refusal in the tool's words; an unknown word is named.
std::string Worded(const CLI::ParseError& Error, const CLI::App& App) {
    const std::vector<std::string> left = App.remaining();
    if (!left.empty() && (Error.get_name() == "ExtrasError" || App.get_subcommands().empty()))
        return (left.front().rfind('-', 0) == 0 ? Texts::kUnknownOption : Texts::kUnknownCommand) +
               ("'" + left.front() + "'");
    const std::string what = Error.what();
    const std::string name = Error.get_name();
    if (name == "ConversionError") { // "Could not convert: --speed = abc"
        std::string given = what.substr(what.find(": ") + 2);
        if (const std::size_t equals = given.find(" = "); equals != std::string::npos)
            given.replace(equals, 3, " ");
        return given + ": " + Texts::kNotANumber;
    }
    if (name == "ArgumentMismatch") // "--port: 1 required TEXT missing"
        return what.substr(0, what.find(':')) + ": " + Texts::kValueMissing;
    if (name == "RequiredError" && what.ends_with(" is required")) // "FILE is required"
        return what.substr(0, what.size() - std::string(" is required").size()) + ": " + Texts::kValueMissing;
    return what;
}

// A command sent to address 0 reaches every controller that shares the query address; only the
// address query belongs there, or a command after addresses --apply.
bool SendsToQueryAddress(const TOptions& Options) {
    bool applied = false;
    for (const TCommand& c : Options.Commands) {
        if (c.Kind == TKind::Addresses) {
            applied = applied || c.Apply;
        } else if (c.Kind != TKind::Ports && c.Kind != TKind::Decode && !applied) {
            return true;
        }
    }
    return false;
}

} // namespace

bool TOptions::NeedsPort() const {
    return std::any_of(Commands.begin(), Commands.end(),
                       [](const TCommand& c) { return c.Kind != TKind::Ports && c.Kind != TKind::Decode; });
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
    app.add_option("--speed", options.Speed,
                   "line speed, bit/s: 2400, 4800, 7200, 9600, 14400, 19200, 38400, 57600 or 115200")
        ->default_val(9600);
    app.add_flag("--any-speed", options.AnySpeed, "take any --speed the port accepts");
    app.add_option("--address", options.Address,
                   "dispenser address, 1 to 254 (0 only for addresses, the query's own address)")
        ->default_val(1);
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
    readCommand->add_option("--output", read.File,
                            "write it to FILE instead of standard output (- is standard output); FILE is "
                            "checked before the port is opened");
    CLI::App* writeCommand =
        app.add_subcommand("write", "write a configuration file, then read it back and compare");
    writeCommand->add_option("FILE", write.File, "the configuration file")->required();
    writeCommand->add_flag("--any-controller", write.AnyController,
                           "write even when the file's serial_number is another controller's");
    writeCommand->add_flag("--allow-address-0", write.AllowAddress0,
                           "write addr1 or addr2 0, the address query's address, which leaves the "
                           "controller answering no command");
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
        return {std::nullopt, Refuse(Texts::kPortRequired)};
    if (!options.AnySpeed &&
        std::find(kWindowSpeeds.begin(), kWindowSpeeds.end(), options.Speed) == kWindowSpeeds.end())
        return {std::nullopt,
                Refuse("--speed " + std::to_string(options.Speed) + ": " + Texts::kNotAWindowSpeed)};
    if (options.Speed == 0)
        return {std::nullopt, Refuse("--speed 0: " + std::string(Texts::kZeroSpeed))};
    if (options.Address < kQueryAddress || options.Address > kHighestAddress)
        return {std::nullopt,
                Refuse("--address " + std::to_string(options.Address) + ": " + Texts::kAddressRange)};
    if (options.Address == kQueryAddress && SendsToQueryAddress(options))
        return {std::nullopt, Refuse(std::string("--address 0: ") + Texts::kQueryAddressOnly)};
    return {options, ExitCodes::Success};
}

} // namespace Options
