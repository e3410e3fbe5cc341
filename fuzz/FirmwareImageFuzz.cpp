// The firmware file check: any bytes as a whole file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "firmware/FirmwareImage.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTarget.h"
#include "protocol/crc16c.h"

namespace {
using FuzzCheck::Require;
// Header values, then the body, then Crc16 low byte first.
constexpr std::size_t kHeaderBytes = 6, kChecksumBytes = 2;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size) {
    const std::vector<uint8_t> file(Data, Data + Size);
    const FirmwareImage::TLoaded loaded = FirmwareImage::CheckImage(file);
    if (Size < kHeaderBytes + kChecksumBytes) {
        Require(loaded.Result == FirmwareImage::TCheck::TooShort,
                "a file without header and checksum is short");
        return 0;
    }
    const std::size_t covered = Size - kChecksumBytes;
    const uint16_t stored = static_cast<uint16_t>(Data[covered] | Data[covered + 1] << 8);
    const bool matches = crc16c::Crc16(0, Data, static_cast<int32_t>(covered)) == stored;
    Require((loaded.Result == FirmwareImage::TCheck::Accepted) == matches,
            "accepted exactly when the checksum matches");
    if (!matches) {
        Require(!loaded.Image.ImageChosen && loaded.Image.FirmwareImage.empty(),
                "nothing of a refused file is kept");
        return 0;
    }
    const FirmwareImage::TImageState& image = loaded.Image;
    Require(image.ImageChosen && image.TransferPos == static_cast<int32_t>(kHeaderBytes),
            "an accepted file starts after its header");
    Require(std::ranges::equal(image.FirmwareImage, std::span(Data, covered)),
            "the image is the file without its checksum");
    Require(image.ImageValue32 ==
                static_cast<uint32_t>(Data[0] | Data[1] << 8 | Data[2] << 16 | uint32_t{Data[3]} << 24),
            "the 32-bit header value, little-endian");
    Require(image.ImageValue16 == static_cast<uint16_t>(Data[4] | Data[5] << 8),
            "the 16-bit header value, little-endian");
    return 0;
}
