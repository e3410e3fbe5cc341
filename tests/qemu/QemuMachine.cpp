#include "tests/qemu/QemuMachine.h"

#include "tests/qemu/ChipTrace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kMonitorPrompt = "(qemu) ";
constexpr auto kMonitorWait = std::chrono::seconds(5);
constexpr auto kExitLookStep = std::chrono::milliseconds(10);

std::vector<std::string> Arguments(const TQemuSetup& Setup) {
    std::vector<std::string> args = {
        Setup.Program, "-accel", "tcg", "-m", "256", "-nodefaults", "-display", "none", "-no-reboot",
        "-kernel", Setup.Kernel, "-initrd", Setup.Initrd,
        // ttyS0 is the UART under test, ttyS1 the console; ttyS2 and ttyS3 stay placeholders.
        "-chardev", "serial,id=uart,path=" + Setup.UartPty, "-serial", "chardev:uart", "-serial", "stdio",
        "-chardev", "serial,id=adapter,path=" + Setup.AdapterPty, "-device", "qemu-xhci", "-device",
        std::string("usb-serial,chardev=adapter,id=") + TQemuMachine::kAdapterId, "-monitor",
        "unix:" + Setup.MonitorSocket + ",server=on,wait=off", "-D", Setup.TraceFile, "-append",
        "console=ttyS1 quiet panic=-1"};
    for (const char* event : ChipTrace::kEvents) {
        args.push_back("-trace");
        args.push_back(event);
    }
    return args;
}

std::system_error SystemError(const char* What) {
    return std::system_error(errno, std::generic_category(), What);
}

// Reads from Fd until Text has come or the deadline passed; everything read.
std::string ReadUntil(int Fd, const std::string& Text, Clock::time_point Deadline) {
    std::string got;
    while (got.find(Text) == std::string::npos) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(Deadline - Clock::now()).count();
        pollfd input{Fd, POLLIN, 0};
        if (left <= 0 || poll(&input, 1, static_cast<int>(left)) <= 0)
            break;
        char chunk[512];
        const ssize_t n = read(Fd, chunk, sizeof chunk);
        if (n <= 0)
            break;
        got.append(chunk, static_cast<size_t>(n));
    }
    return got;
}

} // namespace

TQemuMachine::TQemuMachine(const TQemuSetup& Setup) : monitorSocket(Setup.MonitorSocket) {
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0)
        throw SystemError("pipe");
    if (pipe2(output, O_CLOEXEC) != 0)
        throw SystemError("pipe");
    std::vector<std::string> args = Arguments(Setup);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid = fork();
    if (pid < 0)
        throw SystemError("fork");
    if (pid == 0) {
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        // QEMU opens the lines by path; the simulators' own descriptors stay with the host.
        close_range(3, ~0U, 0);
        execvp(argv[0], argv.data());
        std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(errno));
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    toGuest = input[1];
    fromGuest = output[0];
    fcntl(fromGuest, F_SETFL, O_NONBLOCK);
}

TQemuMachine::~TQemuMachine() {
    Finish(std::chrono::milliseconds(0));
    close(toGuest);
    close(fromGuest);
}

void TQemuMachine::Type(const std::string& Text) {
    size_t done = 0;
    while (done < Text.size()) {
        const ssize_t n = write(toGuest, Text.data() + done, Text.size() - done);
        if (n <= 0)
            return; // QEMU has gone; the run's end shows it
        done += static_cast<size_t>(n);
    }
}

std::string TQemuMachine::Monitor(const std::string& Command) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (monitorSocket.size() >= sizeof address.sun_path)
        return "no monitor: socket path too long";
    std::memcpy(address.sun_path, monitorSocket.c_str(), monitorSocket.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return "no monitor: " + std::string(std::strerror(errno));
    std::string answer;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        answer = "no monitor: " + std::string(std::strerror(errno));
    } else {
        const auto deadline = Clock::now() + kMonitorWait;
        ReadUntil(fd, kMonitorPrompt, deadline); // the greeting
        const std::string line = Command + "\n";
        if (write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()))
            answer = ReadUntil(fd, kMonitorPrompt, deadline);
        else
            answer = "no monitor: " + std::string(std::strerror(errno));
    }
    close(fd);
    return answer;
}

int TQemuMachine::Finish(std::chrono::milliseconds Patience) {
    if (pid < 0)
        return -1;
    const auto deadline = Clock::now() + Patience;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(kExitLookStep);
    }
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
