#include "serial/RegistryPorts.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <windows.h>

namespace RegistryPorts {

namespace {

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

} // namespace

std::vector<std::string> List() {
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
    return names;
}

bool SameName(const std::string& A, const std::string& B) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.data(), static_cast<int>(A.size()),
                          B.data(), static_cast<int>(B.size())) == CSTR_EQUAL;
}

} // namespace RegistryPorts
