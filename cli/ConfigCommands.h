#pragma once
// read and write: the configuration page's two buttons, with the file in place of the page.

#include "cli/ConfigFile.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/Safeguard.h"
#include "service/Connection.h"

namespace ConfigCommands {

// The read with its repeats; the configuration goes to Command.File, or to standard output.
int Read(Connection::TConnection& Line, Output::TOutput& Out, const Options::TCommand& Command);

// Config was decoded and checked before the port was opened. Reads the controller first (as the
// window insists), refuses another controller's file unless Command.AnyController, lets Guard
// save the configuration, writes, reads back and reports every field that differs.
int Write(Connection::TConnection& Line, Output::TOutput& Out, const Options::TCommand& Command,
          const ConfigFile::TConfig& Config, Safeguard::TSafeguard& Guard);

} // namespace ConfigCommands
