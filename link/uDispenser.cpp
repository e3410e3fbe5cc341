#include "link/uDispenser.h"

#include <algorithm>
#include <cmath>

#include "link/LinkFrame.h"
#include "link/LinkTransactions.h"
#include "protocol/PackedDecimal.h"
#include "serial/Hex.h"

namespace uDispenser {

namespace {

// The D8 command's one data byte.
constexpr uint8_t kD8Data = 0xAA;

constexpr uint8_t kMaxTransData = 255; // LNG is one byte
constexpr int kDigitBytes = 5;         // ten decimal characters
constexpr uint8_t kNozzleNumberMask = 0x0F;
constexpr uint8_t kNozzleOutBit = 0x10;
constexpr int32_t kMaxNozzles = 4;
constexpr uint8_t kMaxTx = 15;

std::string Digits(std::span<const uint8_t> Data, size_t First) {
    return PackedDecimal::BcdToText(Data.data() + First, kDigitBytes);
}

int64_t Bcd(std::span<const uint8_t> Data, size_t First, int Count) {
    return PackedDecimal::BcdToInt(Data.data() + First, Count);
}

// Where each field of the configuration record sits, by record length; -1: not in this layout.
struct TCfgLayout {
    uint8_t Kind;
    int Opt1, Byte1, Digits2, Opt2, Byte3, Byte2, Byte4, Byte5, Flag1, Flag2, Digits3, Digits4;
};

constexpr std::array<TCfgLayout, 4> kCfgLayouts{{
    {26, -1, 6, 7, -1, 12, 13, 14, 15, -1, -1, 16, 21},
    {27, -1, 6, 7, -1, 12, 13, 14, 15, 16, -1, 17, 22},
    {29, 6, 7, 8, 13, 14, 15, 16, 17, 18, -1, 19, 24},
    {30, 6, 7, 8, 13, 14, 15, 16, 17, 18, 19, 20, 25},
}};
// One layout for each length the record is taken with, in the same order.
static_assert(std::ranges::equal(kCfgLayouts, LinkTransactions::kConfigRecordLengths, {}, &TCfgLayout::Kind));

void StoreConfig(TCfgStruct& Cfg, const TCfgLayout& L, std::span<const uint8_t> D) {
    Cfg.Kind = L.Kind;
    Cfg.Lead = D[0];
    Cfg.Digits1 = Digits(D, 1);
    Cfg.Byte1 = D[L.Byte1];
    Cfg.Digits2 = Digits(D, L.Digits2);
    Cfg.Byte3 = D[L.Byte3];
    Cfg.Byte2 = D[L.Byte2];
    Cfg.Byte4 = D[L.Byte4];
    Cfg.Byte5 = D[L.Byte5];
    Cfg.Digits3 = Digits(D, L.Digits3);
    Cfg.Digits4 = Digits(D, L.Digits4);
    if (L.Opt1 >= 0) {
        Cfg.Opt1 = D[L.Opt1];
        Cfg.Opt2 = D[L.Opt2];
    }
    if (L.Flag1 >= 0) {
        Cfg.Flag1 = D[L.Flag1] != 0;
    }
    if (L.Flag2 >= 0) {
        Cfg.Flag2 = D[L.Flag2] != 0;
    }
}

} // namespace

TTransPkt::TTransPkt(uint8_t Trans) : Data{Trans, 0} {}

bool TTransPkt::Add(uint8_t Byte) {
    if (Data[1] == kMaxTransData) {
        return false;
    }
    Data.push_back(Byte);
    ++Data[1];
    return true;
}

double BcdToFloat(const uint8_t* Data, int Count, int Decimals) {
    double value = 0;
    for (const uint8_t byte : std::span(Data, static_cast<size_t>(std::max(Count, 0)))) {
        value = value * 100 + (byte >> 4) * 10 + (byte & 0x0F);
    }
    return value / std::pow(10.0, Decimals);
}

TDecodeOutcome DecodeTransaction(TControllerState& State, uint8_t Trans, std::span<const uint8_t> Data) {
    using namespace LinkTransactions;
    const TTransaction* known = Find(Trans, TSender::Controller);
    if (known == nullptr) {
        return TDecodeOutcome::None;
    }
    if (!Takes(*known, Data.size())) {
        // A record of a length the tool does not take is malformed; one too short to decode changes nothing.
        return known->Lengths.empty() ? TDecodeOutcome::None : TDecodeOutcome::ConfigRejected;
    }
    switch (Trans) {
    case kStatus:
        if (Data[0] != State.Status) {
            State.Status = Data[0];
            State.StatusChanged = true;
        }
        break;
    case kOutValues: {
        const auto first = static_cast<int32_t>(Bcd(Data, 0, 4));
        const auto second = static_cast<int32_t>(Bcd(Data, 4, 4));
        if (first != State.Value1 || second != State.Value2) {
            State.Value1 = first;
            State.Value2 = second;
            State.OutValuesChanged = true;
        }
        break;
    }
    case kNozzle: {
        const auto price = static_cast<int32_t>(Bcd(Data, 0, 3));
        const int32_t number = Data[3] & kNozzleNumberMask;
        const bool out = (Data[3] & kNozzleOutBit) != 0;
        if (number >= 1 && number <= State.NozzleCount) {
            State.Prices[static_cast<size_t>(number)] = price;
        }
        if (out != State.NozzleOut || number != State.Nozzle) {
            State.NozzleOut = out;
            State.Nozzle = number;
            State.NozzleChanged = true;
        }
        break;
    }
    case kIdentity:
        State.Identity = Digits(Data, 0);
        break;
    case kTotals:
        State.TotalsChanged = true;
        State.Total1 = std::llround(BcdToFloat(Data.data() + 1, kDigitBytes, 0));
        State.Total2 = std::llround(BcdToFloat(Data.data() + 6, kDigitBytes, 0));
        break;
    case kConfig:
        StoreConfig(State.Config, *std::ranges::find(kCfgLayouts, Data.size(), &TCfgLayout::Kind), Data);
        return TDecodeOutcome::ConfigStored;
    default:
        break;
    }
    return TDecodeOutcome::None;
}

TDispenserLL::TDispenserLL(uint8_t StationAddress, int32_t NozzleCount, CommPort::TCommPort& Line,
                           int32_t TimerInterval)
    : Address(StationAddress), Port(Line), Noty(this), DispatchTimer(TimerInterval, [this] { Dispatch(); }) {
    Controller.NozzleCount = std::clamp(NozzleCount, 1, kMaxNozzles);
}

TDispenserLL::~TDispenserLL() {
    DispatchTimer.Enabled = false;
}

void TDispenserLL::QueueConfigRequest() {
    TTransPkt pkt(LinkTransactions::kConfig);
    pkt.Add(0x00);
    Outgoing.push_back(std::move(pkt));
}

void TDispenserLL::QueueUpdateStart(uint32_t Value32, uint16_t Value16) {
    TTransPkt pkt(LinkTransactions::kUpdateStart);
    for (int shift = 0; shift < 32; shift += 8) {
        pkt.Add(static_cast<uint8_t>(Value32 >> shift));
    }
    pkt.Add(static_cast<uint8_t>(Value16 & 0xFF));
    pkt.Add(static_cast<uint8_t>(Value16 >> 8));
    pkt.Add(0x00);
    pkt.Add(0x00);
    Outgoing.push_back(std::move(pkt));
    NoPollAfterAck = true;
}

void TDispenserLL::QueueUpdateBlock(const uint8_t* Data, uint8_t Count) {
    TTransPkt pkt(LinkTransactions::kUpdateBlock);
    if (Data != nullptr) {
        std::ranges::for_each(std::span(Data, Count), [&pkt](uint8_t byte) { pkt.Add(byte); });
    }
    Outgoing.push_back(std::move(pkt));
}

void TDispenserLL::QueueD8Command() {
    TTransPkt pkt(LinkTransactions::kD8Command);
    pkt.Add(kD8Data);
    Outgoing.push_back(std::move(pkt));
    NoPollAfterAck = true;
}

TDispenserLL::TBuild TDispenserLL::BuildFrame() {
    const int32_t nextCounter = TxCounter + 1 > kMaxTx ? 1 : TxCounter + 1;
    const auto tx = static_cast<uint8_t>(nextCounter & 0x0F);
    std::vector<uint8_t> transactions;
    std::vector<uint8_t> frame;
    // Whole transactions, in queue order, as long as the stuffed frame stays within its limit.
    while (!Outgoing.empty()) {
        const std::size_t taken = transactions.size();
        const std::span<const uint8_t> next = Outgoing.front().Bytes();
        transactions.insert(transactions.end(), next.begin(), next.end());
        std::vector<uint8_t> candidate = LinkFrame::DataFrame(Address, tx, transactions);
        if (candidate.size() > LinkFrame::kLongestFrame) {
            transactions.resize(taken);
            break;
        }
        frame = std::move(candidate);
        Outgoing.pop_front();
    }
    if (transactions.empty()) {
        if (Outgoing.empty()) {
            return TBuild::Empty;
        }
        // A transaction that fits no frame on its own can never be sent; the ones behind it still can.
        Outgoing.pop_front();
        return TBuild::Refused;
    }
    TxCounter = nextCounter;
    FrameTx = tx;
    TxFrame = std::move(frame);
    FramePending = true;
    return TBuild::Built;
}

bool TDispenserLL::SendFrame(std::span<const uint8_t> Frame) {
    return !Port.WriteAll(Frame.data(), static_cast<int>(Frame.size()));
}

int TDispenserLL::ReadReply() {
    const int count = std::clamp(Port.Read(LastReply.data(), static_cast<int>(LastReply.size())), 0,
                                 static_cast<int>(LastReply.size()));
    LastReplyCount = static_cast<uint8_t>(std::min(count, 255));
    return count;
}

bool TDispenserLL::Execute() {
    if (!FramePending) {
        switch (BuildFrame()) {
        case TBuild::Empty:
            return true;
        case TBuild::Refused:
            return Failed({.Fault = LinkFrame::TReplyFault::NotSent});
        case TBuild::Built:
            break;
        }
    }
    const bool ok = ExchangeData();
    FramePending = false;
    return ok;
}

bool TDispenserLL::Failed(LinkFrame::TReplyVerdict Verdict) {
    ErrorFlags |= LinkFrame::FlagsFor(Verdict);
    LastFailure = std::move(Verdict);
    return false;
}

LinkFrame::TReplyVerdict TDispenserLL::Exchange(std::span<const uint8_t> Frame,
                                                const LinkFrame::TRequest& Request) {
    if (!SendFrame(Frame)) {
        LastReplyCount = 0;
        return {.Fault = LinkFrame::TReplyFault::WriteFailed, .ToPoll = Request.Kind == LinkFrame::kPoll};
    }
    const int count = ReadReply();
    return LinkFrame::JudgeReply(std::span(LastReply).first(static_cast<size_t>(count)), Request);
}

bool TDispenserLL::ExchangeData() {
    LinkFrame::TReplyVerdict verdict =
        Exchange(TxFrame, {.Kind = LinkFrame::kData, .Tx = FrameTx, .Address = Address});
    if (!verdict.Accepted()) {
        return Failed(std::move(verdict));
    }
    FramePending = false;
    ErrorFlags = 0;
    if (NoPollAfterAck) {
        NoPollAfterAck = false;
        return true;
    }
    return Poll();
}

bool TDispenserLL::Poll() {
    LinkFrame::TReplyVerdict verdict =
        Exchange(LinkFrame::PollFrame(Address), {.Kind = LinkFrame::kPoll, .Address = Address});
    switch (verdict.Fault) {
    case LinkFrame::TReplyFault::None:
        break;
    case LinkFrame::TReplyFault::WriteFailed:
    case LinkFrame::TReplyFault::NoReply:
    case LinkFrame::TReplyFault::TooShort:
        // Fewer bytes than a frame: what came before is still decoded.
        Dispatch();
        return Failed(std::move(verdict));
    case LinkFrame::TReplyFault::BadCrc:
        if (OnCrcMismatch) {
            OnCrcMismatch(Hex::Word(verdict.Received) + " " + Hex::Word(verdict.Computed));
        }
        return Failed(std::move(verdict));
    default:
        return Failed(std::move(verdict));
    }
    if (verdict.Kind == LinkFrame::kData) {
        const bool repeat = verdict.Tx != 0 && verdict.Tx == LastAckedTx;
        SendFrame(LinkFrame::AckFrame(Address, verdict.Tx));
        LastAckedTx = verdict.Tx;
        if (!repeat) {
            Received.push_back({"DATA", std::move(verdict.Payload)});
        }
    }
    Dispatch();
    return true;
}

void TDispenserLL::Dispatch() {
    for (const TPktObject& pkt : Received) {
        if (pkt.Name != "DATA") {
            continue;
        }
        LinkFrame::WalkPayload(pkt.Payload, [this](uint8_t Trans, std::span<const uint8_t> Data) {
            switch (DecodeTransaction(Controller, Trans, Data)) {
            case TDecodeOutcome::ConfigStored:
                ErrorFlags = 0;
                break;
            case TDecodeOutcome::ConfigRejected:
                ErrorFlags |= LinkFrame::kFlagMalformed | LinkFrame::kFlagBadLength;
                break;
            case TDecodeOutcome::None:
                break;
            }
        });
    }
    Received.clear();
    const std::array<std::pair<bool*, const char*>, 4> changes{{
        {&Controller.StatusChanged, "STATUS"},
        {&Controller.NozzleChanged, "NOZZLE"},
        {&Controller.OutValuesChanged, "OUTVALUES"},
        {&Controller.TotalsChanged, "TOTALS"},
    }};
    for (const auto& [flag, subject] : changes) {
        if (*flag) {
            *flag = false;
            Noty.Notify("CHANGED", subject);
        }
    }
    Noty.Notify("CHANGED", "NONE");
}

} // namespace uDispenser
