#pragma once
// The far end of a line for the tests: the master side of a pseudo-terminal whose slave the port
// under test opens.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& SlavePath() const { return slavePath; }
    int MasterFd() const { return master; }

    // Writes all of Bytes, waiting for room as needed.
    void Send(const std::vector<uint8_t>& Bytes);
    // Reads until Count bytes came or nothing came for Quiet.
    std::vector<uint8_t> Receive(size_t Count,
                                 std::chrono::milliseconds Quiet = std::chrono::milliseconds(300));
    // Closes the master: the slave is hung up.
    void HangUp();

private:
    int master = -1;
    std::string slavePath;
};
