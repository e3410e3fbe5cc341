#pragma once
// The UUCP lock file of a serial device on Linux: LCK..NAME in the lock folder, holding the pid of
// the program that has the device as ten right-aligned digits and a newline. Serial programs that
// use neither flock nor TIOCEXCL still take and honour these, so the tool does the same: two
// masters on one line corrupt each other's frames.

#include <filesystem>
#include <optional>

namespace LockFile {

// Where serial programs on Linux keep their lock files (/run/lock behind it on current systems).
constexpr char kFolder[] = "/var/lock";

class TLockFile {
public:
    // Takes the lock of Device in Folder. NAME is the base name of the device's real path, so all
    // names of one device (/tmp/zur-sim and the pseudo-terminal it points at) share one lock.
    // Nothing when a live process other than this one holds it. A lock that names a dead process,
    // no process or this one is stale and replaced: the caller holds the device by other means
    // first (flock), so no other port of this process can have it. Locking is honoured where
    // possible and never required: when the folder is missing or may not be written, the result
    // holds no file.
    static std::optional<TLockFile> Take(const std::filesystem::path& Device,
                                         const std::filesystem::path& Folder);

    // The lock file of Device in Folder, and the pid it names (0: none, or no lock).
    static std::filesystem::path PathOf(const std::filesystem::path& Device,
                                        const std::filesystem::path& Folder);
    static int HolderOf(const std::filesystem::path& Lock);

    ~TLockFile(); // removes the lock file this object wrote, if it still names this process
    TLockFile(TLockFile&& Other) noexcept;
    TLockFile(const TLockFile&) = delete;
    TLockFile& operator=(const TLockFile&) = delete;
    TLockFile& operator=(TLockFile&&) = delete;

private:
    explicit TLockFile(std::filesystem::path Written);

    std::filesystem::path written; // empty when this object holds no lock file
};

} // namespace LockFile
