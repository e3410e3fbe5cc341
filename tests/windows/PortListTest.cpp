// The port list against keys written into the registry. It rewrites both keys under
// HKEY_LOCAL_MACHINE, so it runs only under Wine, in a prefix made for the test run.

#include "serial/MyCOMM.h"
#include "tests/windows/HandleCount.h"
#include "tests/windows/WineHost.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include <sddl.h>

namespace {

constexpr const char* kBiosSerialKey = "Enum\\BIOS\\*PNP0501";
constexpr const char* kDeviceMapKey = "hardware\\devicemap\\serialcomm";

struct TValue {
    std::string Name;
    DWORD Type;
    std::string Data; // bytes as stored, no terminating zero added
};

TValue Sz(std::string Name, const std::string& Text) {
    return {std::move(Name), REG_SZ, Text + '\0'};
}

TValue ExpandSz(std::string Name, const std::string& Text) {
    return {std::move(Name), REG_EXPAND_SZ, Text + '\0'};
}

TValue Dword(std::string Name, uint32_t Number) {
    return {std::move(Name), REG_DWORD, std::string(reinterpret_cast<const char*>(&Number), sizeof(Number))};
}

// A device under the BIOS key: its subkey name and the values it holds.
struct TDevice {
    std::string Subkey;
    std::vector<TValue> Values;
};

struct TListRow {
    const char* Name;
    std::optional<std::vector<TDevice>> Bios;     // absent: no such key
    std::optional<std::vector<TValue>> DeviceMap; // absent: no such key
    std::vector<std::string> Before;
    std::vector<std::string> After;
};

void WriteValues(HKEY Key, const std::vector<TValue>& Values) {
    for (const TValue& value : Values)
        ASSERT_EQ(RegSetValueExA(Key, value.Name.c_str(), 0, value.Type,
                                 reinterpret_cast<const BYTE*>(value.Data.data()),
                                 static_cast<DWORD>(value.Data.size())),
                  ERROR_SUCCESS);
}

// The hardware tree is volatile, and so must be every key made under it.
void WriteKey(const std::string& Path, const std::vector<TValue>& Values) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, Path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << Path;
    WriteValues(key, Values);
    RegCloseKey(key);
}

void RemoveKey(const char* Path) {
    const LSTATUS status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, Path);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << Path << ": " << status;
}

class PortListTest : public testing::TestWithParam<TListRow> {
protected:
    void SetUp() override {
        if (!WineHost::UnderWine())
            GTEST_SKIP() << "rewrites the machine's serial port keys: only in a Wine prefix";
        RemoveKey(kBiosSerialKey);
        RemoveKey(kDeviceMapKey);
        const TListRow& row = GetParam();
        if (row.Bios) {
            WriteKey(kBiosSerialKey, {});
            for (const TDevice& device : *row.Bios)
                WriteKey(std::string(kBiosSerialKey) + "\\" + device.Subkey, device.Values);
        }
        if (row.DeviceMap)
            WriteKey(kDeviceMapKey, *row.DeviceMap);
    }
};

TEST_P(PortListTest, AppendsRegistryPortsWithoutDuplicates) {
    std::vector<std::string> list = GetParam().Before;
    MyCOMM::ListComPorts(list);
    EXPECT_EQ(list, GetParam().After);
}

TEST_P(PortListTest, ClosesEveryKey) {
    const size_t before = HandleCount::OfThisProcess();
    ASSERT_GT(before, 0u);
    std::vector<std::string> list;
    MyCOMM::ListComPorts(list);
    EXPECT_EQ(HandleCount::OfThisProcess(), before);
}

