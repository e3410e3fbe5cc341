#include "sim/Simulator.h"

#include "serial/LineTap.h"
#include "sim/SimDevice.h"
#include "sim/SimFrames.h"
#include "sim/SimLineSpeed.h"
#include "sim/SimNoise.h"
#include "sim/SimPty.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kGarbageSilence = std::chrono::milliseconds(50); // bytes that form no frame are dropped then
constexpr double kBitsPerByte = 11;                             // start, 8 data, parity, stop
constexpr size_t kReadChunk = 4096;
constexpr int kSendRawWaitMs = 1000; // how long SendRaw waits for room on the line
// Paced bytes at 115200 bit/s are 95 us apart, and the default timer slack (50 us) would make each
// of them late by half of that; 0 would mean the default, so 1 ns is the least there is.
constexpr unsigned long kLeastTimerSlackNs = 1;

// Later rules override the fields they set; fields they leave at their defaults are kept.
Rule Effective(const std::vector<Rule>& rules, int exchange) {
    Rule out;
    for (const auto& r : rules) {
        if (exchange < r.First || exchange > r.Last)
            continue;
        if (r.fault != Fault::None)
            out.fault = r.fault;
        if (r.DelayMs > 0)
            out.DelayMs = r.DelayMs;
        if (r.SplitAfter >= 0) {
            out.SplitAfter = r.SplitAfter;
            out.SplitPauseMs = r.SplitPauseMs;
        }
        if (!r.StrayBefore.empty())
            out.StrayBefore = r.StrayBefore;
    }
    return out;
}

std::vector<SimDevice::Device> Devices(const Options& options) {
    std::vector<SimDevice::Device> devices(std::max<size_t>(1, options.Controllers.size()));
    if (options.Controllers.empty()) {
        devices[0].config.Addr1 = options.Address;
        devices[0].updateMode = options.UpdateMode;
    }
    for (size_t i = 0; i < options.Controllers.size(); ++i) {
        devices[i].config = options.Controllers[i].Config;
        devices[i].updateMode = options.Controllers[i].UpdateMode;
        devices[i].lineSpeed = options.Controllers[i].LineSpeed;
        devices[i].bothSides = true;
    }
    return devices;
}

} // namespace

