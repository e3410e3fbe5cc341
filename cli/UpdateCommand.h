#pragma once
// update: the firmware update as the window runs it, with the progress on standard error.

#include <optional>
#include <string>

#include "cli/Output.h"
#include "cli/Safety.h"
#include "firmware/FirmwareImage.h"
#include "service/Connection.h"

namespace UpdateCommand {

// Loads and checks the image as the firmware page's file choice does; the refusal, if any, as the window
// words it.
std::optional<std::string> LoadImage(const std::string& Path, FirmwareImage::TImageState& Image);

// inspect: the image's size and checksum verdict, its blocks and their expected transfer time at
// each of the window's speeds, standard and fast; exits as a refused file when it is refused.
int Inspect(const std::string& Path, Output::TOutput& Out);

// The safety copy is saved before the controller is put into update mode; Safety is told how it
// ended.
// Attempts: made again after a failed block, up to this many times in all.
int Update(Connection::TConnection& Line, Output::TOutput& Out, FirmwareImage::TImageState& Image,
           Safety::TSafety& Safety, int Attempts);

} // namespace UpdateCommand
