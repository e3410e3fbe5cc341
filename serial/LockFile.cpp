// A lock is written whole under a temporary name and then linked into place: another program
// never reads a half-written lock, and of two programs taking it at once only one succeeds.

#include "serial/LockFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LockFile {

namespace {

namespace fs = std::filesystem;

constexpr char kLockPrefix[] = "LCK..";
constexpr char kTemporaryName[] = "LTMP.XXXXXX"; // mkostemp fills in the X
constexpr mode_t kReadableByAll = 0644;          // other programs read the holder's pid
// Enough for the pid; some programs add their own name and the user's after it.
constexpr size_t kLongestContent = 64;
// Another program may take or drop the lock between two looks at it; after this many, give up.
constexpr int kAttempts = 3;

struct TCloseFile {
    void operator()(std::FILE* File) const { std::fclose(File); }
};
using TFile = std::unique_ptr<std::FILE, TCloseFile>;

// Hands an open descriptor to a stream, closing it when that fails.
TFile Stream(int Fd, const char* Mode) {
    TFile file(fdopen(Fd, Mode));
    if (!file)
        close(Fd);
    return file;
}

// This process's pid in the conventional form, under a temporary name in Folder; removed again
// with the object. Not Written when the folder is missing or may not be written.
class TPidFile {
public:
    explicit TPidFile(const fs::path& Folder) {
        std::string name = (Folder / kTemporaryName).string();
        const int fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return;
        path = name;
        const TFile file = Stream(fd, "w");
        written = file && fchmod(fd, kReadableByAll) == 0 &&
                  std::fprintf(file.get(), "%10d\n", int{getpid()}) > 0 && std::fflush(file.get()) == 0;
    }
    ~TPidFile() {
        if (!path.empty())
            unlink(path.c_str());
    }
    TPidFile(const TPidFile&) = delete;
    TPidFile& operator=(const TPidFile&) = delete;

    bool Written() const { return written; }
    const fs::path& Path() const { return path; }

private:
    fs::path path;
    bool written = false;
};

// The pid a lock names: nothing when there is no lock, 0 when it names no process.
std::optional<pid_t> Holder(const fs::path& Lock) {
    // Not waiting: a lock that is no regular file (a FIFO put there) must not stall the opening.
    const int fd = open(Lock.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? std::nullopt : std::optional<pid_t>(0);
    const TFile file = Stream(fd, "r");
    if (!file)
        return 0;
    char text[kLongestContent];
    const char* const start = text;
    const char* const last = start + std::fread(text, 1, sizeof text, file.get());
    const char* const first = std::find_if(start, last, [](char Each) { return Each != ' '; });
    pid_t pid = 0;
    if (std::from_chars(first, last, pid).ec != std::errc())
        return 0;
    return pid;
}

// Signal 0 only asks whether the process exists; EPERM says it does, under another user. Pids 0
// and below would ask about process groups instead.
bool LivesElsewhere(pid_t Pid) {
    return Pid > 0 && Pid != getpid() && (kill(Pid, 0) == 0 || errno == EPERM);
}

} // namespace

fs::path TLockFile::PathOf(const fs::path& Device, const fs::path& Folder) {
    std::error_code error;
    const fs::path real = fs::canonical(Device, error);
    if (error || !real.has_filename())
        return fs::path();
    return Folder / (kLockPrefix + real.filename().string());
}

int TLockFile::HolderOf(const fs::path& Lock) {
    return Holder(Lock).value_or(0);
}

std::optional<TLockFile> TLockFile::Take(const fs::path& Device, const fs::path& Folder) {
    const fs::path lock = PathOf(Device, Folder);
    if (lock.empty())
        return TLockFile(fs::path());
    const TPidFile ours(Folder);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (ours.Written() && link(ours.Path().c_str(), lock.c_str()) == 0)
            return TLockFile(lock);
        // Only an existing lock stops the link; otherwise this folder keeps no lock of ours, but one
        // found there still counts.
        const bool held = ours.Written() && errno == EEXIST;
        const std::optional<pid_t> holder = Holder(lock);
        if (holder && LivesElsewhere(*holder))
            return std::nullopt;
        if (!held)
            return TLockFile(fs::path());
        if (holder)
            unlink(lock.c_str()); // stale
    }
    // A stale lock that would not go (another user's, in a folder that forbids removing it).
    return TLockFile(fs::path());
}

TLockFile::TLockFile(fs::path Written) : written(std::move(Written)) {}

TLockFile::TLockFile(TLockFile&& Other) noexcept : written(std::exchange(Other.written, fs::path())) {}

TLockFile::~TLockFile() {
    // A lock that another program judged stale and took is no longer ours to remove.
    if (!written.empty() && Holder(written) == getpid())
        unlink(written.c_str());
}

} // namespace LockFile
