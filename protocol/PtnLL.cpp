#include "protocol/PtnLL.h"

#include <algorithm>

#include "protocol/PackedDecimal.h"

namespace PtnLL {

namespace {

// Command codes.
constexpr uint8_t kGetState = 0x01, kAuth = 0x02, kStop = 0x03, kGetAmount = 0x04, kGetSumm = 0x06,
                  kReset = 0x08, kGetParam = 0x0F, kSetParam = 0x10, kEnterUpdateMode = 0xA5,
                  kGetAddresses = 0x85;
// Every controller answers the address query at bus address 0.
constexpr int32_t kQueryAddress = 0;
// The answer is read in one go; a read that fills all of it is an overrun, not an answer.
constexpr int kReadSize = 256;
constexpr int32_t kFailedState = 6;

// Parameter ids with text values: five packed bytes, ten characters.
constexpr uint8_t kFwVersionId = 100, kSerialNoId = 101;
constexpr int kTextBytes = 5;
constexpr std::size_t kSerialNoLength = 2 * kTextBytes;
// Amount and totals: kind 1 is the volume, kind 2 the money.
constexpr uint8_t kVolume = 1, kMoney = 2;
constexpr int kAmountBytes = 5, kTotalBytes = 6;
constexpr std::size_t kTotals = 8; // indices 1..8

constexpr std::array<uint8_t, 12> kConfigReadOrder{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, kFwVersionId, kSerialNoId};
// Side 1's address goes last but one: the answers after it come from the new address.
constexpr std::array<uint8_t, 8> kConfigWriteFirst{3, 4, 5, 6, 7, 8, 9, 10};
constexpr uint8_t kAddr1Id = 1, kAddr2Id = 2;

uint8_t* ByteField(TCfgStruct& cfg, uint8_t id) {
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

bool* BoolField(TCfgStruct& cfg, uint8_t id) {
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

TPtnLL::TPtnLL(int32_t DispenserAddress, CommPort::TCommPort& Line) : Address(DispenserAddress), Comm(Line) {}

void TPtnLL::Fail() {
    State = kFailedState;
    Ok = false;
}

int TPtnLL::Exchange() {
    // Pending input is not discarded: a late answer to an earlier request fails this one's checks.
    const bool writeFailed = Comm.WriteAll(&TxBuf[1], TxBuf[0]);
    const int received = writeFailed ? 0 : Comm.Read(&RxBuf[1], kReadSize);
    RxBuf[0] = received > 0 && received < kReadSize ? static_cast<uint8_t>(received) : 0;
    return RxBuf[0];
}

bool TPtnLL::Transact(std::initializer_list<uint8_t> Body, const CommandFrame::Expected& Want) {
    TxBuf[0] = static_cast<uint8_t>(Body.size());
    std::copy(Body.begin(), Body.end(), TxBuf.begin() + 1);
    if (!CommandFrame::BuildFrame(TxBuf, Scratch) || Exchange() == 0 ||
        !CommandFrame::CheckAnswer(RxBuf, Scratch) || !CommandFrame::HeaderMatches(RxBuf, Want)) {
        Fail();
        return false;
    }
    return true;
}

void TPtnLL::GetState() {
    if (!Transact({AddressByte(), kGetState}, {Address, false, kGetState, 3})) {
        return;
    }
    const auto data = CommandFrame::Data(RxBuf);
    State = data[0];
    Ready = (data[1] & 0x01) != 0;
    Errors = data[2];
    Ok = true;
}

void TPtnLL::Auth() {
    Ok = Transact({AddressByte(), kAuth}, {Address, false, kAuth, 1});
}

void TPtnLL::Stop() {
    Ok = Transact({AddressByte(), kStop}, {Address, false, kStop, 1});
}

void TPtnLL::Reset() {
    Ok = Transact({AddressByte(), kReset}, {Address, false, kReset, 1});
}

void TPtnLL::GetAmount(uint8_t Selector) {
    if (!Transact({AddressByte(), kGetAmount, 1, Selector}, {Address, false, kGetAmount, std::nullopt})) {
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
    if (!Transact({AddressByte(), kGetSumm, 2, First, Second}, {Address, false, kGetSumm, std::nullopt})) {
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
    if (!Transact({AddressByte(), kGetParam, 1, Id}, {Address, false, kGetParam, std::nullopt})) {
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
        } else if (id == kFwVersionId || id == kSerialNoId) {
            // A text that did not arrive whole is a broken answer, not a shorter text.
            if (data.size() < 1 + kTextBytes) {
                Fail();
                return;
            }
            (id == kFwVersionId ? Cfg.FwVersion : Cfg.SerialNo) =
                PackedDecimal::BcdToText(&data[1], kTextBytes);
        }
    }
    Ok = true;
}

void TPtnLL::SetParam(uint8_t Id) {
    // The address answers are taken from anyone: the controller may already use the new address.
    const CommandFrame::Expected want{Address, Id == kAddr1Id || Id == kAddr2Id, kSetParam, 1};
    if (const uint8_t* field = ByteField(Cfg, Id)) {
        Ok = Transact({AddressByte(), kSetParam, 2, Id, *field}, want);
    } else if (const bool* flag = BoolField(Cfg, Id)) {
        Ok = Transact({AddressByte(), kSetParam, 2, Id, static_cast<uint8_t>(*flag ? 1 : 0)}, want);
    } else {
        // The length still says 2 though no value follows, as the controller expects.
        Ok = Transact({AddressByte(), kSetParam, 2, Id}, want);
    }
}

void TPtnLL::EnterUpdateMode() {
    // The request carries the serial number as read; without one there is nothing to send.
    if (Cfg.SerialNo.size() != kSerialNoLength) {
        Fail();
        return;
    }
    std::array<uint8_t, kTextBytes> packed{};
    for (std::size_t k = 0; k < packed.size(); ++k) {
        packed[k] =
            static_cast<uint8_t>((Cfg.SerialNo[2 * k] & 0x0F) << 4 | (Cfg.SerialNo[2 * k + 1] & 0x0F));
    }
    Ok = Transact({AddressByte(), kEnterUpdateMode, 6, AddressByte(), packed[0], packed[1], packed[2],
                   packed[3], packed[4]},
                  {Address, false, kEnterUpdateMode, 1});
}

void TPtnLL::GetAddresses(uint8_t& First, uint8_t& Second) {
    if (!Transact({0, kGetAddresses}, {kQueryAddress, false, kGetAddresses, 2})) {
        return;
    }
    const auto data = CommandFrame::Data(RxBuf);
    First = data[0];
    Second = data[1];
    Ok = true;
}

void TPtnLL::GetConfig() {
    for (uint8_t id : kConfigReadOrder) {
        GetParam(id);
        if (!Ok) {
            return;
        }
    }
}

void TPtnLL::SetConfig() {
    for (uint8_t id : kConfigWriteFirst) {
        SetParam(id);
        if (!Ok) {
            return;
        }
    }
    SetParam(kAddr1Id);
    if (!Ok) {
        return;
    }
    Address = Cfg.Addr1;
    if (OnAddressChanged) {
        OnAddressChanged(Address);
    }
    SetParam(kAddr2Id);
}

} // namespace PtnLL
