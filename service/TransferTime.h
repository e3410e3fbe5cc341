#pragma once
// How long a firmware image's block transfer is expected to take on the line: each block's DATA
// frame and its acknowledgement at 11 bits a character, and in the window's read the 25 ms of
// silence that ends each read; a fast read ends at the acknowledgement's last byte.

#include <cstdint>

#include "firmware/FirmwareImage.h"

namespace TransferTime {

// The blocks the image's body is sent in.
std::size_t Blocks(const FirmwareImage::TImageState& Image);

// Seconds, the controller's own answer time not counted.
double Seconds(const FirmwareImage::TImageState& Image, uint32_t Speed, bool Fast);

} // namespace TransferTime