struct Simulator::Impl {
    explicit Impl(const Options& o)
        : options(o), pty(o.LinkPath), wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), devices(Devices(o)),
          speedMatters(std::any_of(o.Controllers.begin(), o.Controllers.end(),
                                   [](const Controller& c) { return c.LineSpeed != 0; })),
          toController(o.Noise.Rate, o.Noise.Seed, SimNoise::Direction::ToController),
          toTool(o.Noise.Rate, o.Noise.Seed, SimNoise::Direction::ToTool) {
        worker = std::thread([this] { Run(); });
    }

    ~Impl() {
        stopping = true;
        Wake();
        worker.join();
    }

    void Wake() {
        const uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wake.Get(), &one, sizeof one);
    }

    void DrainWake() {
        uint64_t count = 0;
        [[maybe_unused]] auto n = ::read(wake.Get(), &count, sizeof count);
    }

    bool Interrupted() const { return stopping || closeRequested; }

    // Waits without spinning; false when the simulator is stopping or the line is being pulled.
    bool WaitUntil(Clock::time_point deadline) {
        while (!Interrupted()) {
            const auto left = deadline - Clock::now();
            if (left <= Clock::duration::zero())
                return true;
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            const timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
            pollfd p{wake.Get(), POLLIN, 0};
            if (::ppoll(&p, 1, &ts, nullptr) > 0)
                DrainWake();
        }
        return false;
    }

    // Writes everything unless the line goes; the tap hears Told, the bytes as they were meant,
    // in place of the same number of Bytes. The worker waits for room as long as it takes unless it
    // is stopping or the line is being pulled; SendRaw waits a bounded time.
    bool Write(std::span<const uint8_t> bytes, std::span<const uint8_t> told, bool fromWorker) {
        std::lock_guard lock(writeMutex);
        while (!bytes.empty()) {
            const int fd = pty.Master();
            if (fd < 0 || (fromWorker && Interrupted()))
                return false;
            const auto n = ::write(fd, bytes.data(), bytes.size());
            if (n > 0) {
                if (options.Tap)
                    options.Tap->Record(LineTap::TDirection::Rx, told.first(static_cast<size_t>(n)),
                                        LineTap::TEnd::None);
                bytes = bytes.subspan(static_cast<size_t>(n));
                told = told.subspan(static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return false;
            // The tool is not reading and the line's buffer is full.
            pollfd fds[2] = {{fd, POLLOUT, 0}, {wake.Get(), POLLIN, 0}};
            const int r = ::poll(fds, fromWorker ? 2 : 1, fromWorker ? -1 : kSendRawWaitMs);
            if (r == 0)
                return false;
            if (fromWorker && (fds[1].revents & POLLIN))
                DrainWake();
        }
        return true;
    }

    struct Sent {
        Clock::time_point due, at; // of the answer's last byte
    };

    // The noise on the way out. One controller's damaged answer that is still a whole frame with a
    // right checksum is counted as a collision; answers interleaved are no frame to begin with.
    std::vector<uint8_t> Noisy(const std::vector<uint8_t>& bytes, size_t answerAt, bool oneAnswer) {
        std::vector<uint8_t> line = bytes;
        const uint64_t flipped = toTool.Apply(line);
        if (flipped == 0)
            return line;
        const auto answer = std::span<const uint8_t>(line).subspan(answerAt);
        const auto frame = oneAnswer ? SimFrames::TakeFrame(answer) : std::nullopt;
        std::lock_guard lock(m);
        noise.BitsFlipped += flipped;
        ++noise.AnswersHit;
        if (frame && frame->rawLength == answer.size() && frame->kind != SimFrames::Kind::LinkControl &&
            !std::equal(answer.begin(), answer.end(), bytes.begin() + static_cast<std::ptrdiff_t>(answerAt)))
            ++noise.AnswersDamagedChecked;
        return line;
    }

    // Nothing when the line went or the simulator stopped before the whole answer was out.
    std::optional<Sent> Send(const std::vector<uint8_t>& answer, bool oneAnswer, const Rule& rule,
                             size_t requestLength, Clock::time_point received) {
        std::vector<uint8_t> meant = rule.StrayBefore;
        meant.insert(meant.end(), answer.begin(), answer.end());
        const std::vector<uint8_t> bytes = Noisy(meant, rule.StrayBefore.size(), oneAnswer);
        const size_t splitAt = rule.SplitAfter >= 0
                                   ? rule.StrayBefore.size() + static_cast<size_t>(rule.SplitAfter)
                                   : bytes.size();
        const auto splitPause = std::chrono::milliseconds(rule.SplitPauseMs);
        auto at = received + std::chrono::milliseconds(rule.DelayMs);
        const std::span<const uint8_t> all(bytes), told(meant);
        if (options.PaceBitsPerSecond == 0) {
            const size_t head = std::min(splitAt, all.size());
            if (!WaitUntil(at) || !Write(all.first(head), told.first(head), true))
                return std::nullopt;
            if (head == all.size())
                return Sent{at, Clock::now()};
            at += splitPause;
            if (!WaitUntil(Clock::now() + splitPause) || !Write(all.subspan(head), told.subspan(head), true))
                return std::nullopt;
            return Sent{at, Clock::now()};
        }
        // At a line speed the request itself takes time to arrive before the answer can start,
        // and every byte of the answer takes its own time on the line.
        const auto byteTime = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(kBitsPerByte / options.PaceBitsPerSecond));
        at += byteTime * static_cast<long>(requestLength);
        for (size_t k = 0; k < all.size(); ++k) {
            at += byteTime;
            if (k == splitAt)
                at += splitPause;
            if (!WaitUntil(at) || !Write(all.subspan(k, 1), told.subspan(k, 1), true))
                return std::nullopt;
        }
        return Sent{at, Clock::now()};
    }

    void CloseNow() {
        {
            std::lock_guard lock(writeMutex);
            pty.Close();
        }
        pending.clear();
        pendingHit.clear();
        closeRequested = false;
        {
            std::lock_guard lock(m);
            lineClosed = true;
        }
        changed.notify_all();
    }

    void Serve() {
        while (auto frame = SimFrames::TakeFrame(pending)) {
            const auto length = static_cast<std::ptrdiff_t>(frame->rawLength);
            std::vector<uint8_t> raw(pending.begin(), pending.begin() + length);
            pending.erase(pending.begin(), pending.begin() + length);
            // A control frame carries no checksum: only the others can be collisions.
            const bool collision =
                frame->kind != SimFrames::Kind::LinkControl &&
                std::any_of(pendingHit.begin(), pendingHit.begin() + length, [](bool hit) { return hit; });
            pendingHit.erase(pendingHit.begin(), pendingHit.begin() + length);
            const uint32_t speed = speedMatters ? SimLineSpeed::Read(pty.Master()) : 0;
            Rule rule;
            std::vector<std::vector<uint8_t>> answers;
            std::vector<std::pair<size_t, ReceivedImage>> completed;
            size_t index = 0, epoch = 0;
            {
                std::lock_guard lock(m);
                index = frames.size();
                epoch = clearEpoch;
                frames.push_back(raw);
                timings.push_back({.Received = lastByte, .AnswerDue = {}, .AnswerSent = {}});
                if (collision)
                    ++noise.FramesTakenDamaged;
                if (SimDevice::IsExchange(*frame))
                    rule = Effective(rules, ++exchanges);
                for (size_t i = 0; i < devices.size() && rule.fault != Fault::CloseLine; ++i) {
                    SimDevice::Device& device = devices[i];
                    if (!device.Understands(speed))
                        continue;
                    SimDevice::Outcome outcome = device.Answer(*frame, rule.fault);
                    if (!outcome.answer.empty())
                        answers.push_back(std::move(outcome.answer));
                    if (outcome.imageComplete)
                        completed.emplace_back(i, device.image);
                }
            }
            changed.notify_all();
            if (rule.fault == Fault::CloseLine) {
                CloseNow();
                return;
            }
            if (!answers.empty()) {
                const auto sent =
                    Send(SimFrames::Interleave(answers), answers.size() == 1, rule, raw.size(), lastByte);
                std::lock_guard lock(m);
                if (sent && epoch == clearEpoch) {
                    timings[index].AnswerDue = sent->due;
                    timings[index].AnswerSent = sent->at;
                }
            }
            if (options.OnImageComplete)
                for (const auto& [controller, image] : completed)
                    options.OnImageComplete(controller, image);
            if (Interrupted())
                return;
        }
    }

    void ReadAndServe() {
        uint8_t chunk[kReadChunk];
        const auto n = ::read(pty.Master(), chunk, sizeof chunk);
        if (n > 0) {
            const std::span<uint8_t> got(chunk, static_cast<size_t>(n));
            const std::vector<uint8_t> sent(got.begin(), got.end());
            if (const uint64_t flipped = toController.Apply(got); flipped > 0) {
                std::lock_guard lock(m);
                noise.BitsFlipped += flipped;
                ++noise.ReadsHit;
            }
            if (options.Tap)
                options.Tap->Record(LineTap::TDirection::Tx, got, LineTap::TEnd::None);
            pending.insert(pending.end(), got.begin(), got.end());
            for (size_t k = 0; k < got.size(); ++k)
                pendingHit.push_back(got[k] != sent[k]);
            lastByte = Clock::now();
            Serve();
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            CloseNow(); // the line is gone; polling it further would spin
        }
    }

    void Run() {
        // The slack is this thread's own: the tool's waits keep theirs.
        prctl(PR_SET_TIMERSLACK, kLeastTimerSlackNs, 0, 0, 0);
        while (!stopping) {
            if (closeRequested)
                CloseNow();
            const int master = pty.Master();
            pollfd fds[2] = {{wake.Get(), POLLIN, 0},
                             {master, static_cast<short>(readingPaused ? 0 : POLLIN), 0}};
            int timeoutMs = -1;
            if (!pending.empty()) {
                const auto left = lastByte + kGarbageSilence - Clock::now();
                timeoutMs = static_cast<int>(
                    std::max<long>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
            }
            const int r = ::poll(fds, master >= 0 ? 2 : 1, timeoutMs);
            if (r < 0 && errno != EINTR)
                break;
            if (fds[0].revents & POLLIN)
                DrainWake();
            if (master >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
                ReadAndServe();
            if (!pending.empty() && Clock::now() - lastByte >= kGarbageSilence) {
                pending.clear();
                pendingHit.clear();
            }
        }
        CloseNow(); // nobody serves the line from here on; a waiting CloseLine returns
    }

    const Options options;
    SimPty::Pty pty;
    UniqueFd wake;

    mutable std::mutex m; // guards what follows up to the worker's own state
    mutable std::condition_variable changed;
    std::vector<SimDevice::Device> devices; // the single controller, or Options::Controllers in order
    std::vector<Rule> rules;
    std::vector<std::vector<uint8_t>> frames;
    std::vector<FrameTiming> timings; // one per frame
    size_t clearEpoch = 0;            // counts ClearReceived, so that a late answer stamps no other frame
    int exchanges = 0;
    bool lineClosed = false;
    NoiseCount noise;

    std::mutex writeMutex; // the worker's answers and SendRaw
    std::atomic<bool> stopping{false};
    std::atomic<bool> closeRequested{false};
    std::atomic<bool> readingPaused{false};

    // The worker's own.
    const bool speedMatters; // some controller understands only one line speed
    std::vector<uint8_t> pending;
    std::vector<bool> pendingHit; // one per byte of pending: the noise flipped a bit of it
    Clock::time_point lastByte;
    SimNoise::Line toController, toTool;
    std::thread worker;
};

Simulator::Simulator(const Options& options) : impl(std::make_unique<Impl>(options)) {}

Simulator::~Simulator() = default;

const std::string& Simulator::PortPath() const {
    return impl->pty.SlavePath();
}

ControllerConfig Simulator::Config(size_t Index) const {
    std::lock_guard lock(impl->m);
    return impl->devices.at(Index).config;
}

void Simulator::SetConfig(const ControllerConfig& config, size_t Index) {
    std::lock_guard lock(impl->m);
    impl->devices.at(Index).config = config;
}

DispenserData Simulator::Data(size_t Index) const {
    std::lock_guard lock(impl->m);
    return impl->devices.at(Index).data;
}

void Simulator::SetData(const DispenserData& data, size_t Index) {
    std::lock_guard lock(impl->m);
    impl->devices.at(Index).data = data;
}

void Simulator::StopAnsweringFromParam(int Id) {
    std::lock_guard lock(impl->m);
    for (SimDevice::Device& device : impl->devices)
        device.stopFromParam = Id;
}

void Simulator::AddRule(const Rule& rule) {
    std::lock_guard lock(impl->m);
    impl->rules.push_back(rule);
}

void Simulator::ClearRules() {
    std::lock_guard lock(impl->m);
    impl->rules.clear();
}

bool Simulator::InUpdateMode(size_t Index) const {
    std::lock_guard lock(impl->m);
    return impl->devices.at(Index).updateMode;
}

void Simulator::SetUpdateMode(bool on, size_t Index) {
    std::lock_guard lock(impl->m);
    impl->devices.at(Index).updateMode = on;
}

ReceivedImage Simulator::Image(size_t Index) const {
    std::lock_guard lock(impl->m);
    return impl->devices.at(Index).image;
}

void Simulator::QueuePollReply(const PollReply& reply, size_t Index) {
    std::lock_guard lock(impl->m);
    impl->devices.at(Index).pollReplies.push_back(reply);
}

std::vector<std::vector<uint8_t>> Simulator::ReceivedFrames() const {
    std::lock_guard lock(impl->m);
    return impl->frames;
}

std::vector<FrameTiming> Simulator::Timings() const {
    std::lock_guard lock(impl->m);
    return impl->timings;
}

void Simulator::ClearReceived() {
    std::lock_guard lock(impl->m);
    impl->frames.clear();
    impl->timings.clear();
    ++impl->clearEpoch;
}

size_t Simulator::WaitForFrames(size_t Count, std::chrono::milliseconds Timeout) const {
    std::unique_lock lock(impl->m);
    impl->changed.wait_for(lock, Timeout, [&] { return impl->frames.size() >= Count; });
    return impl->frames.size();
}

int Simulator::ExchangeCount() const {
    std::lock_guard lock(impl->m);
    return impl->exchanges;
}

NoiseCount Simulator::Noise() const {
    std::lock_guard lock(impl->m);
    return impl->noise;
}

void Simulator::SendRaw(const std::vector<uint8_t>& bytes) {
    impl->Write(bytes, bytes, false);
}

void Simulator::PauseReading(bool paused) {
    impl->readingPaused = paused;
    impl->Wake();
}

void Simulator::CloseLine() {
    std::unique_lock lock(impl->m);
    if (impl->lineClosed)
        return;
    impl->closeRequested = true;
    impl->Wake();
    impl->changed.wait(lock, [&] { return impl->lineClosed; });
}

} // namespace sim
