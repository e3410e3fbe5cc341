// Linux takes a path as its bytes.

#include "serial/SystemPath.h"

#include <fcntl.h>

namespace SystemPath {

std::filesystem::path Native(const std::string& Utf8Path) {
    return std::filesystem::path(Utf8Path);
}

int OpenForReading(const std::string& Utf8Path) {
    return ::open(Native(Utf8Path).c_str(), O_RDONLY | O_CLOEXEC);
}

std::FILE* OpenForWriting(const std::string& Utf8Path) {
    return std::fopen(Native(Utf8Path).c_str(), "we");
}

} // namespace SystemPath
