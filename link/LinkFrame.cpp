#include "link/LinkFrame.h"

#include <utility>

#include "protocol/crc16c.h"

namespace LinkFrame {

namespace {

constexpr size_t kHeaderSize = 2;       // ADR and control byte
constexpr size_t kRecordHeaderSize = 2; // TRANS and LNG

uint16_t CrcOf(std::span<const uint8_t> Bytes) {
    return crc16c::Crc16(0, Bytes.data(), static_cast<int32_t>(Bytes.size()));
}

// A 0x10 in front of every 0xFA: byte by byte, so a frame may be stuffed in pieces.
void AppendStuffed(std::vector<uint8_t>& Out, std::span<const uint8_t> Bytes) {
    for (const uint8_t byte : Bytes) {
        if (byte == kSF) {
            Out.push_back(kDLE);
        }
        Out.push_back(byte);
    }
}

} // namespace

std::array<uint8_t, kControlFrameSize> PollFrame(uint8_t Adr) {
    return {Adr, kPoll, kSF};
}

std::array<uint8_t, kControlFrameSize> AckFrame(uint8_t Adr, uint8_t Tx) {
    return {Adr, static_cast<uint8_t>(kAck | LinkFrame::Tx(Tx)), kSF};
}

std::vector<uint8_t> Stuff(std::span<const uint8_t> Body) {
    std::vector<uint8_t> out;
    out.reserve(Body.size() * 2);
    AppendStuffed(out, Body);
    return out;
}

std::vector<uint8_t> Unstuff(std::span<const uint8_t> Bytes) {
    std::vector<uint8_t> out;
    out.reserve(Bytes.size());
    for (const uint8_t byte : Bytes) {
        if (byte == kSF && !out.empty() && out.back() == kDLE) {
            out.back() = kSF;
        } else {
            out.push_back(byte);
        }
    }
    return out;
}

std::vector<uint8_t> DataFrame(uint8_t Adr, uint8_t Tx, std::span<const uint8_t> Transactions) {
    const std::array<uint8_t, kHeaderSize> header{Adr, static_cast<uint8_t>(kData | LinkFrame::Tx(Tx))};
    const uint16_t crc =
        crc16c::Crc16(CrcOf(header), Transactions.data(), static_cast<int32_t>(Transactions.size()));
    const std::array<uint8_t, kCrcSize> crcBytes{static_cast<uint8_t>(crc & 0xFF),
                                                 static_cast<uint8_t>(crc >> 8)};
    // One buffer for the whole frame: every byte may take a 0x10 in front, then ETX and SF.
    std::vector<uint8_t> frame;
    frame.reserve(2 * (header.size() + Transactions.size() + crcBytes.size()) + 2);
    AppendStuffed(frame, header);
    AppendStuffed(frame, Transactions);
    AppendStuffed(frame, crcBytes);
    frame.push_back(kETX);
    frame.push_back(kSF);
    return frame;
}

TDataReply AcceptData(std::span<const uint8_t> Reply, uint8_t Adr) {
    TDataReply out;
    const size_t n = Reply.size();
    if (n < kControlFrameSize || n >= kReadSize || Reply[0] != Adr || Reply[n - 1] != kSF) {
        return out;
    }
    if (n == kControlFrameSize) {
        out.Status = TDataStatus::Control;
        return out;
    }
    if (Kind(Reply[1]) != kData || n < kShortestDataFrame || Reply[n - 2] != kETX) {
        return out;
    }
    // Unstuffed straight into what becomes the payload once the CRC behind it is cut off.
    std::vector<uint8_t> rest = Unstuff(Reply.subspan(kHeaderSize, n - kHeaderSize - 2));
    // Unstuffing may have left fewer bytes than a CRC.
    if (rest.size() < kCrcSize) {
        return out;
    }
    const size_t crcAt = rest.size() - kCrcSize;
    out.Tx = Tx(Reply[1]);
    out.ReceivedCrc = static_cast<uint16_t>(rest[crcAt] | (rest[crcAt + 1] << 8));
    out.ComputedCrc =
        crc16c::Crc16(CrcOf(Reply.first(kHeaderSize)), rest.data(), static_cast<int32_t>(crcAt));
    if (out.ReceivedCrc != out.ComputedCrc) {
        out.Status = TDataStatus::BadCrc;
        return out;
    }
    rest.resize(crcAt);
    out.Payload = std::move(rest);
    out.Status = TDataStatus::Accepted;
    return out;
}

bool TReplyVerdict::WholeFrame() const {
    switch (Fault) {
    case TReplyFault::None:
    case TReplyFault::Nak:
    case TReplyFault::Eot:
    case TReplyFault::OtherTx:
    case TReplyFault::UnknownKind:
    case TReplyFault::NotEot:
        return true;
    default:
        return false;
    }
}

TReplyVerdict JudgeReply(std::span<const uint8_t> Reply, const TRequest& Request) {
    TReplyVerdict verdict;
    verdict.ToPoll = Request.Kind == kPoll;
    const auto fail = [&verdict](TReplyFault Fault, int Got = 0, int Wanted = 0) {
        verdict.Fault = Fault;
        verdict.Got = Got;
        verdict.Wanted = Wanted;
        return std::move(verdict);
    };
    const auto n = static_cast<int>(Reply.size());
    if (Reply.empty()) {
        return fail(TReplyFault::NoReply);
    }
    if (!verdict.ToPoll) {
        if (Reply.size() != kControlFrameSize) {
            return fail(TReplyFault::WrongLength, n, static_cast<int>(kControlFrameSize));
        }
        if (Reply[0] != Request.Address) {
            return fail(TReplyFault::OtherAddress, Reply[0], Request.Address);
        }
        if (Reply[2] != kSF) {
            return fail(TReplyFault::NoStopFlag);
        }
        verdict.Kind = Kind(Reply[1]);
        verdict.Tx = Tx(Reply[1]);
        if (verdict.Kind == kAck && verdict.Tx == Tx(Request.Tx)) {
            return verdict;
        }
        if (verdict.Kind == kEot) {
            return fail(TReplyFault::Eot);
        }
        if (verdict.Kind == kNak) {
            return fail(TReplyFault::Nak);
        }
        if (verdict.Kind == kAck) {
            return fail(TReplyFault::OtherTx, verdict.Tx, Tx(Request.Tx));
        }
        return fail(TReplyFault::UnknownKind, Reply[1]);
    }
    if (Reply.size() < kControlFrameSize) {
        return fail(TReplyFault::TooShort, n, static_cast<int>(kControlFrameSize));
    }
    if (Reply.front() != Request.Address) {
        return fail(TReplyFault::OtherAddress, Reply.front(), Request.Address);
    }
    if (Reply.back() != kSF) {
        return fail(TReplyFault::NoStopFlag);
    }
    if (Reply.size() == kControlFrameSize) {
        verdict.Kind = Kind(Reply[1]);
        verdict.Tx = Tx(Reply[1]);
        // EOT: the controller has nothing to report.
        return verdict.Kind == kEot ? verdict : fail(TReplyFault::NotEot, Reply[1]);
    }
    TDataReply data = AcceptData(Reply, Request.Address);
    if (data.Status == TDataStatus::BadCrc) {
        verdict.Received = data.ReceivedCrc;
        verdict.Computed = data.ComputedCrc;
        return fail(TReplyFault::BadCrc);
    }
    if (data.Status != TDataStatus::Accepted) {
        return fail(TReplyFault::NotData, n);
    }
    verdict.Kind = kData;
    verdict.Tx = data.Tx;
    verdict.Payload = std::move(data.Payload);
    return verdict;
}

uint8_t FlagsFor(const TReplyVerdict& Verdict) {
    if (Verdict.ToPoll) {
        return 0;
    }
    switch (Verdict.Fault) {
    case TReplyFault::WriteFailed:
    case TReplyFault::NoReply:
        return kFlagNoReply;
    case TReplyFault::NotSent:
    case TReplyFault::WrongLength:
        return kFlagMalformed | kFlagBadLength;
    case TReplyFault::OtherAddress:
        return kFlagMalformed | kFlagOtherAddress;
    case TReplyFault::NoStopFlag:
        return kFlagMalformed;
    case TReplyFault::Nak:
        return kFlagNak;
    case TReplyFault::Eot:
        return kFlagEot;
    default:
        return 0;
    }
}

void WalkPayload(std::span<const uint8_t> Payload,
                 const std::function<void(uint8_t Trans, std::span<const uint8_t> Data)>& Visit) {
    size_t p = 0;
    while (p + kRecordHeaderSize <= Payload.size()) {
        const size_t lng = Payload[p + 1];
        if (p + kRecordHeaderSize + lng > Payload.size()) {
            return;
        }
        Visit(Payload[p], Payload.subspan(p + kRecordHeaderSize, lng));
        p += kRecordHeaderSize + lng;
    }
}

} // namespace LinkFrame
