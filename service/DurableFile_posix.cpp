#include "service/DurableFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "serial/UniqueFd.h"

namespace DurableFile {
namespace {

std::string SystemReason(const std::string& Path) {
    return Path + ": " + std::strerror(errno);
}

bool WriteWhole(int Fd, std::string_view Text) {
    while (!Text.empty()) {
        const ssize_t n = ::write(Fd, Text.data(), Text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        Text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::optional<std::string> Replace(const std::string& Path, std::string_view Text) {
    const std::string temporary = Path + ".part-" + std::to_string(::getpid());
    {
        const UniqueFd file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!file)
            return SystemReason(temporary);
        if (!WriteWhole(file.Get(), Text) || ::fsync(file.Get()) != 0) {
            const std::string reason = SystemReason(temporary);
            ::unlink(temporary.c_str());
            return reason;
        }
    }
    if (::rename(temporary.c_str(), Path.c_str()) != 0) {
        const std::string reason = SystemReason(Path);
        ::unlink(temporary.c_str());
        return reason;
    }
    // The new name reaches the disk with the folder.
    std::string folder = std::filesystem::path(Path).parent_path().string();
    const UniqueFd directory(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory || ::fsync(directory.Get()) != 0)
        return SystemReason(folder);
    return std::nullopt;
}

std::optional<std::string> Append(const std::string& Path, std::string_view Line) {
    const UniqueFd file(::open(Path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!file)
        return SystemReason(Path);
    ssize_t n = 0;
    do
        n = ::write(file.Get(), Line.data(), Line.size());
    while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(Line.size()))
        return n < 0 ? SystemReason(Path) : Path + ": " + std::strerror(ENOSPC);
    return std::nullopt;
}

} // namespace DurableFile
