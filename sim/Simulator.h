#pragma once
// A simulated dispenser controller on the master side of a pseudo-terminal. The tool opens
// PortPath() like a real serial port. Written from the wire formats only; it shares nothing with
// the tool but the checksum routine.
//
// It answers the command protocol at its address and, in update mode, the link protocol at
// address 255. Faults are switched on per exchange through rules. An "exchange" is every frame
// received that expects an answer (command frames, link DATA and POLL frames), counted from 1;
// the tool's write-only link ACKs are recorded but not counted.

#include <chrono>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim {

struct ControllerConfig {
    uint8_t Addr1 = 1, Addr2 = 2, NoFillTO1 = 10, NoFillTO2 = 20, NoMaster = 30, MinVoltage = 50,
            PricePoint = 0, AmoPoint = 0;
    bool Recalc = true, ElType = true;
    std::string FwVersion = "0102030405"; // ten decimal digits
    std::string SerialNo = "1234567890";  // ten decimal digits
};

enum class Fault {
    None,
    Silent,        // no answer at all
    WrongChecksum, // command: checksum bytes off by one; link DATA reply: wrong CRC
    WrongAddress,  // command and link replies carry another address
    WrongEcho,     // command answer repeats another command code
    WrongLength,   // command answer's length byte off by one
    BadTrailer,    // command answer ends 03 FE
    Truncated,     // the answer loses its last bytes
    Oversize,      // the answer is followed by filler up to 300 bytes in one burst
    Nak,           // link: NAK with the frame's TX
    Eot,           // link: EOT with the frame's TX
    AckOtherTx,    // link: ACK with a TX other than the frame's
    CloseLine,     // the adapter is pulled: the simulator closes its side instead of answering
};

// Applies to exchanges First..Last (inclusive).
struct Rule {
    int First = 1;
    int Last = INT_MAX;
    Fault fault = Fault::None;
    int DelayMs = 0;                   // pause before the answer
    int SplitAfter = -1;               // bytes of the answer sent before a pause of SplitPauseMs
    int SplitPauseMs = 0;
    std::vector<uint8_t> StrayBefore;  // sent in front of the answer
};

// A DATA frame (or an EOT) that answers the next POLL in update or poll mode.
struct PollReply {
    bool Eot = false;
    uint8_t Tx = 1;                    // low nibble of the control byte
    std::vector<uint8_t> Transactions; // concatenated TRANS, LNG, data records
    bool BadCrc = false;
};

struct Options {
    uint8_t Address = 1;             // command-protocol address of side 1 (Config.Addr1 overrides)
    bool UpdateMode = false;         // start in update mode
    uint32_t PaceBitsPerSecond = 0;  // 0: answer at once; otherwise send bytes at this line speed
    std::string LinkPath;            // when set, a symlink to the port is made there
};

struct ReceivedImage {
    bool Started = false;  // an update-start transaction was received
    uint32_t Value32 = 0;
    uint16_t Value16 = 0;
    std::vector<uint8_t> Body;          // the blocks, in the order received
    std::vector<size_t> BlockSizes;
};

class Simulator {
public:
    explicit Simulator(const Options& options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& PortPath() const;

    ControllerConfig Config() const;
    void SetConfig(const ControllerConfig& config);

    // Command protocol: every answer from parameter Id on (in GetParam order) is withheld.
    void StopAnsweringFromParam(int Id);

    void AddRule(const Rule& rule);
    void ClearRules();

    bool InUpdateMode() const;
    void SetUpdateMode(bool on);
    ReceivedImage Image() const;

    // Link protocol: the next POLLs are answered by these replies in order, in any mode.
    void QueuePollReply(const PollReply& reply);

    // Every frame received, raw as it came off the line, in order.
    std::vector<std::vector<uint8_t>> ReceivedFrames() const;
    void ClearReceived();
    // Waits until at least Count frames have been received; returns how many there are.
    size_t WaitForFrames(size_t Count, std::chrono::milliseconds Timeout) const;
    int ExchangeCount() const;

    // Writes raw bytes to the line now (stale input for the next read).
    void SendRaw(const std::vector<uint8_t>& bytes);
    // Pulls the adapter: closes the simulator's side of the line.
    void CloseLine();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace sim
