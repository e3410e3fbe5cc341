#pragma once
// update: the firmware update as the window runs it, with the progress on standard error.

#include <optional>
#include <string>

#include "cli/Output.h"
#include "cli/Safeguard.h"
#include "firmware/FirmwareImage.h"
#include "service/Connection.h"

namespace UpdateCommand {

// Loads and checks the image as "Выбрать файл" does; the refusal, if any, as the window words it.
std::optional<std::string> LoadImage(const std::string& Path, FirmwareImage::TImageState& Image);

// inspect: the image's size and checksum verdict, its blocks and their expected transfer time at
// each of the window's speeds, standard and fast; exits as a refused file when it is refused.
int Inspect(const std::string& Path, Output::TOutput& Out);

// Guard saves the configuration before the controller is put into update mode.
int Update(Connection::TConnection& Line, Output::TOutput& Out, FirmwareImage::TImageState& Image,
           Safeguard::TSafeguard& Guard);

} // namespace UpdateCommand
