#include "service/InputFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "serial/SystemPath.h"
#include "service/Texts.h"

namespace InputFile {

std::optional<std::string> Read(const std::string& Path, std::string& Text) {
    const std::filesystem::path native = SystemPath::Native(Path);
    std::error_code error;
    if (std::filesystem::is_directory(native, error))
        return Path + ": " + Texts::kIsDirectory;
    std::ifstream file(native, std::ios::binary);
    if (!file)
        return Path + ": " + std::strerror(errno);
    // Read one byte past the limit rather than trust the size: a device or a pipe has none.
    std::string text(kLargestFile + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad())
        return Path + ": " + std::strerror(errno);
    if (static_cast<std::uintmax_t>(file.gcount()) > kLargestFile)
        return Path + ": " + Texts::kFileTooLarge;
    text.resize(static_cast<std::size_t>(file.gcount()));
    Text = std::move(text);
    return std::nullopt;
}

} // namespace InputFile
