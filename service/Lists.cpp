#include "service/Lists.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <sstream>

#include "service/Connection.h"

namespace Lists {
namespace {

constexpr long kHighestAddress = 254;
constexpr long kHighestSpeed = 10'000'000;

std::optional<long> Number(const std::string& Text, long Lowest, long Highest) {
    long value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (Text.empty() || error != std::errc() || end != Text.data() + Text.size() || value < Lowest ||
        value > Highest)
        return std::nullopt;
    return value;
}

std::vector<std::string> Items(const std::string& Text) {
    std::vector<std::string> items;
    std::istringstream in(Text);
    for (std::string item; std::getline(in, item, ',');)
        items.push_back(item);
    if (!Text.empty() && Text.back() == ',')
        items.emplace_back();
    return items;
}

} // namespace

std::optional<std::vector<int>> Addresses(const std::string& Text) {
    std::set<int> addresses;
    for (const std::string& item : Items(Text)) {
        const auto dash = item.find('-');
        const auto first = Number(item.substr(0, dash), 1, kHighestAddress);
        const auto last =
            dash == std::string::npos ? first : Number(item.substr(dash + 1), 1, kHighestAddress);
        if (!first || !last || *last < *first)
            return std::nullopt;
        for (long a = *first; a <= *last; ++a)
            addresses.insert(static_cast<int>(a));
    }
    if (addresses.empty())
        return std::nullopt;
    return std::vector<int>(addresses.begin(), addresses.end());
}

std::optional<std::vector<uint32_t>> Speeds(const std::string& Text) {
    if (Text == "all")
        return std::vector<uint32_t>(std::begin(Connection::kWindowSpeeds),
                                     std::end(Connection::kWindowSpeeds));
    std::vector<uint32_t> speeds;
    for (const std::string& item : Items(Text)) {
        const auto speed = Number(item, 1, kHighestSpeed);
        if (!speed)
            return std::nullopt;
        if (std::find(speeds.begin(), speeds.end(), *speed) == speeds.end())
            speeds.push_back(static_cast<uint32_t>(*speed));
    }
    if (speeds.empty())
        return std::nullopt;
    std::sort(speeds.begin(), speeds.end());
    return speeds;
}

} // namespace Lists
