// Windows renames over an existing file only when asked to, and appends atomically only through
// a handle opened for appending alone.

#include "service/DurableFile.h"

#include <windows.h>

#include "serial/SystemPath.h"

namespace DurableFile {
namespace {

std::string SystemReason(const std::string& Path) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0,
                   text, sizeof text, nullptr);
    std::string reason = text;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
        reason.pop_back();
    return Path + ": " + reason;
}

class THandle {
public:
    explicit THandle(HANDLE Owned) : handle(Owned) {}
    ~THandle() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    HANDLE Get() const { return handle; }
    explicit operator bool() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

bool WriteWhole(HANDLE File, std::string_view Text) {
    DWORD written = 0;
    return WriteFile(File, Text.data(), static_cast<DWORD>(Text.size()), &written, nullptr) != 0 &&
           written == Text.size();
}

} // namespace

std::optional<std::string> Replace(const std::string& Path, std::string_view Text) {
    const std::string temporary = Path + ".part-" + std::to_string(GetCurrentProcessId());
    const std::wstring wideTemporary = SystemPath::Native(temporary).wstring();
    {
        const THandle file(CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return SystemReason(temporary);
        if (!WriteWhole(file.Get(), Text) || !FlushFileBuffers(file.Get())) {
            const std::string reason = SystemReason(temporary);
            DeleteFileW(wideTemporary.c_str());
            return reason;
        }
    }
    if (!MoveFileExW(wideTemporary.c_str(), SystemPath::Native(Path).wstring().c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string reason = SystemReason(Path);
        DeleteFileW(wideTemporary.c_str());
        return reason;
    }
    return std::nullopt;
}

std::optional<std::string> Append(const std::string& Path, std::string_view Line) {
    const THandle file(CreateFileW(SystemPath::Native(Path).wstring().c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return SystemReason(Path);
    if (!WriteWhole(file.Get(), Line))
        return SystemReason(Path);
    return std::nullopt;
}

} // namespace DurableFile
