#pragma once
// Merging port names from the platform's sources into the caller's list.

#include <string>
#include <vector>

namespace PortNames {

// Equal apart from the case of ASCII letters.
bool SameName(const std::string& A, const std::string& B);

using TSameName = bool (*)(const std::string& A, const std::string& B);

// Appends each name of Source, in order, that equals no entry of List by Same (letter case
// ignored), including entries List held before and names appended just now. Never sorts or
// removes. Each platform brings its own comparison.
void Merge(std::vector<std::string>& List, const std::vector<std::string>& Source, TSameName Same = SameName);

} // namespace PortNames
