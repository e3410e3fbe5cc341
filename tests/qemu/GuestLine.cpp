#include "tests/qemu/GuestLine.h"

namespace GuestLine {
namespace {

constexpr uint32_t kQueueSize = 256;
constexpr uint32_t kDcbFlags = 2; // parity checked, no flow control, DTR and RTS off
constexpr uint8_t kOddParity = 1;
constexpr uint8_t kOneStopBit = 0;
constexpr uint8_t kEightBits = 8;

} // namespace

std::unique_ptr<MyCOMM::TZMyComm> OpenPort(const std::string& Device, uint32_t BaudRate) {
    auto port = std::make_unique<MyCOMM::TZMyComm>(Device, BaudRate, kQueueSize, kQueueSize, kDcbFlags,
                                                   kOddParity, kOneStopBit, kEightBits);
    port->SetTimeouts(25, 0, 500, 1, 200);
    return port;
}

std::string OpenFailure(const std::string& Device) {
    try {
        OpenPort(Device);
        return "";
    } catch (const MyCOMM::ECommError& error) {
        return error.what();
    }
}

} // namespace GuestLine
