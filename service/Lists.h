#pragma once
// The lists a station command is given: addresses and ranges ("1-254", "1,3,10-20") and line
// speeds ("9600,19200", or "all" for the window's nine).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Lists {

// Ascending, each address once; none when the text is no list of addresses from 1 to 254.
std::optional<std::vector<int>> Addresses(const std::string& Text);
// Ascending, each speed once; none when the text is no list of positive speeds.
std::optional<std::vector<uint32_t>> Speeds(const std::string& Text);

} // namespace Lists
