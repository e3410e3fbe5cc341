#include "tests/support/PtyPeer.h"

#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

PtyPeer::PtyPeer() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slavePath = ptsname(master);
}

PtyPeer::~PtyPeer() {
    HangUp();
}

void PtyPeer::HangUp() {
    if (master >= 0)
        close(master);
    master = -1;
}

void PtyPeer::Send(const std::vector<uint8_t>& Bytes) {
    size_t sent = 0;
    while (sent < Bytes.size()) {
        const ssize_t n = write(master, Bytes.data() + sent, Bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        pollfd waitFor{master, POLLOUT, 0};
        if (poll(&waitFor, 1, 5000) <= 0)
            throw std::runtime_error("the port does not take input");
    }
}

std::vector<uint8_t> PtyPeer::Receive(size_t Count, std::chrono::milliseconds Quiet) {
    std::vector<uint8_t> bytes(Count);
    size_t got = 0;
    while (got < Count) {
        const ssize_t n = read(master, bytes.data() + got, Count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            continue;
        }
        pollfd waitFor{master, POLLIN, 0};
        if (poll(&waitFor, 1, static_cast<int>(Quiet.count())) <= 0 || !(waitFor.revents & POLLIN))
            break;
    }
    bytes.resize(got);
    return bytes;
}
