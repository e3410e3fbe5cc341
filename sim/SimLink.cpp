#include "sim/SimLink.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace SimLink {

namespace {

constexpr std::string_view kPtsFolder = "/dev/pts/"; // where every simulator's port lives
constexpr const char* kWhatIsTaken = "; only a free path or a link left by a simulator that died is replaced";

// The beacon is an abstract socket named after the link's inode and change time. The kernel drops
// the name with the last descriptor, however the process ends, so a link whose beacon is gone has
// no simulator behind it any more.
struct BeaconName {
    sockaddr_un address{};
    socklen_t length = 0;

    explicit BeaconName(const struct stat& link) {
        const std::string name = "zur-sim link " + std::to_string(link.st_dev) + ":" +
                                 std::to_string(link.st_ino) + ":" + std::to_string(link.st_ctim.tv_sec) +
                                 "." + std::to_string(link.st_ctim.tv_nsec);
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size()); // a leading 0: abstract
        length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    }
    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&address); }
};

UniqueFd DatagramSocket() {
    return UniqueFd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
}

// What cannot be told counts as served: a live simulator's link is never taken away.
bool Served(const struct stat& link) {
    const UniqueFd probe = DatagramSocket();
    const BeaconName name(link);
    return !probe || ::connect(probe.Get(), name.Get(), name.length) == 0 || errno != ECONNREFUSED;
}

struct Found {
    bool stale = false;  // a link that a simulator left behind: replace it
    std::string refusal; // why the path cannot be taken; empty when it can
};

Found Inspect(const std::string& path) {
    struct stat there {};
    if (::lstat(path.c_str(), &there) != 0)
        return {.stale = false, .refusal = errno == ENOENT ? "" : std::strerror(errno)};
    if (S_ISDIR(there.st_mode))
        return {.stale = false, .refusal = std::string("a folder is there") + kWhatIsTaken};
    if (!S_ISLNK(there.st_mode))
        return {.stale = false,
                .refusal = std::string(S_ISREG(there.st_mode) ? "a file" : "something") + " is there" +
                           kWhatIsTaken};
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(path, error).string();
    if (!target.starts_with(kPtsFolder))
        return {.stale = false, .refusal = "a link to " + target + " is there" + kWhatIsTaken};
    if (Served(there))
        return {.stale = false, .refusal = "another simulator is serving it"};
    return {.stale = true, .refusal = ""};
}

} // namespace

Link::Link(const std::string& Path, const std::string& Target) : path(Path), target(Target) {
    const Found found = Inspect(path);
    if (!found.refusal.empty())
        throw std::runtime_error(path + ": " + found.refusal);
    if (found.stale)
        ::unlink(path.c_str());
    struct stat made {};
    if (::symlink(target.c_str(), path.c_str()) != 0 || ::lstat(path.c_str(), &made) != 0)
        throw std::runtime_error(path + ": cannot make the link: " + std::strerror(errno));
    device = made.st_dev;
    inode = made.st_ino;
    changed = made.st_ctim;
    // Without a beacon the simulator runs all the same; another one may then take the name.
    beacon = DatagramSocket();
    const BeaconName name(made);
    if (beacon && ::bind(beacon.Get(), name.Get(), name.length) != 0)
        beacon.Reset();
}

Link::~Link() {
    struct stat there {};
    std::error_code error;
    if (::lstat(path.c_str(), &there) == 0 && S_ISLNK(there.st_mode) && there.st_dev == device &&
        there.st_ino == inode && there.st_ctim.tv_sec == changed.tv_sec &&
        there.st_ctim.tv_nsec == changed.tv_nsec && std::filesystem::read_symlink(path, error) == target)
        ::unlink(path.c_str());
}

} // namespace SimLink
