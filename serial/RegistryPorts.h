#pragma once
// The machine's serial ports as the Windows registry lists them under HKEY_LOCAL_MACHINE.

#include <string>
#include <vector>

namespace RegistryPorts {

// The port names ("COM3") of the BIOS enumerator's ports, then those of the device map, each in
// the registry's index order; a key that cannot be opened adds nothing.
std::vector<std::string> List();

// Equal as the system compares names: letter case ignored in the user's locale.
bool SameName(const std::string& A, const std::string& B);

} // namespace RegistryPorts
