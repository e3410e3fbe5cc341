#pragma once
// The far end of a line for the tests: the master side of a pseudo-terminal whose slave the port
// under test opens.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimPty.h"

class PtyPeer {
public:
    PtyPeer() : pty("") {}

    const std::string& SlavePath() const { return pty.SlavePath(); }
    int MasterFd() const { return pty.Master(); }

    // Writes all of Bytes, waiting for room as needed.
    void Send(const std::vector<uint8_t>& Bytes);
    // Reads until Count bytes came or nothing came for Quiet.
    std::vector<uint8_t> Receive(size_t Count,
                                 std::chrono::milliseconds Quiet = std::chrono::milliseconds(300));
    // Closes both sides: the port is hung up.
    void HangUp() { pty.Close(); }

private:
    SimPty::Pty pty;
};
