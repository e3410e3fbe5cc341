#pragma once
// The journal of changes made to controllers: journal.jsonl in the tool's data folder, one JSON
// object a line, newest last. The lines are made and read by the front end; here they are kept.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Journal {

// The journal's path; none when there is no data folder.
std::optional<std::string> Path();

// Appends Line and its line end in one write, making the folder when needed; the reason on failure.
std::optional<std::string> Append(std::string_view Line);

struct TRead {
    std::vector<std::string> Lines; // in the order written; none when there is no journal yet
    std::optional<std::string> Problem;
};
TRead Read();

} // namespace Journal
