#include "protocol/PtnLL.h"

#include <algorithm>

#include "protocol/CommandSet.h"
#include "protocol/PackedDecimal.h"

namespace PtnLL {

namespace {

using namespace CommandSet;

constexpr int32_t kFailedState = 6;
constexpr std::size_t kSerialNoLength = 2 * kTextBytes;
// Amount and totals: kind 1 is the volume, kind 2 the money.
constexpr uint8_t kVolume = 1, kMoney = 2;
constexpr int kAmountBytes = 5, kTotalBytes = 6;
constexpr std::size_t kTotals = 8; // indices 1..8

// The fields behind the parameter ids, of a record or of a const one.
template <typename Record> auto ByteField(Record& cfg, uint8_t id) -> decltype(&cfg.Addr1) {
    switch (id) {
    case 1:
        return &cfg.Addr1;
    case 2:
        return &cfg.Addr2;
    case 3:
        return &cfg.NoFillTO1;
    case 4:
        return &cfg.NoFillTO2;
    case 5:
        return &cfg.NoMaster;
    case 6:
        return &cfg.MinVoltage;
    case 7:
        return &cfg.PricePoint;
    case 8:
        return &cfg.AmoPoint;
    default:
        return nullptr;
    }
}

template <typename Record> auto BoolField(Record& cfg, uint8_t id) -> decltype(&cfg.Recalc) {
    switch (id) {
    case 9:
        return &cfg.Recalc;
    case 10:
        return &cfg.ElType;
    default:
        return nullptr;
    }
}

} // namespace

void CopyParameter(uint8_t Id, const TCfgStruct& From, TCfgStruct& To) {
    if (uint8_t* to = ByteField(To, Id))
        *to = *ByteField(From, Id);
    else if (bool* flag = BoolField(To, Id))
        *flag = *BoolField(From, Id);
}

TPtnLL::TPtnLL(int32_t DispenserAddress, CommPort::TCommPort& Line) : Address(DispenserAddress), Comm(Line) {}

bool TPtnLL::Fail(uint8_t Command, std::optional<uint8_t> Parameter, const CommandFrame::TVerdict& Verdict) {
    State = kFailedState;
    Ok = false;
    LastFailure = {.Command = Command, .Parameter = Parameter, .Verdict = Verdict};
    return false;
}

bool TPtnLL::Transact(std::initializer_list<uint8_t> Body, std::optional<uint8_t> Parameter) {
    const uint8_t command = Body.begin()[1];
    TxBuf[0] = static_cast<uint8_t>(Body.size());
    std::copy(Body.begin(), Body.end(), TxBuf.begin() + 1);
    if (!CommandFrame::BuildFrame(TxBuf, Scratch)) {
        return Fail(command, Parameter, {.Fault = CommandFrame::TFault::NotSent});
    }
    // Pending input is not discarded: a late answer to an earlier request fails this one's checks.
    // A failed write behaves like a missing answer: nothing is read.
    if (Comm.WriteAll(&TxBuf[1], TxBuf[0])) {
        RxBuf[0] = 0;
        return Fail(command, Parameter, {.Fault = CommandFrame::TFault::WriteFailed});
    }
    const int received = std::clamp(Comm.Read(&RxBuf[1], CommandFrame::kReadSize), 0,
                                    static_cast<int>(CommandFrame::kReadSize));
    const CommandFrame::TVerdict verdict =
        CommandFrame::JudgeAnswer(std::span(RxBuf).subspan(1, static_cast<std::size_t>(received)),
                                  CommandSet::Expect(Address, command, Parameter), Scratch);
    RxBuf = Scratch; // the unstuffed answer
    if (!verdict.Accepted()) {
        return Fail(command, Parameter, verdict);
    }
    return true;
}

void TPtnLL::GetState() {
    if (!Transact({AddressByte(), kGetState})) {
        return;
    }
    const auto data = CommandFrame::Data(RxBuf);
    State = data[0];
    Ready = (data[1] & 0x01) != 0;
    Errors = data[2];
    Ok = true;
}

void TPtnLL::Auth() {
    Ok = Transact({AddressByte(), kAuth});
}

void TPtnLL::Stop() {
    Ok = Transact({AddressByte(), kStop});
}

void TPtnLL::Reset() {
    Ok = Transact({AddressByte(), kReset});
}

void TPtnLL::GetAmount(uint8_t Selector) {
    if (!Transact({AddressByte(), kGetAmount, 1, Selector})) {
        return;
    }
    // Byte 3, then one or two pairs of a kind byte and five packed bytes.
    const auto data = CommandFrame::Data(RxBuf);
    const std::size_t pairs = data.size() == 7 ? 1 : data.size() == 13 ? 2 : 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        const auto pair = data.subspan(1 + i * (1 + kAmountBytes), 1 + kAmountBytes);
        const int64_t value = PackedDecimal::BcdToInt(&pair[1], kAmountBytes);
        if (pair[0] == kVolume) {
            FillVolume = value;
        } else if (pair[0] == kMoney) {
            FillMoney = value;
        }
    }
    Ok = true;
}

