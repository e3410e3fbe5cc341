#include "firmware/FirmwareImage.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

#include "protocol/crc16c.h"
#include "serial/SystemPath.h"

namespace FirmwareImage {
namespace {

constexpr size_t kChecksumBytes = 2; // Crc16 over header and body, low byte first
constexpr size_t kShortestFile = size_t{kHeaderBytes} + kChecksumBytes;
// TransferPos is a signed 32-bit position into the image (header included); keeping it at most
// INT32_MAX / 100 keeps TransferPos * 100 within its own range, so the percentage is exact.
constexpr size_t kLargestImage = INT32_MAX / 100;
constexpr size_t kLargestFile = kLargestImage + kChecksumBytes;
constexpr size_t kReadChunk = 64 * 1024;

class TFile {
public:
    explicit TFile(const std::string& Path) : fd(SystemPath::OpenForReading(Path)) {}
    ~TFile() {
        if (fd >= 0)
            ::close(fd);
    }
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    int Handle() const { return fd; }

private:
    int fd;
};

TLoaded Unreadable(int Error) {
    TLoaded loaded;
    loaded.Reason = std::strerror(Error);
    return loaded;
}

uint32_t LittleEndian(const uint8_t* Data, size_t Count) {
    uint32_t value = 0;
    for (size_t i = Count; i-- > 0;)
        value = value << 8 | Data[i];
    return value;
}

} // namespace

TLoaded CheckImage(const std::vector<uint8_t>& FileBytes) {
    TLoaded loaded;
    if (FileBytes.size() < kShortestFile) {
        loaded.Result = TCheck::TooShort;
        return loaded;
    }
    if (FileBytes.size() > kLargestFile) {
        loaded.Result = TCheck::TooLarge;
        return loaded;
    }
    const size_t covered = FileBytes.size() - kChecksumBytes;
    const auto stored = static_cast<uint16_t>(LittleEndian(FileBytes.data() + covered, kChecksumBytes));
    if (crc16c::Crc16(0, FileBytes.data(), static_cast<int32_t>(covered)) != stored) {
        loaded.Result = TCheck::ChecksumMismatch;
        return loaded;
    }
    loaded.Result = TCheck::Accepted;
    loaded.Image.FirmwareImage.assign(FileBytes.begin(), FileBytes.begin() + covered);
    loaded.Image.ImageValue32 = LittleEndian(FileBytes.data(), 4);
    loaded.Image.ImageValue16 = static_cast<uint16_t>(LittleEndian(FileBytes.data() + 4, 2));
    loaded.Image.TransferPos = kHeaderBytes;
    loaded.Image.ImageChosen = true;
    return loaded;
}

TLoaded LoadImageFile(const std::string& Path) {
    const TFile file(Path);
    if (file.Handle() < 0)
        return Unreadable(errno);
    // Stops once the file is known to be too large, so a device or a huge file is not read whole.
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> chunk(kReadChunk);
    while (bytes.size() <= kLargestFile) {
        const ssize_t got = ::read(file.Handle(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Unreadable(errno);
        if (got == 0)
            break;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
    }
    return CheckImage(bytes);
}

} // namespace FirmwareImage
