#pragma once
// Loading and checking a firmware image file: a 32-bit and a 16-bit header value, the body, and a
// trailing Crc16 over header and body, low byte first.

#include <cstdint>
#include <string>
#include <vector>

namespace FirmwareImage {

// The header: ImageValue32 then ImageValue16, little-endian; the blocks start right after it.
inline constexpr int32_t kHeaderBytes = 6;

// The image kept by the main window between runs.
struct TImageState {
    std::vector<uint8_t> FirmwareImage; // the file without its checksum, header included
    uint32_t ImageValue32 = 0;
    uint16_t ImageValue16 = 0;
    int32_t TransferPos = kHeaderBytes; // where the next block starts
    bool ImageChosen = false;
};

enum class TCheck { Accepted, ChecksumMismatch, TooShort, TooLarge, Unreadable };

struct TLoaded {
    TCheck Result = TCheck::Unreadable;
    TImageState Image;  // filled when Accepted
    std::string Reason; // the operating system's reason when Unreadable
};

// Checks the bytes of a whole file.
TLoaded CheckImage(const std::vector<uint8_t>& FileBytes);
// Reads the file whole and checks it.
TLoaded LoadImageFile(const std::string& Path);

} // namespace FirmwareImage
