// The serial port on Linux: termios for the line, ppoll() for the time limits. The descriptor is
// non-blocking; every wait is a ppoll() until the nearest deadline, given to the nanosecond, so
// nothing spins.

#include "serial/MyCOMM.h"

#include "serial/LockFile.h"
#include "serial/ParityMarks.h"
#include "serial/PortNames.h"
#include "serial/SysfsPorts.h"
#include "serial/SystemPath.h"
#include "serial/Termios2.h"
#include "serial/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace MyCOMM {

namespace {

// The pid of the process whose flock holds the device open as Fd, from the kernel's list of locks
// ("1: FLOCK  ADVISORY  WRITE 1234 00:1a:7 0 EOF", the device in hex); 0 when it is not found.
int FlockHolder(int Fd) {
    struct stat device {};
    if (fstat(Fd, &device) != 0)
        return 0;
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", major(device.st_dev), minor(device.st_dev),
                  static_cast<unsigned long long>(device.st_ino));
    std::ifstream locks("/proc/locks");
    std::string number, kind, mode, access, file;
    int pid = 0;
    for (std::string entry; std::getline(locks, entry);) {
        std::istringstream fields(entry);
        if (fields >> number >> kind >> mode >> access >> pid >> file && kind == "FLOCK" && file == wanted)
            return pid;
    }
    return 0;
}

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;
using Nanoseconds = std::chrono::nanoseconds;

// The output queue cannot be waited on with a time limit, so the drain sleeps for as long as the
// queued bytes need on the line and looks again; never for less than about one character at the
// fastest speed the tool offers, so a queue that does not move is not polled in a spin.
constexpr Nanoseconds kLeastDrainWait = std::chrono::microseconds(100);

// A product of two 32-bit time-out values can exceed what the clock holds; no transfer waits
// longer than this (a year) anyway.
constexpr uint64_t kLongestLimitMs = 365ull * 24 * 60 * 60 * 1000;

// A time limit made of a per-byte and a constant part; both 0 means none, as with COMMTIMEOUTS.
std::optional<Clock::time_point> Deadline(Clock::time_point Start, uint32_t Multiplier, uint32_t Constant,
                                          int Count) {
    if (Multiplier == 0 && Constant == 0)
        return std::nullopt;
    const uint64_t limitMs = uint64_t{Multiplier} * static_cast<uint64_t>(Count) + Constant;
    return Start + Milliseconds(std::min(limitMs, kLongestLimitMs));
}

// A long sleep wakes later than a short one: the processor has gone deeper into idle, and under a
// hypervisor the host adds its own delay (measured: about 150 us after 25 ms, 40 us after 1 ms).
// So a wait whose limit lies further ahead than this first sleeps until this much before it; the
// caller then looks at the line again and waits out the rest.
constexpr Nanoseconds kWakeAhead = std::chrono::milliseconds(1);

// Waits until Fd is ready for Events or Limit has come, or, for a limit further ahead than
// kWakeAhead, until shortly before it (no limit: waits as long as it takes); a negative Fd only
// waits for the time. Returns the events seen, 0 when the time came first, -1 on failure. The
// time goes to ppoll() to the nanosecond: poll() takes whole milliseconds, and rounding up to
// them would end a wait up to one late.
int WaitFor(int Fd, short Events, std::optional<Clock::time_point> Limit) {
    timespec left{};
    if (Limit) {
        auto ns = std::max(std::chrono::ceil<Nanoseconds>(*Limit - Clock::now()), Nanoseconds::zero());
        if (ns > 2 * kWakeAhead)
            ns -= kWakeAhead;
        left.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
        left.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
    }
    pollfd waitFor{Fd, Events, 0};
    const int ready = ppoll(&waitFor, Fd >= 0 ? 1 : 0, Limit ? &left : nullptr, nullptr);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    return ready > 0 ? waitFor.revents : 0;
}

bool Passed(std::optional<Clock::time_point> Limit, Clock::time_point Now) {
    return Limit && Now >= *Limit;
}

std::optional<Clock::time_point> Earlier(std::optional<Clock::time_point> A,
                                         std::optional<Clock::time_point> B) {
    if (!A)
        return B;
    if (!B)
        return A;
    return std::min(*A, *B);
}

