#include "tests/windows/HandleCount.h"

#include <algorithm>
#include <span>
#include <vector>

#include <windows.h>

namespace HandleCount {

namespace {

// SystemHandleInformation of NtQuerySystemInformation: a count, then one entry per handle.
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004); // STATUS_INFO_LENGTH_MISMATCH

struct THandleEntry {
    ULONG ProcessId;
    UCHAR ObjectType;
    UCHAR Flags;
    USHORT Handle;
    PVOID Object;
    ACCESS_MASK GrantedAccess;
};

struct THandleTable {
    ULONG Count;
    THandleEntry Entries[1];
};

using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

} // namespace

size_t OfThisProcess() {
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    std::vector<THandleTable> table(1 << 16);
    ULONG length = 0;
    LONG status = 0;
    while ((status = query(kSystemHandleInformation, table.data(),
                           static_cast<ULONG>(table.size() * sizeof(THandleTable)), &length)) ==
           kInfoLengthMismatch)
        table.resize(table.size() * 2);
    if (status != 0)
        return 0;
    const std::span entries(table.front().Entries, table.front().Count);
    const ULONG self = GetCurrentProcessId();
    return static_cast<size_t>(
        std::ranges::count_if(entries, [&](const THandleEntry& entry) { return entry.ProcessId == self; }));
}

} // namespace HandleCount
