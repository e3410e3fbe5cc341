// zur-sim: the simulated controller as a program, for working without a dispenser.

#include "serial/UniqueFd.h"
#include "sim/SimCommandLine.h"
#include "sim/SimImage.h"
#include "sim/Simulator.h"
#include "trace/TraceFile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <pthread.h>
#include <span>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using SimCommandLine::Exit;

// Writes all of Bytes to Path; the system's reason when that failed. A regular file that did not
// get them all is removed: half an image must not pass for one.
std::string WriteWhole(const std::string& path, std::span<const uint8_t> bytes) {
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file)
        return std::strerror(errno);
    struct stat opened {};
    const bool regular = ::fstat(file.Get(), &opened) == 0 && S_ISREG(opened.st_mode);
    int error = 0;
    while (!bytes.empty() && error == 0) {
        const ssize_t n = ::write(file.Get(), bytes.data(), bytes.size());
        if (n > 0)
            bytes = bytes.subspan(static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            error = n == 0 ? EIO : errno;
    }
    // A full disk or a quota may show only when the data go to the disk.
    if (error == 0 && regular && ::fsync(file.Get()) != 0)
        error = errno;
    if (::close(file.Release()) != 0 && error == 0)
        error = errno;
    if (error != 0 && regular) {
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::canonical(path, ignored), ignored);
    }
    return error == 0 ? "" : std::strerror(error);
}

int MakeImage(const SimCommandLine::ImageFile& request) {
    const auto image =
        SimImage::MakeImageFile(request.BodySize, 0x5A5A, SimImage::PatternBody(request.BodySize, 1));
    if (const std::string failure = WriteWhole(request.Path, image); !failure.empty()) {
        std::fprintf(stderr, "zur-sim: %s: %s\n", request.Path.c_str(), failure.c_str());
        return Exit::OutputLost;
    }
    std::printf("Wrote %s: %zu bytes, body %u bytes\n", request.Path.c_str(), image.size(), request.BodySize);
    return SimCommandLine::OutputReached() ? Exit::Success : Exit::OutputLost;
}

int Simulate(SimCommandLine::Settings& settings) {
    // Blocked before the simulator's thread starts, so that only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    sim::Options& options = settings.Options;
    const bool several = !options.Controllers.empty();
    const std::string saveImage = settings.SaveImagePath;
    options.OnImageComplete = [several, saveImage](size_t controller, const sim::ReceivedImage& image) {
        std::printf("Firmware update complete: %zu body bytes in %zu blocks (values 0x%08X 0x%04X)",
                    image.Body.size(), image.BlockSizes.size(), image.Value32, image.Value16);
        if (several)
            std::printf(" on controller %zu", controller + 1);
        std::printf("\n");
        if (!saveImage.empty()) {
            const auto file = SimImage::MakeImageFile(image.Value32, image.Value16, image.Body);
            if (const std::string failure = WriteWhole(saveImage, file); !failure.empty())
                std::fprintf(stderr, "zur-sim: %s: %s\n", saveImage.c_str(), failure.c_str());
        }
        std::fflush(stdout);
    };
    std::optional<LineTrace::TTraceFile> trace;
    if (!settings.TracePath.empty()) {
        trace.emplace(settings.TracePath, "zur-sim");
        if (!trace->IsOpen()) {
            std::fprintf(stderr, "zur-sim: %s: %s\n", settings.TracePath.c_str(), std::strerror(errno));
            return Exit::OutputLost;
        }
        options.Tap = &*trace;
    }
    std::optional<sim::Simulator> started;
    try {
        started.emplace(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zur-sim: %s\n", e.what());
        return Exit::NotStarted;
    }
    sim::Simulator& simulator = *started;
    for (const auto& rule : settings.Rules)
        simulator.AddRule(rule);
    simulator.StopAnsweringFromParam(settings.StopFromParam);
    std::printf("Port to open: %s\n", simulator.PortPath().c_str());
    if (!options.LinkPath.empty())
        std::printf("Symlink: %s\n", options.LinkPath.c_str());
    if (!several)
        std::printf("Address %u%s. ", options.Address, options.UpdateMode ? ", in update mode" : "");
    for (size_t i = 0; i < options.Controllers.size(); ++i) {
        const sim::Controller& c = options.Controllers[i];
        std::printf("Controller %zu at addresses %u and %u, serial number %s, ", i + 1, c.Config.Addr1,
                    c.Config.Addr2, c.Config.SerialNo.c_str());
        if (c.LineSpeed == 0)
            std::printf("at any speed");
        else
            std::printf("only at %u bit/s", c.LineSpeed);
        std::printf("%s.\n", c.UpdateMode ? ", in update mode" : "");
    }
    if (options.Noise.Rate > 0)
        std::printf("Noise: each data bit flipped with probability %g, seed %llu.\n", options.Noise.Rate,
                    static_cast<unsigned long long>(options.Noise.Seed));
    std::printf("Ctrl+C ends.\n");
    // Whoever started the simulator learns the port from these lines.
    if (!SimCommandLine::OutputReached())
        return Exit::OutputLost;

    int received = 0;
    sigwait(&signals, &received);
    return SimCommandLine::OutputReached() ? Exit::Success : Exit::OutputLost;
}

} // namespace

int main(int argc, char** argv) {
    // A reader that has gone makes a write fail, which is reported, instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    auto parsed = SimCommandLine::Parse(argc, argv);
    if (!parsed.Run)
        return parsed.Exit;
    if (parsed.Run->Image)
        return MakeImage(*parsed.Run->Image);
    return Simulate(*parsed.Run);
}
