// The serial port and the port list on Windows: the communications functions of kernel32 on a
// handle opened without overlapped I/O, and the registry of advapi32.

#include "serial/MyCOMM.h"

#include "serial/PortNames.h"
#include "serial/SystemPath.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <windows.h>

namespace MyCOMM {

namespace {

// Prefix that opens a device by its name, so that COM10 and above open like COM1.
constexpr const char* kDevicePrefix = "\\\\?\\";

// PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR: abort transfers, empty both queues.
constexpr DWORD kPurgeAll = 0x0F;

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

// Both keys are paths from HKEY_LOCAL_MACHINE.
constexpr const char* kBiosSerialKey = "Enum\\BIOS\\*PNP0501";
constexpr const char* kDeviceMapKey = "hardware\\devicemap\\serialcomm";
constexpr const char* kPortNameValue = "PortName";

// Owns one open registry key; an empty one holds nothing.
class UniqueKey {
public:
    UniqueKey() = default;
    ~UniqueKey() {
        if (key)
            RegCloseKey(key);
    }
    UniqueKey(UniqueKey&& Other) noexcept : key(std::exchange(Other.key, nullptr)) {}
    UniqueKey& operator=(UniqueKey&&) = delete;
    HKEY Get() const { return key; }
    explicit operator bool() const { return key != nullptr; }
    HKEY* Out() { return &key; }

private:
    HKEY key = nullptr;
};

UniqueKey OpenMachineKey(const std::string& Path) {
    UniqueKey key;
    // The list only reads, so a user who may not have every right to the key still gets its ports.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Path.c_str(), 0, KEY_ALL_ACCESS, key.Out()) == ERROR_ACCESS_DENIED)
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, Path.c_str(), 0, KEY_READ, key.Out());
    return key;
}

// Names in index order; Enumerate reads the name at an index, as RegEnumKeyExA and RegEnumValueA do.
template <class TEnumerate> std::vector<std::string> Names(DWORD Count, DWORD Longest, TEnumerate Enumerate) {
    std::vector<std::string> names;
    std::string name(Longest + 1, '\0');
    for (DWORD index = 0; index < Count; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (Enumerate(index, name.data(), &length) == ERROR_SUCCESS)
            names.emplace_back(name.data(), length);
    }
    return names;
}

std::vector<std::string> SubkeyNames(HKEY Key) {
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyA(Key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return Names(count, longest, [Key](DWORD Index, char* Name, DWORD* Length) {
        return RegEnumKeyExA(Key, Index, Name, Length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> ValueNames(HKEY Key) {
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyA(Key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return Names(count, longest, [Key](DWORD Index, char* Name, DWORD* Length) {
        return RegEnumValueA(Key, Index, Name, Length, nullptr, nullptr, nullptr, nullptr);
    });
}

// The text of a REG_SZ value up to its first zero; nothing for a missing value or another type.
// Stored data need not end in a zero, so the text never runs past the bytes the registry gave.
std::optional<std::string> StringValue(HKEY Key, const std::string& Name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(Key, Name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(Key, Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    data.resize(std::min<size_t>(size, data.size()));
    return data.substr(0, data.find('\0'));
}

bool SameName(const std::string& A, const std::string& B) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.data(), static_cast<int>(A.size()),
                          B.data(), static_cast<int>(B.size())) == CSTR_EQUAL;
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
};

TZMyComm::TZMyComm(const std::string& PortName, uint32_t BaudRate, uint32_t InQueueSize,
                   uint32_t OutQueueSize, uint32_t DcbFlags, uint8_t Parity, uint8_t StopBits,
                   uint8_t ByteSize)
    : PortName(PortName), line(std::make_unique<Line>()) {
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
    return static_cast<int>(written);
}

int TZMyComm::Read(void* Buffer, int Count) {
    if (Count <= 0)
        return 0;
    DWORD got = 0;
    ReadFile(line->handle, Buffer, static_cast<DWORD>(Count), &got, nullptr);
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

void ListComPorts(std::vector<std::string>& List) {
    // The BIOS enumerator's ports first, then the device map's, each in index order.
    std::vector<std::string> names;
    const auto take = [&](const std::optional<std::string>& Name) {
        if (Name)
            names.push_back(*Name);
    };
    if (const UniqueKey bios = OpenMachineKey(kBiosSerialKey)) {
        for (const std::string& device : SubkeyNames(bios.Get())) {
            if (const UniqueKey port = OpenMachineKey(std::string(kBiosSerialKey) + "\\" + device))
                take(StringValue(port.Get(), kPortNameValue));
        }
    }
    if (const UniqueKey map = OpenMachineKey(kDeviceMapKey)) {
        for (const std::string& value : ValueNames(map.Get()))
            take(StringValue(map.Get(), value));
    }
    PortNames::Merge(List, names, SameName);
}

} // namespace MyCOMM
