#pragma once
// The command line: global options, then one or more commands, run in the order given.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Options {

enum class TKind {
    Ports,
    Read,
    Write,
    Addresses,
    Update,
    State,
    Decode,
    Scan,
    Backup,
    Restore,
    Diff,
    Journal,
    Inspect
};

struct TCommand {
    TKind Kind = TKind::Ports;
    std::string File =
        {}; // read: --output (empty: standard output); write, decode, diff: FILE; update, inspect: IMAGE
    bool Apply = false;         // addresses --apply
    bool AnyController = false; // write --any-controller
    bool AllowAddress0 = false; // write --allow-address-0
    // scan, backup, restore: the addresses (empty: the command's default) and speeds (empty:
    // --speed) asked, and how long a silent address is waited for; backup and restore: File is DIR.
    std::string Addresses = {}, Speeds = {};
    uint32_t AnswerTimeoutMs = 500;
    std::string Serial = {}; // journal --serial (empty: every line)
    int Attempts = 1;        // update --attempts

    // It talks to the controller at --address (the scan and restore find their own).
    bool SendsToAddress() const;
};

struct TOptions {
    std::string Port;
    uint32_t Speed = 9600;
    bool AnySpeed = false; // --speed may be other than the window's nine
    int Address = 1;
    bool Json = false;
    bool Fast = false;
    std::string Trace;     // the line trace of the run goes there (empty: none)
    bool NoBackup = false; // write, restore, update: no safety backup first
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
