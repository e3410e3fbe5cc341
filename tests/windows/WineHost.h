#pragma once
// Whether the tests run under Wine rather than on Windows itself.

namespace WineHost {

// True when ntdll is Wine's (it exports wine_get_version).
bool UnderWine();

} // namespace WineHost
