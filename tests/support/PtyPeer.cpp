#include "tests/support/PtyPeer.h"

#include <stdexcept>

#include <poll.h>
#include <unistd.h>

void PtyPeer::Send(const std::vector<uint8_t>& Bytes) {
    size_t sent = 0;
    while (sent < Bytes.size()) {
        const ssize_t n = write(MasterFd(), Bytes.data() + sent, Bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        pollfd waitFor{MasterFd(), POLLOUT, 0};
        if (poll(&waitFor, 1, 5000) <= 0)
            throw std::runtime_error("the port does not take input");
    }
}

std::vector<uint8_t> PtyPeer::Receive(size_t Count, std::chrono::milliseconds Quiet) {
    std::vector<uint8_t> bytes(Count);
    size_t got = 0;
    while (got < Count) {
        const ssize_t n = read(MasterFd(), bytes.data() + got, Count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            continue;
        }
        pollfd waitFor{MasterFd(), POLLIN, 0};
        if (poll(&waitFor, 1, static_cast<int>(Quiet.count())) <= 0 || !(waitFor.revents & POLLIN))
            break;
    }
    bytes.resize(got);
    return bytes;
}
