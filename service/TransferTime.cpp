#include "service/TransferTime.h"

#include <algorithm>
#include <span>
#include <vector>

#include "link/LinkFrame.h"
#include "link/LinkTransactions.h"
#include "link/uDispenser.h"
#include "serial/LineSettings.h"
#include "service/FirmwareUpdate.h"

namespace TransferTime {
namespace {

constexpr double kBitsPerCharacter = 11; // start, 8 data, parity, stop
constexpr uint8_t kAnyTx = 1;            // the TX moves the CRC, and with it a stuffed byte at most

std::size_t BodyStart(const FirmwareImage::TImageState& Image) {
    return std::min(Image.FirmwareImage.size(), static_cast<std::size_t>(std::max(Image.TransferPos, 0)));
}

} // namespace

std::size_t Blocks(const FirmwareImage::TImageState& Image) {
    const std::size_t body = Image.FirmwareImage.size() - BodyStart(Image);
    return (body + FirmwareUpdate::kBlockBytes - 1) / FirmwareUpdate::kBlockBytes;
}

double Seconds(const FirmwareImage::TImageState& Image, uint32_t Speed, bool Fast) {
    const std::span<const uint8_t> image(Image.FirmwareImage);
    double characters = 0;
    for (std::size_t at = BodyStart(Image); at < image.size(); at += FirmwareUpdate::kBlockBytes) {
        const auto block =
            image.subspan(at, std::min<std::size_t>(FirmwareUpdate::kBlockBytes, image.size() - at));
        std::vector<uint8_t> transaction{LinkTransactions::kUpdateBlock, static_cast<uint8_t>(block.size())};
        transaction.insert(transaction.end(), block.begin(), block.end());
        characters +=
            static_cast<double>(LinkFrame::DataFrame(uDispenser::kLoaderAddress, kAnyTx, transaction).size() +
                                LinkFrame::kControlFrameSize);
    }
    const double silence =
        Fast ? 0 : static_cast<double>(Blocks(Image)) * LineSettings::kReadInterval / 1000.0;
    return characters * kBitsPerCharacter / Speed + silence;
}

} // namespace TransferTime
