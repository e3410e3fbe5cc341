// Windows takes paths as UTF-16; the narrow C library calls would read UTF-8 in the ANSI code page.

#include "serial/SystemPath.h"

#include <fcntl.h>
#include <io.h>
#include <utility>

#include <windows.h>

namespace SystemPath {

std::filesystem::path Native(const std::string& Utf8Path) {
    if (Utf8Path.empty())
        return {};
    const int size = static_cast<int>(Utf8Path.size());
    // Bytes that are not UTF-8 become U+FFFD: such a name names no file, and opening it fails.
    const int length = MultiByteToWideChar(CP_UTF8, 0, Utf8Path.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, Utf8Path.data(), size, wide.data(), length);
    return std::filesystem::path(std::move(wide));
}

int OpenForReading(const std::string& Utf8Path) {
    // Binary: the C library would otherwise translate CR LF in the file.
    return ::_wopen(Native(Utf8Path).c_str(), _O_RDONLY | _O_BINARY);
}

std::FILE* OpenForWriting(const std::string& Utf8Path) {
    // Binary, so that a file written here reads the same on Linux.
    return ::_wfopen(Native(Utf8Path).c_str(), L"wb");
}

} // namespace SystemPath
