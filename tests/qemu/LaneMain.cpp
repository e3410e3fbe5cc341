// qemu-lane: boots the guest that tests the serial line on the kernel's real drivers, serves its
// lines and requests, and reports every guest test and the run itself as passed or failed.

#include "sim/Simulator.h"
#include "tests/qemu/FileTail.h"
#include "tests/qemu/GuestResults.h"
#include "tests/qemu/LaneRequests.h"
#include "tests/qemu/QemuMachine.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kUsage = "Usage: qemu-lane KERNEL INITRD WORK-FOLDER\n";
constexpr std::string_view kRequest = "@@lane ";
constexpr const char* kGuestDone = "done";
constexpr auto kRunLimit = 100s;   // the whole guest run, boot included
constexpr int kPullLookStepMs = 5; // between looks while a pull waits
constexpr int kIdleLookStepMs = 200;
constexpr auto kExitPatience = 5s;

class TLane {
public:
    TLane(TQemuMachine& Machine, TLaneRequests& Requests, std::ofstream& Log)
        : machine(Machine), requests(Requests), log(Log) {}

    // Serves the console until QEMU ends or the time is up; false when the time ran out.
    bool Run() {
        const auto deadline = Clock::now() + kRunLimit;
        std::string pending;
        while (Clock::now() < deadline) {
            const int stepMs = requests.Tick() ? kPullLookStepMs : kIdleLookStepMs;
            pollfd output{machine.ConsoleOut(), POLLIN, 0};
            poll(&output, 1, stepMs);
            char chunk[4096];
            const ssize_t n = read(machine.ConsoleOut(), chunk, sizeof chunk);
            if (n == 0)
                return true;
            if (n < 0)
                continue;
            pending.append(chunk, static_cast<size_t>(n));
            for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
                std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (line.ends_with('\r'))
                    line.pop_back();
                Take(line);
            }
        }
        return false;
    }

    bool GuestDone() const { return guestDone; }
    const TGuestResults& Results() const { return results; }

private:
    void Take(const std::string& Line) {
        log << Line << '\n';
        if (!Line.starts_with(kRequest)) {
            results.Feed(Line);
            return;
        }
        const std::string request = Line.substr(kRequest.size());
        const size_t space = request.find(' ');
        const std::string number = request.substr(0, space);
        const std::string body = space == std::string::npos ? "" : request.substr(space + 1);
        if (body == kGuestDone) {
            guestDone = true;
            return;
        }
        machine.Type("=" + number + " " + requests.Handle(body) + "\n");
    }

    TQemuMachine& machine;
    TLaneRequests& requests;
    std::ofstream& log;
    TGuestResults results;
    bool guestDone = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // A guest that has gone must not kill the host with its console pipe.
    std::signal(SIGPIPE, SIG_IGN);
    const std::filesystem::path work = argv[3];
    TQemuSetup setup;
    setup.Kernel = argv[1];
    setup.Initrd = argv[2];
    setup.TraceFile = work / "trace.log";
    setup.MonitorSocket = work / "monitor.sock";
    std::filesystem::remove(setup.TraceFile);
    std::filesystem::remove(setup.MonitorSocket);
    std::ofstream log(work / "console.log");

    // The controllers hold their lines open before QEMU starts: the adapter appears in the guest
    // only while its far end is open.
    sim::Simulator uart, adapter;
    setup.UartPty = uart.PortPath();
    setup.AdapterPty = adapter.PortPath();
    TQemuMachine machine(setup);
    TFileTail trace(setup.TraceFile);
    TLaneRequests requests(uart, adapter, trace, machine);
    TLane lane(machine, requests, log);
    const auto start = Clock::now();
    const bool ended = lane.Run();
    const int status = machine.Finish(ended ? kExitPatience : 0s);

    int passed = 0, failed = 0;
    for (const auto& verdict : lane.Results().Verdicts()) {
        std::printf("%s %s%s\n", verdict.Passed ? "PASS" : "FAIL", verdict.Name.c_str(),
                    verdict.Finished ? "" : " (did not finish)");
        if (!verdict.Passed)
            for (const std::string& line : verdict.Output)
                std::printf("    %s\n", line.c_str());
        ++(verdict.Passed ? passed : failed);
    }
    const bool wholeRun = ended && lane.GuestDone() && status == 0;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
    std::printf("%s qemu-lane: the guest ran to its end (%lld s%s)\n", wholeRun ? "PASS" : "FAIL",
                static_cast<long long>(seconds), ended ? "" : ", time ran out");
    ++(wholeRun ? passed : failed);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
