#include "tests/windows/WineHost.h"

#include <windows.h>

namespace WineHost {

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

} // namespace WineHost
