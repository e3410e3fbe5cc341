#include "cli/LineCommands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "cli/Failure.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "trace/TraceDecoder.h"

namespace LineCommands {

int Ports(Output::TOutput& Out) {
    std::vector<std::string> ports;
    MyCOMM::ListComPorts(ports);
    for (const std::string& port : ports)
        Out.Text(port);
    Out.Object({{"ports", ports}});
    return ExitCodes::Success;
}

int Addresses(Session::TSession& Session, Output::TOutput& Out, const Options::TCommand& Command) {
    PtnLL::TPtnLL& commands = Session.Commands();
    uint8_t first = 0;
    uint8_t second = 0;
    commands.GetAddresses(first, second);
    if (!commands.Ok)
        return Failure::Report(Session, Out, ExitCodes::NoAnswer, "Неудалось получить адреса!");
    if (Command.Apply)
        commands.Address = first;
    Out.Text("Получены адреса: " + std::to_string(first) + " " + std::to_string(second) + "." +
             (Command.Apply ? " Address " + std::to_string(first) + " is used from here on." : ""));
    Out.Object({{"addr1", first}, {"addr2", second}, {"applied", Command.Apply}});
    return ExitCodes::Success;
}

int State(Session::TSession& Session, Output::TOutput& Out) {
    PtnLL::TPtnLL& commands = Session.Commands();
    commands.GetState();
    if (!commands.Ok)
        return Failure::Report(Session, Out, ExitCodes::NoAnswer, "no valid answer to the state request");
    char errors[8];
    std::snprintf(errors, sizeof errors, "0x%02X", static_cast<unsigned>(commands.Errors));
    Out.Text("state " + std::to_string(commands.State) + ", ready " + (commands.Ready ? "yes" : "no") +
             ", error flags " + errors);
    Out.Object({{"state", commands.State}, {"ready", commands.Ready}, {"errors", commands.Errors}});
    return ExitCodes::Success;
}

int Decode(const std::string& Trace, Output::TOutput& Out) {
    const std::vector<std::string> lines = TraceDecoder::DecodeText(Trace);
    for (const std::string& line : lines)
        Out.Text(line);
    Out.Object({{"lines", lines}});
    return ExitCodes::Success;
}

} // namespace LineCommands
