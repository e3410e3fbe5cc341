#pragma once
// The master side of the link protocol: queued transactions go out in one DATA frame, the controller
// acknowledges it, is polled, and the DATA it answers with is acknowledged and decoded into the
// controller state kept here. Changes are announced through the notifier.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/EngineTimer.h"
#include "link/LinkFrame.h"
#include "link/uNoty.h"
#include "serial/CommPort.h"

namespace uDispenser {

// The bytes of one transaction record: TRANS, LNG, data.
using TTransData = std::vector<uint8_t>;

// One outgoing transaction record.
class TTransPkt {
public:
    explicit TTransPkt(uint8_t Trans);
    // Appends a data byte and counts it in LNG; false (and nothing appended) once 255 data bytes are held.
    bool Add(uint8_t Byte);
    size_t Size() const { return Data.size(); } // 2 + LNG
    uint8_t At(size_t Position) const { return Data.at(Position); }
    std::span<const uint8_t> Bytes() const { return Data; }

private:
    TTransData Data;
};

// One received DATA frame: its transaction records, without address, control byte and CRC.
struct TPktObject {
    std::string Name;
    std::vector<uint8_t> Payload;
};

// The configuration record (LinkTransactions::kConfig) as the controller reports it; fields in record order.
struct TCfgStruct {
    uint8_t Kind = 0; // LNG of the record that filled it: 26, 27, 29 or 30
    uint8_t Lead = 0;
    std::string Digits1;
    uint8_t Opt1 = 0, Byte1 = 0;
    std::string Digits2;
    uint8_t Opt2 = 0, Byte2 = 0, Byte3 = 0, Byte4 = 0, Byte5 = 0;
    bool Flag1 = false, Flag2 = false;
    std::string Digits4, Digits3;
};

// Packed decimal accumulated in double precision and divided by 10 to the power Decimals.
double BcdToFloat(const uint8_t* Data, int Count, int Decimals);

// What the decoders keep of the controller.
struct TControllerState {
    int32_t Status = -1;
    int32_t Value1 = 0, Value2 = 0;
    bool NozzleOut = false;
    int32_t Nozzle = 1;
    int32_t NozzleCount = 1;         // 1..4
    std::array<int32_t, 5> Prices{}; // per nozzle, [1..4]; [0] unused
    std::string Identity;
    int64_t Total1 = 0, Total2 = 0; // ten digits do not fit 32 bits
    TCfgStruct Config;
    bool StatusChanged = false, NozzleChanged = false, OutValuesChanged = false, TotalsChanged = false;
};

// Effect of one decoded transaction on the engine's error flags.
enum class TDecodeOutcome {
    None,
    ConfigStored,   // flags are cleared
    ConfigRejected, // a configuration record of an unknown length: malformed
};

// Decodes one transaction into State. A record shorter than its decoder reads changes nothing.
TDecodeOutcome DecodeTransaction(TControllerState& State, uint8_t Trans, std::span<const uint8_t> Data);

// How the service tools make the engine: the firmware loader's station address, one nozzle, a
// timer that never runs.
constexpr uint8_t kLoaderAddress = 255;
constexpr int32_t kLoaderNozzles = 1;
constexpr int32_t kLoaderTimerMs = 1000;

class TDispenserLL {
public:
    // Port is held, never owned: the line outlives the engine.
    TDispenserLL(uint8_t Address, int32_t NozzleCount, CommPort::TCommPort& Port, int32_t TimerInterval);
    ~TDispenserLL();
    TDispenserLL(const TDispenserLL&) = delete;
    TDispenserLL& operator=(const TDispenserLL&) = delete;

    void QueueConfigRequest();
    void QueueUpdateStart(uint32_t Value32, uint16_t Value16);
    void QueueUpdateBlock(const uint8_t* Data, uint8_t Count);
    void QueueD8Command();

    // One exchange: the queued transactions in one DATA frame, its ACK, then (unless NoPollAfterAck)
    // a poll. True on success or when nothing was queued. Transactions that would make the frame
    // longer than 255 bytes stay queued for the next call; one that fits no frame even alone is
    // dropped and the call fails with 0x04 and 0x40, sending nothing.
    bool Execute();
    // Decodes the received packets and sends the change notifications.
    void Dispatch();

    int32_t TxCounter = 0;
    bool NoPollAfterAck = false;
    uint8_t LastReplyCount = 0; // at most 255: a full 256-byte read counts as 255
    std::array<uint8_t, 256> LastReply{};
    // Failures add their bits (LinkFrame::FlagsFor); cleared by an accepted ACK and by a stored
    // configuration record.
    uint8_t ErrorFlags = 0;
    // The reply of the exchange that failed last, as the judge saw it.
    LinkFrame::TReplyVerdict LastFailure;

    const uint8_t Address;
    TControllerState Controller;

    // Told the received and computed CRC of a polled reply that does not match, as "12AB 0F00".
    std::function<void(const std::string&)> OnCrcMismatch;

    uNoty::TMyNoty& Notifier() { return Noty; }
    const EngineTimer::TEngineTimer& Timer() const { return DispatchTimer; }

private:
    enum class TBuild { Empty, Built, Refused };
    TBuild BuildFrame();
    bool SendFrame(std::span<const uint8_t> Frame);
    int ReadReply();
    // Sends Frame and judges the reply as the answer to Request.
    LinkFrame::TReplyVerdict Exchange(std::span<const uint8_t> Frame, const LinkFrame::TRequest& Request);
    bool ExchangeData();
    bool Poll();
    // Records a failed exchange: its flags and its verdict. Always false.
    bool Failed(LinkFrame::TReplyVerdict Verdict);

    CommPort::TCommPort& Port;
    std::deque<TTransPkt> Outgoing;
    std::vector<TPktObject> Received;
    bool FramePending = false;
    std::vector<uint8_t> TxFrame;
    uint8_t FrameTx = 0;
    uint8_t LastAckedTx = 0;
    uNoty::TMyNoty Noty;
    EngineTimer::TEngineTimer DispatchTimer;
};

} // namespace uDispenser