// Wine and Windows enumerate values and subkeys in name order; the names below are chosen so
// that this order is the one each row means.
const TListRow kRows[] = {
    {"PortUnderBothKeysListedOnceWhereFirstMet",
     std::vector<TDevice>{{"00", {Sz("PortName", "COM1")}}, {"01", {Sz("PortName", "COM4")}}},
     std::vector<TValue>{Sz("\\Device\\Serial0", "COM3"), Sz("\\Device\\Serial1", "COM1")},
     {},
     {"COM1", "COM4", "COM3"}},
    {"CaseDifferentNamesAreOneAndTheFirstFormStays",
     std::vector<TDevice>{{"00", {Sz("PortName", "com3")}}},
     std::vector<TValue>{Sz("\\Device\\Serial0", "COM3"), Sz("\\Device\\Serial1", "Com5"),
                         Sz("\\Device\\Serial2", "COM5")},
     {},
     {"com3", "Com5"}},
    {"OnlyTextValuesCount",
     std::vector<TDevice>{{"00", {ExpandSz("PortName", "COM8")}},
                          {"01", {Dword("PortName", 8)}},
                          {"02", {Sz("FriendlyName", "COM9")}},
                          {"03", {Sz("PortName", "COM2")}}},
     std::vector<TValue>{ExpandSz("\\Device\\Serial0", "COM9"),
                         Dword("\\Device\\Serial1", 7),
                         Sz("\\Device\\Serial2", "COM1"),
                         {"\\Device\\Serial3", REG_BINARY, "COM4"}},
     {},
     {"COM2", "COM1"}},
    {"EmptyTextAddedOnce",
     std::nullopt,
     std::vector<TValue>{Sz("\\Device\\Serial0", ""), Sz("\\Device\\Serial1", "COM1"),
                         Sz("\\Device\\Serial2", "")},
     {},
     {"", "COM1"}},
    {"NameAlreadyListedIsNotAddedAgain",
     std::nullopt,
     std::vector<TValue>{Sz("\\Device\\Serial0", "com2"), Sz("\\Device\\Serial1", "COM3")},
     {"COM2"},
     {"COM2", "COM3"}},
    {"NamesAreNotSorted",
     std::vector<TDevice>{{"00", {Sz("PortName", "COM7")}}},
     std::vector<TValue>{Sz("\\Device\\Serial0", "COM10"), Sz("\\Device\\Serial1", "COM2"),
                         Sz("\\Device\\Serial2", "COM1")},
     {"COM9"},
     {"COM9", "COM7", "COM10", "COM2", "COM1"}},
    {"BiosKeyAloneContributes",
     std::vector<TDevice>{{"00", {Sz("PortName", "COM1")}}, {"01", {}}},
     std::nullopt,
     {},
     {"COM1"}},
    {"NeitherKeyLeavesTheListAsItWas", std::nullopt, std::nullopt, {"COM9"}, {"COM9"}},
    // Stored texts need not end where their data ends, nor end in a zero at all.
    {"TextEndsAtItsFirstZeroOrItsData",
     std::nullopt,
     std::vector<TValue>{{"\\Device\\Serial0", REG_SZ, std::string("COM6\0junk", 9)},
                         {"\\Device\\Serial1", REG_SZ, "COM7"}},
     {},
     {"COM6", "COM7"}},
};

INSTANTIATE_TEST_SUITE_P(Registry, PortListTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<TListRow>& row) { return row.param.Name; });

// Sets a key's access list from its SDDL text.
void SetAccess(const std::string& Path, const char* Sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorA(Sddl, SDDL_REVISION_1, &descriptor, nullptr));
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, Path.c_str(), 0, WRITE_DAC, &key);
    if (status == ERROR_SUCCESS) {
        status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    ASSERT_EQ(status, ERROR_SUCCESS) << Path;
}

// A user who may read the keys but not change them, as most users, still gets every port.
TEST(PortListAccessTest, KeysThatRefuseFullAccessAreReadAllTheSame) {
    if (!WineHost::UnderWine())
        GTEST_SKIP() << "rewrites the machine's serial port keys: only in a Wine prefix";
    RemoveKey(kBiosSerialKey);
    RemoveKey(kDeviceMapKey);
    const std::string device = std::string(kBiosSerialKey) + "\\00";
    WriteKey(kBiosSerialKey, {});
    WriteKey(device, {Sz("PortName", "COM1")});
    WriteKey(kDeviceMapKey, {Sz("\\Device\\Serial0", "COM3")});
    const std::vector<std::string> keys{kBiosSerialKey, device, kDeviceMapKey};
    // Reading, deleting and changing the access list; neither writing values nor making subkeys.
    for (const std::string& key : keys)
        SetAccess(key, "D:P(A;;KRSDWD;;;WD)");
    HKEY full = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDeviceMapKey, 0, KEY_ALL_ACCESS, &full),
              ERROR_ACCESS_DENIED);

    std::vector<std::string> list;
    MyCOMM::ListComPorts(list);
    for (const std::string& key : keys)
        SetAccess(key, "D:P(A;;KA;;;WD)");
    EXPECT_EQ(list, (std::vector<std::string>{"COM1", "COM3"}));
}

} // namespace
