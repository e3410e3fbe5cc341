// The port-list merge: the names a caller's list already holds, then the names a platform source
// gives. Input: a count byte (how many of the names are already listed), then names separated by
// newlines; only the first 64 are taken.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTarget.h"
#include "serial/PortNames.h"

namespace {

using FuzzCheck::Require;
using Names = std::vector<std::string>;

// More names than any machine has ports: a longer list reaches nothing a shorter one does not,
// while the merge and the checks here grow with the square of its length.
constexpr std::size_t kMostNames = 64;

Names Split(std::string_view Text) {
    Names names;
    while (names.size() < kMostNames) {
        const std::size_t end = Text.find('\n');
        names.emplace_back(Text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        Text.remove_prefix(end + 1);
    }
    return names;
}

bool Listed(std::span<const std::string> List, const std::string& Name) {
    return std::ranges::any_of(List,
                               [&](const std::string& Entry) { return PortNames::SameName(Entry, Name); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size) {
    if (Size == 0) {
        return 0;
    }
    Names names = Split(std::string_view(reinterpret_cast<const char*>(Data + 1), Size - 1));
    const std::size_t held = std::min<std::size_t>(Data[0], names.size());
    const Names before(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(held));
    const Names source(names.begin() + static_cast<std::ptrdiff_t>(held), names.end());

    Names list = before;
    PortNames::Merge(list, source);

    Require(std::equal(before.begin(), before.end(), list.begin()),
            "entries held before stay where they were");
    for (std::size_t i = before.size(); i < list.size(); ++i) {
        Require(!Listed(std::span(list).first(i), list[i]), "an appended name duplicates none before it");
    }
    Require(std::ranges::all_of(source, [&](const std::string& Name) { return Listed(list, Name); }),
            "every source name ends up listed");
    // Appended names keep the source's order.
    auto next = source.begin();
    for (std::size_t i = before.size(); i < list.size(); ++i) {
        next = std::find(next, source.end(), list[i]);
        Require(next != source.end(), "appended names come from the source, in order");
        ++next;
    }
    for (const std::string& a : source) {
        Require(PortNames::SameName(a, a), "a name equals itself");
    }
    if (source.size() >= 2) {
        Require(PortNames::SameName(source[0], source[1]) == PortNames::SameName(source[1], source[0]),
                "equality is symmetric");
    }
    return 0;
}