void TPtnLL::GetSumm(uint8_t First, uint8_t Second) {
    if (!Transact({AddressByte(), kGetSumm, 2, First, Second})) {
        return;
    }
    // The index, then one or two pairs of a kind byte and six packed bytes. An index outside
    // 1..8 has no place in the tables and is dropped.
    const auto data = CommandFrame::Data(RxBuf);
    const std::size_t pairs = data.size() == 8 ? 1 : data.size() == 15 ? 2 : 0;
    const std::size_t index = data.empty() ? 0 : data[0];
    if (index >= 1 && index <= kTotals) {
        for (std::size_t i = 0; i < pairs; ++i) {
            const auto pair = data.subspan(1 + i * (1 + kTotalBytes), 1 + kTotalBytes);
            const int64_t value = PackedDecimal::BcdToInt(&pair[1], kTotalBytes);
            if (pair[0] == kVolume) {
                TotalVolume[index - 1] = value;
            } else if (pair[0] == kMoney) {
                TotalMoney[index - 1] = value;
            }
        }
    }
    Ok = true;
}

void TPtnLL::GetParam(uint8_t Id) {
    if (!Transact({AddressByte(), kGetParam, 1, Id}, Id)) {
        return;
    }
    // The id in the answer decides where the value goes, not the one asked for.
    const auto data = CommandFrame::Data(RxBuf);
    if (data.size() >= 2) {
        const uint8_t id = data[0];
        if (uint8_t* field = ByteField(Cfg, id)) {
            *field = data[1];
        } else if (bool* flag = BoolField(Cfg, id)) {
            *flag = data[1] != 0;
        } else if (id == kFwVersion || id == kSerialNo) {
            // A text that did not arrive whole is a broken answer, not a shorter text.
            if (data.size() < 1 + kTextBytes) {
                Fail(kGetParam, Id,
                     {.Fault = CommandFrame::TFault::ValueTooShort,
                      .Got = static_cast<int>(data.size()) - 1,
                      .Wanted = kTextBytes});
                return;
            }
            (id == kFwVersion ? Cfg.FwVersion : Cfg.SerialNo) =
                PackedDecimal::BcdToText(&data[1], kTextBytes);
        }
    }
    Ok = true;
}

void TPtnLL::SetParam(uint8_t Id) {
    if (const uint8_t* field = ByteField(Cfg, Id)) {
        Ok = Transact({AddressByte(), kSetParam, 2, Id, *field}, Id);
    } else if (const bool* flag = BoolField(Cfg, Id)) {
        Ok = Transact({AddressByte(), kSetParam, 2, Id, static_cast<uint8_t>(*flag ? 1 : 0)}, Id);
    } else {
        // The length still says 2 though no value follows, as the controller expects.
        Ok = Transact({AddressByte(), kSetParam, 2, Id}, Id);
    }
}

void TPtnLL::EnterUpdateMode() {
    // The request carries the serial number as read; without one there is nothing to send.
    if (Cfg.SerialNo.size() != kSerialNoLength) {
        Fail(kEnterUpdateMode, std::nullopt, {.Fault = CommandFrame::TFault::NotSent});
        return;
    }
    std::array<uint8_t, kTextBytes> packed{};
    for (std::size_t k = 0; k < packed.size(); ++k) {
        packed[k] =
            static_cast<uint8_t>((Cfg.SerialNo[2 * k] & 0x0F) << 4 | (Cfg.SerialNo[2 * k + 1] & 0x0F));
    }
    Ok = Transact({AddressByte(), kEnterUpdateMode, 6, AddressByte(), packed[0], packed[1], packed[2],
                   packed[3], packed[4]});
}

void TPtnLL::GetAddresses(uint8_t& First, uint8_t& Second) {
    if (!Transact({0, kGetAddresses})) {
        return;
    }
    const auto data = CommandFrame::Data(RxBuf);
    First = data[0];
    Second = data[1];
    Ok = true;
}

void TPtnLL::GetConfig() {
    for (uint8_t id : kReadOrder) {
        GetParam(id);
        if (!Ok) {
            return;
        }
    }
}

void TPtnLL::SetConfig(const std::function<void(uint8_t Id)>& Written) {
    for (uint8_t id : kWriteOrder) {
        SetParam(id);
        if (!Ok) {
            return;
        }
        if (Written) {
            Written(id);
        }
        if (id == kAddr1) {
            // Every request after it goes to the new address.
            Address = Cfg.Addr1;
            if (OnAddressChanged) {
                OnAddressChanged(Address);
            }
        }
    }
}

} // namespace PtnLL
