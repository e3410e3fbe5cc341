#pragma once
// The guest machine: QEMU with TCG, booting a kernel and an initramfs, with a 16550 UART and a USB
// FTDI adapter whose far ends are the host's pseudo-terminals, the guest console on pipes, QEMU's
// monitor on a Unix socket, and the chips' trace events written to a file.

#include <chrono>
#include <string>
#include <sys/types.h>

struct TQemuSetup {
    std::string Program = "qemu-system-x86_64";
    std::string Kernel, Initrd;
    std::string UartPty, AdapterPty; // the host ends of the lines: opened by QEMU as serial devices
    std::string TraceFile, MonitorSocket;
};

class TQemuMachine {
public:
    // The monitor's name for the USB serial device.
    static constexpr const char* kAdapterId = "adapter";

    // Starts the machine; throws std::system_error when QEMU cannot be started.
    explicit TQemuMachine(const TQemuSetup& Setup);
    // Kills the machine if it still runs.
    ~TQemuMachine();
    TQemuMachine(const TQemuMachine&) = delete;
    TQemuMachine& operator=(const TQemuMachine&) = delete;

    // What the guest writes on its console (non-blocking); end of file once QEMU has gone.
    int ConsoleOut() const { return fromGuest; }
    // Types Text into the guest console.
    void Type(const std::string& Text);
    // Runs a monitor command and gives what the monitor answered, or why there was no answer.
    std::string Monitor(const std::string& Command);
    // Waits for QEMU to end, killing it after Patience; its exit status, or -1 when it was killed.
    int Finish(std::chrono::milliseconds Patience);

private:
    pid_t pid = -1;
    int toGuest = -1, fromGuest = -1;
    std::string monitorSocket;
};
