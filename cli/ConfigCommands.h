#pragma once
// read and write: the configuration page's two buttons, with the file in place of the page.

#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/Safety.h"
#include "service/ConfigFile.h"
#include "service/Connection.h"

namespace ConfigCommands {

// The read with its repeats; the configuration goes to Command.File, or to standard output.
int Read(Connection::TConnection& Line, Output::TOutput& Out, const Options::TCommand& Command);

// Config was decoded and checked before the port was opened. Reads the controller first (as the
// window insists), refuses another controller's file unless Command.AnyController, saves the
// safety copy, writes, reads back and reports every field that differs; Safety is told how it ended.
int Write(Connection::TConnection& Line, Output::TOutput& Out, const Options::TCommand& Command,
          const ConfigFile::TConfig& Config, Safety::TSafety& Safety);

} // namespace ConfigCommands
