// The serial port on Windows: the communications functions of kernel32 on a handle opened without
// overlapped I/O.

#include "serial/MyCOMM.h"

#include "serial/PortNames.h"
#include "serial/RegistryPorts.h"
#include "serial/SystemPath.h"

#include <chrono>
#include <span>
#include <string>

#include <windows.h>

namespace MyCOMM {

namespace {

// Prefix that opens a device by its name, so that COM10 and above open like COM1.
constexpr const char* kDevicePrefix = "\\\\?\\";

// PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR: abort transfers, empty both queues.
constexpr DWORD kPurgeAll = 0x0F;

// The resolution of the system's timer that ends a read.
constexpr uint64_t kTimerTickUs = 15600;

// Where the flag bits of the device-control block sit in its 32-bit flag word.
constexpr int kBitBinary = 0, kBitParity = 1, kBitOutxCtsFlow = 2, kBitOutxDsrFlow = 3, kBitDtrControl = 4,
              kBitDsrSensitivity = 6, kBitTxContinueOnXoff = 7, kBitOutX = 8, kBitInX = 9, kBitErrorChar = 10,
              kBitNull = 11, kBitRtsControl = 12, kBitAbortOnError = 14, kBitReserved = 15;

DWORD Bits(uint32_t Word, int First, int Width = 1) {
    return (Word >> First) & ((1u << Width) - 1);
}

// The flag word replaces every flag bit of the block, reserved bits included.
void SetFlagWord(DCB& Dcb, uint32_t Flags) {
    Dcb.fBinary = Bits(Flags, kBitBinary);
    Dcb.fParity = Bits(Flags, kBitParity);
    Dcb.fOutxCtsFlow = Bits(Flags, kBitOutxCtsFlow);
    Dcb.fOutxDsrFlow = Bits(Flags, kBitOutxDsrFlow);
    Dcb.fDtrControl = Bits(Flags, kBitDtrControl, 2);
    Dcb.fDsrSensitivity = Bits(Flags, kBitDsrSensitivity);
    Dcb.fTXContinueOnXoff = Bits(Flags, kBitTxContinueOnXoff);
    Dcb.fOutX = Bits(Flags, kBitOutX);
    Dcb.fInX = Bits(Flags, kBitInX);
    Dcb.fErrorChar = Bits(Flags, kBitErrorChar);
    Dcb.fNull = Bits(Flags, kBitNull);
    Dcb.fRtsControl = Bits(Flags, kBitRtsControl, 2);
    Dcb.fAbortOnError = Bits(Flags, kBitAbortOnError);
    Dcb.fDummy2 = Bits(Flags, kBitReserved, 17);
}

// The system's text for an error code, without the line break it ends in.
std::string SystemReason(DWORD Error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, Error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length > 0 ? std::string(text, length) : "error " + std::to_string(Error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    return reason;
}

} // namespace

struct TZMyComm::Line {
    Line() = default;
    ~Line() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    HANDLE handle = INVALID_HANDLE_VALUE;
    // The read limit, for telling the tap why a read ended.
    uint32_t readTotalMultiplier = 0, readTotalConstant = 0;
};

TZMyComm::TZMyComm(const std::string& Name, uint32_t BaudRate, uint32_t InQueueSize, uint32_t OutQueueSize,
                   uint32_t DcbFlags, uint8_t Parity, uint8_t StopBits, uint8_t ByteSize)
    : PortName(Name), line(std::make_unique<Line>()) {
    line->handle =
        CreateFileW(SystemPath::Native(kDevicePrefix + PortName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (line->handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw ECommError("Cannot open COM-port " + PortName, SystemReason(error));
    }

    // A driver that refuses the queue sizes or the settings leaves the port in use as it is.
    SetupComm(line->handle, InQueueSize, OutQueueSize);
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    GetCommState(line->handle, &dcb);
    dcb.BaudRate = BaudRate;
    SetFlagWord(dcb, DcbFlags);
    dcb.ByteSize = ByteSize;
    dcb.Parity = Parity;
    dcb.StopBits = StopBits;
    SetCommState(line->handle, &dcb);
}

TZMyComm::~TZMyComm() = default;

void TZMyComm::SetTimeouts(uint32_t ReadInterval, uint32_t ReadTotalMultiplier, uint32_t ReadTotalConstant,
                           uint32_t WriteTotalMultiplier, uint32_t WriteTotalConstant) {
    COMMTIMEOUTS timeouts{.ReadIntervalTimeout = ReadInterval,
                          .ReadTotalTimeoutMultiplier = ReadTotalMultiplier,
                          .ReadTotalTimeoutConstant = ReadTotalConstant,
                          .WriteTotalTimeoutMultiplier = WriteTotalMultiplier,
                          .WriteTotalTimeoutConstant = WriteTotalConstant};
    SetCommTimeouts(line->handle, &timeouts);
    line->readTotalMultiplier = ReadTotalMultiplier;
    line->readTotalConstant = ReadTotalConstant;
}

bool TZMyComm::WriteAll(const void* Buffer, int Count) {
    return Write(Buffer, Count) < Count;
}

bool TZMyComm::ReadAll(void* Buffer, int Count) {
    return Read(Buffer, Count) < Count;
}

int TZMyComm::Write(const void* Buffer, int Count) {
    if (PurgeOnWrite)
        Purge();
    // A negative count would reach WriteFile as a huge unsigned one.
    if (Count <= 0)
        return 0;
    DWORD written = 0;
    WriteFile(line->handle, Buffer, static_cast<DWORD>(Count), &written, nullptr);
    if (Tap)
        Tap->Record(LineTap::TDirection::Tx, std::span(static_cast<const uint8_t*>(Buffer), written),
                    written < static_cast<DWORD>(Count) ? LineTap::TEnd::Failed : LineTap::TEnd::None);
    return static_cast<int>(written);
}

int TZMyComm::Read(void* Buffer, int Count) {
    if (Count <= 0)
        return 0;
    DWORD got = 0;
    const auto start = std::chrono::steady_clock::now();
    const bool done = ReadFile(line->handle, Buffer, static_cast<DWORD>(Count), &got, nullptr);
    if (Tap) {
        // ReadFile does not say which limit ended it: a read short of the total limit was ended by
        // the silence rule. The system's timer ticks every 15.6 ms, so the limit is allowed one tick.
        const uint64_t limitUs =
            (uint64_t{line->readTotalMultiplier} * static_cast<uint64_t>(Count) + line->readTotalConstant) *
            1000;
        const auto tookUs =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        const bool totalPassed =
            limitUs > 0 && static_cast<uint64_t>(tookUs.count()) + kTimerTickUs >= limitUs;
        Tap->Record(
            LineTap::TDirection::Rx, std::span(static_cast<const uint8_t*>(Buffer), got),
            done ? LineTap::ReadEnd(static_cast<int>(got), Count, !totalPassed, totalPassed || got == 0)
                 : LineTap::TEnd::Failed);
    }
    return static_cast<int>(got);
}

void TZMyComm::Purge() {
    PurgeComm(line->handle, kPurgeAll);
}

void TZMyComm::Break(bool Clear) {
    if (Clear)
        ClearCommBreak(line->handle);
    else
        SetCommBreak(line->handle);
}

int TZMyComm::InQueue() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(line->handle, &errors, &status))
        return 0;
    return static_cast<int>(status.cbInQue);
}

void ListComPorts(std::vector<std::string>& List) {
    PortNames::Merge(List, RegistryPorts::List(), RegistryPorts::SameName);
}

} // namespace MyCOMM
