#pragma once
// Link frames on the wire: building, stuffing, checking and unstuffing replies, and walking the
// transaction records of a DATA payload. Pure functions over bytes.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace LinkFrame {

constexpr uint8_t kSF = 0xFA;  // stop flag: last byte of every frame
constexpr uint8_t kETX = 0x03; // second-to-last byte of a DATA frame
constexpr uint8_t kDLE = 0x10; // sent in front of every 0xFA inside a DATA body

// Frame kinds: the high nibble of the control byte; the low nibble is the TX.
constexpr uint8_t kPoll = 0x20;
constexpr uint8_t kData = 0x30;
constexpr uint8_t kAck = 0xC0;
constexpr uint8_t kNak = 0x50;
constexpr uint8_t kEot = 0x70;

constexpr size_t kControlFrameSize = 3;  // ADR, control, SF
constexpr size_t kShortestDataFrame = 6; // ADR, control, CRC low, CRC high, ETX, SF
constexpr size_t kCrcSize = 2;           // low byte first
constexpr size_t kLongestFrame = 255;    // a stuffed DATA frame, ETX and SF included
constexpr size_t kReadSize = 256;        // one read of a reply; a reply must be shorter

constexpr uint8_t Kind(uint8_t Control) {
    return Control & 0xF0;
}
constexpr uint8_t Tx(uint8_t Control) {
    return Control & 0x0F;
}

std::array<uint8_t, kControlFrameSize> PollFrame(uint8_t Adr);
std::array<uint8_t, kControlFrameSize> AckFrame(uint8_t Adr, uint8_t Tx);

// A 0x10 in front of every 0xFA; nothing else changes.
std::vector<uint8_t> Stuff(std::span<const uint8_t> Body);
// Drops a 0x10 that stands right before a 0xFA; every other byte is kept.
std::vector<uint8_t> Unstuff(std::span<const uint8_t> Bytes);

// The stuffed DATA frame: ADR, 0x30 + TX, Transactions, CRC low first, then ETX and SF.
std::vector<uint8_t> DataFrame(uint8_t Adr, uint8_t Tx, std::span<const uint8_t> Transactions);

enum class TDataStatus {
    Rejected, // not from Adr, not ending in SF, not a DATA frame, or as long as a whole read
    Control,  // three bytes: a control reply, never DATA
    BadCrc,
    Accepted,
};

struct TDataReply {
    TDataStatus Status = TDataStatus::Rejected;
    uint8_t Tx = 0;
    uint16_t ReceivedCrc = 0, ComputedCrc = 0;
    std::vector<uint8_t> Payload; // the transaction records, when accepted
};

TDataReply AcceptData(std::span<const uint8_t> Reply, uint8_t Adr);

// The frame a reply answers: a DATA frame with its TX, or a POLL; both sent to Address.
struct TRequest {
    uint8_t Kind = kData;
    uint8_t Tx = 0;
    uint8_t Address = 0;
};

// Why a reply was not taken, one value per check, in the order the checks run.
enum class TReplyFault {
    None,
    NotSent,      // the transactions fit no frame, so nothing went out
    WriteFailed,  // not every byte of the frame went out
    NoReply,      // nothing arrived
    TooShort,     // a poll's reply of Got bytes, shorter than a control frame
    WrongLength,  // a DATA frame's reply of Got bytes, not the Wanted control frame
    OtherAddress, // the reply came from Got, the frame went to Wanted
    NoStopFlag,   // the reply does not end in SF
    Nak,          // the controller refused the DATA frame
    Eot,          // the controller ended the exchange instead of acknowledging
    OtherTx,      // an ACK for TX Got where the frame had Wanted
    UnknownKind,  // a control frame of no kind a DATA frame's reply may have (Got: its control byte)
    NotEot,       // a control frame to a poll other than EOT (Got: its control byte)
    NotData,      // a longer reply to a poll that is no DATA frame
    BadCrc,       // a DATA reply whose CRC Received is not the Computed one
};

// What the judge made of one reply, with the values of the check that failed; once accepted, what
// came: an ACK or an EOT, or a DATA frame with its TX and transaction records.
struct TReplyVerdict {
    TReplyFault Fault = TReplyFault::None;
    bool ToPoll = false;
    int Got = 0, Wanted = 0;
    uint16_t Received = 0, Computed = 0;
    uint8_t Kind = 0, Tx = 0;
    std::vector<uint8_t> Payload{};

    bool Accepted() const { return Fault == TReplyFault::None; }
    // The reply is one whole, well-formed frame from the address, whatever the request wanted.
    bool WholeFrame() const;
};

// The one judge of a link reply, for the engine, the trace and the fast read alike. A DATA
// frame's reply must be a 3-byte control frame from the address ending in SF, an ACK with the
// frame's TX; a poll's reply an EOT, or a DATA frame from the address whose CRC holds.
TReplyVerdict JudgeReply(std::span<const uint8_t> Reply, const TRequest& Request);

// The engine's error flags: a bit for each way an exchange fails.
constexpr uint8_t kFlagNoReply = 0x01;
constexpr uint8_t kFlagNak = 0x02;
constexpr uint8_t kFlagMalformed = 0x04;
constexpr uint8_t kFlagOtherAddress = 0x10;
constexpr uint8_t kFlagBadLength = 0x40;
constexpr uint8_t kFlagEot = 0x80;

// The error flags a judged reply adds: a DATA frame's reply sets them, a poll's none.
uint8_t FlagsFor(const TReplyVerdict& Verdict);

// Calls Visit with every transaction of Payload in order. A record whose LNG runs past the end of
// the payload ends the walk: neither it nor anything after it is visited.
void WalkPayload(std::span<const uint8_t> Payload,
                 const std::function<void(uint8_t Trans, std::span<const uint8_t> Data)>& Visit);

} // namespace LinkFrame
