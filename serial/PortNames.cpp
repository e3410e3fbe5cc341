#include "serial/PortNames.h"

#include <algorithm>

namespace PortNames {

namespace {
// ASCII only: port names are device names, and the locale must not change what counts as equal.
char LowerAscii(char C) {
    return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C;
}
} // namespace

bool SameName(const std::string& A, const std::string& B) {
    return std::ranges::equal(A, B, [](char X, char Y) { return LowerAscii(X) == LowerAscii(Y); });
}

void Merge(std::vector<std::string>& List, const std::vector<std::string>& Source, TSameName Same) {
    for (const std::string& name : Source) {
        if (std::ranges::none_of(List, [&](const std::string& entry) { return Same(entry, name); }))
            List.push_back(name);
    }
}

} // namespace PortNames
