#pragma once
// The short commands: the port list, the address query and the state request.

#include <string>

#include "cli/Options.h"
#include "cli/Output.h"
#include "service/Connection.h"

namespace LineCommands {

int Ports(Output::TOutput& Out);
// Without a question: the script has said what it wants. Command.Apply makes side 1's address
// the address of the commands that follow in this run.
int Addresses(Connection::TConnection& Line, Output::TOutput& Out, const Options::TCommand& Command);
int State(Connection::TConnection& Line, Output::TOutput& Out);
// A saved line trace as readable lines; JSON: {"lines": [...]}.
int Decode(const std::string& Path, const std::string& Trace, Output::TOutput& Out);

} // namespace LineCommands
