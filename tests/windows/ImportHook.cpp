#include "tests/windows/ImportHook.h"

#include <cstring>

#include <windows.h>

namespace ImportHook {

namespace {

void Store(void** Slot, void* Value) {
    DWORD protection = 0;
    VirtualProtect(Slot, sizeof(void*), PAGE_READWRITE, &protection);
    *Slot = Value;
    VirtualProtect(Slot, sizeof(void*), protection, &protection);
}

// The import address table entry of Function from Dll in this program's module.
void** FindSlot(const char* Dll, const char* Function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return nullptr;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (_stricmp(reinterpret_cast<const char*>(base + module->Name), Dll) != 0 ||
            module->OriginalFirstThunk == 0)
            continue;
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), Function) == 0)
                return reinterpret_cast<void**>(&addresses->u1.Function);
        }
    }
    return nullptr;
}

} // namespace

TImportHook::TImportHook(const char* Dll, const char* Function, void* Replacement)
    : slot(FindSlot(Dll, Function)) {
    if (!slot)
        return;
    original = *slot;
    Store(slot, Replacement);
}

TImportHook::~TImportHook() {
    if (slot)
        Store(slot, original);
}

} // namespace ImportHook
