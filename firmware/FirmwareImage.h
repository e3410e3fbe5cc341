#pragma once
// Loading and checking a firmware image file: a 32-bit and a 16-bit header value, the body, and a
// trailing Crc16 over header and body, low byte first.

#include <cstdint>
#include <string>
#include <vector>

#include "firmware/FirmwareUpdate.h"

namespace FirmwareImage {

enum class TCheck { Accepted, ChecksumMismatch, TooShort, TooLarge, Unreadable };

struct TLoaded {
    TCheck Result = TCheck::Unreadable;
    FirmwareUpdate::TImageState Image; // filled when Accepted
    std::string Reason;                // the operating system's reason when Unreadable
};

// Checks the bytes of a whole file.
TLoaded CheckImage(const std::vector<uint8_t>& FileBytes);
// Reads the file whole and checks it.
TLoaded LoadImageFile(const std::string& Path);

// "Выбрать файл" after the dialog returned Path: reports a refusal through the window and keeps
// the previous image; true when the file was accepted and Image now holds it.
bool AcceptImageFile(const std::string& Path, FirmwareUpdate::TImageState& Image,
                     FirmwareUpdate::TUpdateWindow& Window);

} // namespace FirmwareImage
