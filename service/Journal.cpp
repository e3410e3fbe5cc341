#include "service/Journal.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "serial/SystemPath.h"
#include "service/DataFolder.h"
#include "service/DurableFile.h"
#include "service/Texts.h"

namespace Journal {

std::optional<std::string> Path() {
    const std::optional<std::string> root = DataFolder::Root();
    if (!root)
        return std::nullopt;
    return *root + "/journal.jsonl";
}

std::optional<std::string> Append(std::string_view Line) {
    const std::optional<std::string> path = Path();
    if (!path)
        return Texts::kNoDataFolder;
    std::error_code error;
    std::filesystem::create_directories(SystemPath::Native(*DataFolder::Root()), error);
    if (error)
        return *DataFolder::Root() + ": " + error.message();
    return DurableFile::Append(*path, std::string(Line) + "\n");
}

TRead Read() {
    TRead read;
    const std::optional<std::string> path = Path();
    if (!path)
        return read;
    std::ifstream file(SystemPath::Native(*path), std::ios::binary);
    if (!file) {
        if (errno != ENOENT)
            read.Problem = *path + ": " + std::strerror(errno);
        return read;
    }
    for (std::string line; std::getline(file, line);)
        if (!line.empty())
            read.Lines.push_back(line);
    if (file.bad())
        read.Problem = *path + ": " + std::strerror(errno);
    return read;
}

} // namespace Journal