// Bytes the driver still holds for sending; 0 when it cannot tell (the device is gone).
int Queued(int Fd) {
    int queued = 0;
    if (ioctl(Fd, TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

// The kernel may end a timed wait late by the thread's timer slack (50 us unless set otherwise) to
// gather wake-ups. A transfer's waits are its deadlines, so before its first wait the thread asks
// for the least slack, and it gets its own back when the transfer ends.
class FineTimerSlack {
public:
    FineTimerSlack() = default;
    ~FineTimerSlack() {
        if (previous > kLeastSlackNs)
            prctl(PR_SET_TIMERSLACK, previous, 0, 0, 0);
    }
    FineTimerSlack(const FineTimerSlack&) = delete;
    FineTimerSlack& operator=(const FineTimerSlack&) = delete;

    void BeforeWait() {
        if (previous != kUnknown)
            return;
        previous = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
        if (previous > kLeastSlackNs)
            prctl(PR_SET_TIMERSLACK, kLeastSlackNs, 0, 0, 0);
    }

private:
    static constexpr long kUnknown = -1;
    static constexpr long kLeastSlackNs = 1; // 0 would mean the default
    long previous = kUnknown;
};

std::string DevicePath(const std::string& PortName) {
    return PortName.starts_with('/') ? PortName : "/dev/" + PortName;
}

} // namespace

struct TZMyComm::Line {
    Line(LockFile::TLockFile&& Lock, UniqueFd&& Fd, bool MarksParity)
        : lock(std::move(Lock)), fd(std::move(Fd)), marksParity(MarksParity) {}
    ~Line() {
        // The tty may outlive this descriptor (another side keeps it open): let the next opener in.
        ioctl(fd.Get(), TIOCNXCL);
        flock(fd.Get(), LOCK_UN);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    LockFile::TLockFile lock; // goes after the device is closed
    UniqueFd fd;
    bool marksParity = false;
    ParityMarks::Decoder marks;
    // Zero everywhere, as a freshly opened Windows port: no limits, a read waits for Count bytes.
    uint32_t readInterval = 0, readTotalMultiplier = 0, readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0, writeTotalConstant = 0;
};

TZMyComm::TZMyComm(const std::string& Name, uint32_t BaudRate, uint32_t /*InQueueSize*/,
                   uint32_t /*OutQueueSize*/, uint32_t DcbFlags, uint8_t Parity, uint8_t StopBits,
                   uint8_t ByteSize)
    : PortName(Name) {
    // Linux sizes its tty queues itself; the queue sizes have nothing to set here.
    const std::filesystem::path device = SystemPath::Native(DevicePath(PortName));
    UniqueFd fd(open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios current{};
    const auto refused = [this](const std::string& Reason, bool NoPermission = false) {
        return ECommError("Cannot open COM-port " + PortName, Reason, NoPermission);
    };
    const auto systemReason = [] { return std::generic_category().message(errno); };
    // Only a terminal is a port. flock refuses any other port object first, one of this process
    // too, so that a UUCP lock naming this process is a stale one. Both locks come before TIOCEXCL
    // so that a refused opener never touches the exclusive flag of the one holding the port;
    // TIOCEXCL alone does not stop root.
    if (fd.Get() < 0 || tcgetattr(fd.Get(), &current) != 0) {
        const bool noPermission = errno == EACCES || errno == EPERM;
        throw refused(systemReason(), noPermission);
    }
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        throw ECommError("Cannot open COM-port " + PortName, systemReason(), false, FlockHolder(fd.Get()));
    std::optional<LockFile::TLockFile> lock = LockFile::TLockFile::Take(device, LockFile::kFolder);
    if (!lock) {
        const std::filesystem::path held = LockFile::TLockFile::PathOf(device, LockFile::kFolder);
        throw ECommError("Cannot open COM-port " + PortName, "a UUCP lock file names another running program",
                         false, LockFile::TLockFile::HolderOf(held), held.string());
    }
    if (ioctl(fd.Get(), TIOCEXCL) != 0)
        throw refused(systemReason());

    const Termios2::LineSettings settings{BaudRate, DcbFlags, Parity, StopBits, ByteSize};
    Termios2::Apply(fd.Get(), settings);
    // Linux raises DTR and RTS on open; the line runs with both off.
    const int modemLines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd.Get(), TIOCMBIC, &modemLines);
    line = std::make_unique<Line>(std::move(*lock), std::move(fd), Termios2::MarksParityErrors(settings));
}

TZMyComm::~TZMyComm() = default;

void TZMyComm::SetTimeouts(uint32_t ReadInterval, uint32_t ReadTotalMultiplier, uint32_t ReadTotalConstant,
                           uint32_t WriteTotalMultiplier, uint32_t WriteTotalConstant) {
    line->readInterval = ReadInterval;
    line->readTotalMultiplier = ReadTotalMultiplier;
    line->readTotalConstant = ReadTotalConstant;
    line->writeTotalMultiplier = WriteTotalMultiplier;
    line->writeTotalConstant = WriteTotalConstant;
}

bool TZMyComm::WriteAll(const void* Buffer, int Count) {
    return Write(Buffer, Count) < Count;
}

bool TZMyComm::ReadAll(void* Buffer, int Count) {
    return Read(Buffer, Count) < Count;
}

int TZMyComm::Write(const void* Buffer, int Count) {
    if (Count <= 0)
        return 0;
    if (PurgeOnWrite)
        Purge();
    FineTimerSlack slack;
    const int fd = line->fd.Get();
    const auto deadline = Deadline(Clock::now(), line->writeTotalMultiplier, line->writeTotalConstant, Count);
    const auto* bytes = static_cast<const uint8_t*>(Buffer);
    int written = 0;
    while (written < Count) {
        const ssize_t n = write(fd, bytes + written, static_cast<size_t>(Count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN)
            break;
        if (Passed(deadline, Clock::now()))
            break;
        slack.BeforeWait();
        const int ready = WaitFor(fd, POLLOUT, deadline);
        if (ready < 0 || (ready > 0 && !(ready & POLLOUT)))
            break; // hung up or failed: the write cannot go on
    }

    // The count is of bytes sent, so wait for the driver to send what it holds, within the limit.
    int queued = Queued(fd);
    if (queued > 0) {
        const Nanoseconds character = Termios2::CharacterTime(fd);
        while (queued > 0) {
            const Clock::time_point now = Clock::now();
            if (Passed(deadline, now))
                break;
            const Nanoseconds sending = std::max(character * queued, kLeastDrainWait);
            slack.BeforeWait();
            WaitFor(-1, 0, Earlier(deadline, now + sending));
            queued = Queued(fd);
        }
    }
    if (queued > 0) {
        // No stray bytes may follow a write that failed.
        tcflush(fd, TCOFLUSH);
        written -= std::min(queued, written);
    }
    if (Tap)
        Tap->Record(LineTap::TDirection::Tx, std::span(bytes, static_cast<size_t>(written)),
                    written < Count ? LineTap::TEnd::Failed : LineTap::TEnd::None);
    return written;
}

int TZMyComm::Read(void* Buffer, int Count) {
    if (Count <= 0)
        return 0;
    FineTimerSlack slack;
    const int fd = line->fd.Get();
    const Clock::time_point start = Clock::now();
    const auto total = Deadline(start, line->readTotalMultiplier, line->readTotalConstant, Count);
    // 0 means no interval rule, as with COMMTIMEOUTS.
    const Milliseconds interval{line->readInterval};
    auto* bytes = static_cast<uint8_t*>(Buffer);
    int got = 0;
    std::optional<Clock::time_point> lastByte;
    bool hungUp = false;
    while (got < Count) {
        // Raw bytes never decode into more bytes, so reading at most what is missing keeps the
        // decoded count within Count; the marks are undone in place.
        const ssize_t n = read(fd, bytes + got, static_cast<size_t>(Count - got));
        if (n > 0) {
            const Clock::time_point now = Clock::now();
            lastByte = now;
            got += line->marksParity
                       ? static_cast<int>(line->marks.Decode(bytes + got, static_cast<size_t>(n)))
                       : static_cast<int>(n);
            if (total && now >= *total)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // End of file, a removed device or another error; or nothing more will come after a hang-up.
        if (n == 0 || errno != EAGAIN || hungUp)
            break;
        // The silence must last more than the interval: the read ends at the first instant after it.
        const auto silenceEnd = lastByte && interval.count() > 0
                                    ? std::optional(*lastByte + interval + Nanoseconds(1))
                                    : std::nullopt;
        const auto limit = Earlier(total, silenceEnd);
        if (Passed(limit, Clock::now()))
            break;
        slack.BeforeWait();
        const int ready = WaitFor(fd, POLLIN, limit);
        if (ready < 0)
            break;
        if (ready & (POLLERR | POLLHUP | POLLNVAL))
            hungUp = true; // take what is still queued, then end
    }
    if (Tap) {
        const Clock::time_point now = Clock::now();
        const bool silent = lastByte && interval.count() > 0 && now >= *lastByte + interval;
        Tap->Record(LineTap::TDirection::Rx, std::span(bytes, static_cast<size_t>(got)),
                    LineTap::ReadEnd(got, Count, silent, total && now >= *total));
    }
    return got;
}

void TZMyComm::Purge() {
    tcflush(line->fd.Get(), TCIOFLUSH);
    line->marks.Reset();
}

void TZMyComm::Break(bool Clear) {
    ioctl(line->fd.Get(), Clear ? TIOCCBRK : TIOCSBRK);
}

int TZMyComm::InQueue() {
    int queued = 0;
    if (ioctl(line->fd.Get(), FIONREAD, &queued) != 0)
        return 0;
    return queued;
}

void ListComPorts(std::vector<std::string>& List) {
    PortNames::Merge(List, SysfsPorts::List());
}

} // namespace MyCOMM
