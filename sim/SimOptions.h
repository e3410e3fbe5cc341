#pragma once
// What a simulated controller is made with and what it reports: its configuration and data, the
// faults switched on per exchange, the replies queued for polls, the image it received and when
// each frame came. Plain values, with no line behind them, so that a program that cannot host the
// simulator (a Windows test under Wine) can still describe one.

#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace LineTap {
class TLineTap;
}

namespace sim {

struct ControllerConfig {
    uint8_t Addr1 = 1, Addr2 = 2, NoFillTO1 = 10, NoFillTO2 = 20, NoMaster = 30, MinVoltage = 50,
            PricePoint = 0, AmoPoint = 0;
    bool Recalc = true, ElType = true;
    std::string FwVersion = "0102030405"; // ten decimal digits
    std::string SerialNo = "1234567890";  // ten decimal digits
};

// What the controller reports to the state, amount and totals commands.
struct DispenserData {
    uint8_t State = 1;                   // GetState: state code
    uint8_t ReadyBits = 1;               // GetState: bit 0 is the ready bit
    uint8_t Errors = 0;                  // GetState: error flags
    uint64_t FillVolume = 1234567890;    // GetAmount kind 1, ten digits
    uint64_t FillMoney = 9876543210;     // GetAmount kind 2, ten digits (wider than 32 bits)
    uint64_t TotalVolume = 123456789012; // GetSumm kind 1, twelve digits, for any index asked
    uint64_t TotalMoney = 987654321098;  // GetSumm kind 2, twelve digits
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

// Applies to exchanges First..Last (inclusive). Where several rules cover an exchange, each
// later one overrides the fields it sets (a fault other than None, a delay above 0, a split, stray
// bytes) and keeps the rest of the earlier ones. Silent and CloseLine, and on the link side Nak,
// Eot and AckOtherTx (which answer link DATA and POLL in any mode), mean the controller did not
// take the frame: a setting or a firmware block is not stored. The faults that damage an answer
// apply only where an answer is given; Truncated drops the last two bytes.
struct Rule {
    int First = 1;
    int Last = INT_MAX;
    Fault fault = Fault::None;
    int DelayMs = 0;     // pause before the answer
    int SplitAfter = -1; // bytes of the answer sent before a pause of SplitPauseMs
    int SplitPauseMs = 0;
    std::vector<uint8_t> StrayBefore; // sent in front of the answer
};

// A DATA frame (or an EOT) that answers the next POLL in update or poll mode.
struct PollReply {
    bool Eot = false;
    uint8_t Tx = 1;                    // low nibble of the control byte
    std::vector<uint8_t> Transactions; // concatenated TRANS, LNG, data records
    bool BadCrc = false;
};

struct ReceivedImage {
    bool Started = false; // an update-start transaction was received
    uint32_t Value32 = 0;
    uint16_t Value16 = 0;
    std::vector<uint8_t> Body; // the blocks, in the order received
    std::vector<size_t> BlockSizes;
};

// When a frame came and when its answer went, on the steady clock, so that a benchmark can tell the
// tool's time from the simulator's.
struct FrameTiming {
    std::chrono::steady_clock::time_point Received; // the read that completed the frame returned
    // Only for a frame that was answered: when the answer's last byte was due (its delay and, when
    // paced, the request's and the answer's wire time after Received) and when it was written.
    std::optional<std::chrono::steady_clock::time_point> AnswerDue, AnswerSent;
};

// Bit errors on the line (Options::Noise): each data bit that passes either way is flipped with
// probability Rate, from a generator seeded with Seed, so that a run repeats exactly.
inline constexpr uint64_t kDefaultNoiseSeed = 1;
struct LineNoise {
    double Rate = 0; // 0: a clean line
    uint64_t Seed = kDefaultNoiseSeed;
};

// What the noise did, both ways together. A collision is a damaged frame whose checksum still
// holds: nothing on the line can tell it from a sound one.
struct NoiseCount {
    uint64_t BitsFlipped = 0;
    uint64_t ReadsHit = 0;   // reads off the line with a bit flipped (the tool writes a frame at a time)
    uint64_t AnswersHit = 0; // answers that went out with a bit flipped
    uint64_t FramesTakenDamaged = 0;    // collisions the controller took as the tool's frames
    uint64_t AnswersDamagedChecked = 0; // collisions sent: a damaged answer that is still a whole frame
};

// One of several controllers that share the line (Options::Controllers).
struct Controller {
    ControllerConfig Config; // it answers at both side addresses, Config.Addr1 and Config.Addr2
    // 0: it understands requests at any line speed. Otherwise only while the tool's port is set to
    // this speed; at another one it hears nothing it can take and stays silent.
    uint32_t LineSpeed = 0;
    bool UpdateMode = false; // start in update mode
};

struct Options {
    // The single controller, when Controllers is empty: its command-protocol address of side 1
    // (Config.Addr1 overrides), at which alone it answers, and whether it starts in update mode.
    uint8_t Address = 1;
    bool UpdateMode = false;
    // 0: answer at once. Otherwise 11 bits per byte at this speed: the answer starts after the
    // request's own wire time and each of its bytes takes its time.
    uint32_t PaceBitsPerSecond = 0;
    std::string LinkPath; // when set, a symlink to the port is made there (replacing one)
    // When set, told every chunk the simulator reads from the line (as TX, the tool's direction)
    // and every chunk it writes (as RX); not owned, must outlive the simulator.
    LineTap::TLineTap* Tap = nullptr;
    // Called on the simulator's thread when the last body byte of an update has come to the
    // controller with this index.
    std::function<void(size_t Controller, const ReceivedImage&)> OnImageComplete;
    // Empty: the single controller above. Otherwise these controllers share the line in place of
    // it, and Address and UpdateMode are not used; the first has index 0.
    std::vector<Controller> Controllers;
    // Flips bits of the tool's bytes before they are parsed and of the answers before they go out;
    // the trace (Tap) hears the bytes as they came in and as they were sent. SendRaw is not noisy.
    LineNoise Noise;
};

} // namespace sim
