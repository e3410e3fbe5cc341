#pragma once
// The command line: global options, then one or more commands, run in the order given.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Options {

enum class TKind { Ports, Read, Write, Addresses, Update, State, Decode };

struct TCommand {
    TKind Kind = TKind::Ports;
    std::string File = {};      // read: --output (empty: standard output); write, decode: FILE; update: IMAGE
    bool Apply = false;         // addresses --apply
    bool AnyController = false; // write --any-controller
    bool AllowAddress0 = false; // write --allow-address-0
};

struct TOptions {
    std::string Port;
    uint32_t Speed = 9600;
    bool AnySpeed = false; // --speed may be other than the window's nine
    int Address = 1;
    bool Json = false;
    bool Fast = false;
    std::string Trace; // the line trace of the run goes there (empty: none)
    std::vector<TCommand> Commands;

    bool NeedsPort() const;
};

struct TParsed {
    std::optional<TOptions> Options; // absent: the program ends with Exit
    int Exit = 0;
};

// Parses the arguments; --help and errors are printed here (help on standard output, an error as
// one line on standard error).
TParsed Parse(int argc, const char* const* argv);

} // namespace Options
