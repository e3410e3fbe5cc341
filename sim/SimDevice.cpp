#include "sim/SimDevice.h"

#include <algorithm>
#include <array>

namespace SimDevice {

namespace {

using sim::Fault;
using namespace SimFrames;

// Command codes the controller knows.
constexpr uint8_t kGetState = 0x01;
constexpr uint8_t kAuth = 0x02;
constexpr uint8_t kStop = 0x03;
constexpr uint8_t kGetAmount = 0x04;
constexpr uint8_t kGetSumm = 0x06;
constexpr uint8_t kReset = 0x08;
constexpr uint8_t kGetParam = 0x0F;
constexpr uint8_t kSetParam = 0x10;
constexpr uint8_t kGetAddresses = 0x85;
constexpr uint8_t kEnterUpdateMode = 0xA5;

constexpr uint8_t kBroadcastAddress = 0; // the address query goes to address 0
constexpr uint8_t kCommandOk = 0;        // the one data byte of a plain acknowledgement
constexpr size_t kHeaderSize = 3;        // address, command, length
constexpr uint8_t kKindVolume = 1;       // amount and totals kinds
constexpr uint8_t kKindMoney = 2;
constexpr int kAmountDigitBytes = 5;
constexpr int kTotalDigitBytes = 6;
constexpr size_t kSerialBytes = 5;
constexpr uint8_t kFwVersionId = 100;
constexpr uint8_t kSerialNoId = 101;
// GetParam order; an answer is withheld from the stop parameter on.
constexpr std::array<int, 12> kParamOrder{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, kFwVersionId, kSerialNoId};

// Link transactions the controller takes.
constexpr uint8_t kConfigRequest = 0x80;
constexpr uint8_t kUpdateStart = 0xB6;
constexpr uint8_t kUpdateBlock = 0xC7;
constexpr size_t kUpdateStartValues = 6; // Value32 and Value16, little-endian
constexpr uint8_t kTxMask = 0x0F;
constexpr uint8_t kKindMask = 0xF0;

constexpr size_t kOversizeBytes = 300; // longer than any read the tool makes
constexpr uint8_t kFiller = 0x55;
constexpr size_t kTruncatedBytes = 2;

void AppendBcd(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    std::vector<uint8_t> packed(static_cast<size_t>(bytes));
    for (auto it = packed.rbegin(); it != packed.rend(); ++it) {
        const auto low = value % 10;
        value /= 10;
        *it = static_cast<uint8_t>(((value % 10) << 4) | low);
        value /= 10;
    }
    out.insert(out.end(), packed.begin(), packed.end());
}

// Selector 1 or 2 asks for that kind alone; anything else for both kinds.
void AppendKinds(std::vector<uint8_t>& out, uint8_t selector, uint64_t volume, uint64_t money, int bytes) {
    if (selector != kKindMoney) {
        out.push_back(kKindVolume);
        AppendBcd(out, volume, bytes);
    }
    if (selector != kKindVolume) {
        out.push_back(kKindMoney);
        AppendBcd(out, money, bytes);
    }
}

uint8_t* ByteParam(sim::ControllerConfig& c, int id) {
    switch (id) {
    case 1:
        return &c.Addr1;
    case 2:
        return &c.Addr2;
    case 3:
        return &c.NoFillTO1;
    case 4:
        return &c.NoFillTO2;
    case 5:
        return &c.NoMaster;
    case 6:
        return &c.MinVoltage;
    case 7:
        return &c.PricePoint;
    case 8:
        return &c.AmoPoint;
    default:
        return nullptr;
    }
}

bool* BoolParam(sim::ControllerConfig& c, int id) {
    switch (id) {
    case 9:
        return &c.Recalc;
    case 10:
        return &c.ElType;
    default:
        return nullptr;
    }
}

bool Withheld(int id, int stopFromParam) {
    const auto stop = std::find(kParamOrder.begin(), kParamOrder.end(), stopFromParam);
    const auto asked = std::find(kParamOrder.begin(), kParamOrder.end(), id);
    return stop != kParamOrder.end() && asked != kParamOrder.end() && asked >= stop;
}

// A link fault that replaces the answer: the controller did not take the frame.
bool IsRefusal(Fault fault) {
    return fault == Fault::Nak || fault == Fault::Eot || fault == Fault::AckOtherTx;
}

std::vector<uint8_t> Refusal(uint8_t address, uint8_t tx, Fault fault) {
    switch (fault) {
    case Fault::Nak:
        return LinkControl(address, static_cast<uint8_t>(kNak | tx));
    case Fault::Eot:
        return LinkControl(address, static_cast<uint8_t>(kEot | tx));
    default:
        return LinkControl(address, static_cast<uint8_t>(kAck | (tx % 15 + 1)));
    }
}

} // namespace

bool IsExchange(const Frame& frame) {
    return frame.kind != Kind::LinkControl || (frame.body[1] & kKindMask) == kPoll;
}

std::vector<uint8_t> PackDigits(const std::string& text) {
    std::vector<uint8_t> packed(kSerialBytes);
    const auto nibble = [&](size_t i) { return i < text.size() ? (text[i] & 0x0F) : 0; };
    for (size_t k = 0; k < packed.size(); ++k)
        packed[k] = static_cast<uint8_t>((nibble(2 * k) << 4) | nibble(2 * k + 1));
    return packed;
}

bool Device::Understands(uint32_t speed) const {
    return lineSpeed == 0 || speed == 0 || speed == lineSpeed;
}

bool Device::AnswersAt(uint8_t address) const {
    return address != kBroadcastAddress &&
           (address == config.Addr1 || (bothSides && address == config.Addr2));
}

Outcome Device::Answer(const Frame& frame, Fault fault) {
    Outcome outcome;
    if (fault == Fault::Silent || fault == Fault::CloseLine)
        return outcome;
    outcome.answer = frame.kind == Kind::Command ? CommandAnswer(frame.body, fault)
                                                 : LinkAnswer(frame, fault, outcome.imageComplete);
    auto& answer = outcome.answer;
    if (answer.empty())
        return outcome;
    if (fault == Fault::Truncated)
        answer.resize(answer.size() > kTruncatedBytes ? answer.size() - kTruncatedBytes : 1);
    if (fault == Fault::Oversize && answer.size() < kOversizeBytes)
        answer.resize(kOversizeBytes, kFiller);
    return outcome;
}

std::vector<uint8_t> Device::CommandAnswer(std::span<const uint8_t> request, Fault fault) {
    const uint8_t address = request[0];
    const uint8_t code = request[1];
    const auto args =
        request.size() > kHeaderSize ? request.subspan(kHeaderSize) : std::span<const uint8_t>{};
    std::vector<uint8_t> answer;
    if (address == kBroadcastAddress && code == kGetAddresses)
        answer = {config.Addr1, config.Addr2};
    else if (AnswersAt(address))
        answer = CommandData(address, code, args);
    if (answer.empty())
        return {};
    const auto off = [&](Fault f) { return static_cast<uint8_t>(fault == f ? 1 : 0); };
    std::vector<uint8_t> body{static_cast<uint8_t>(address + off(Fault::WrongAddress)),
                              static_cast<uint8_t>(code + off(Fault::WrongEcho)),
                              static_cast<uint8_t>(answer.size() + off(Fault::WrongLength))};
    body.insert(body.end(), answer.begin(), answer.end());
    return CommandFrame(body, off(Fault::WrongChecksum),
                        fault == Fault::BadTrailer ? static_cast<uint8_t>(kCommandEnd - 1) : kCommandEnd);
}

// The answer's data bytes; empty when the controller does not answer.
std::vector<uint8_t> Device::CommandData(uint8_t address, uint8_t code, std::span<const uint8_t> args) {
    const auto arg = [&](size_t i) { return i < args.size() ? args[i] : uint8_t{0}; };
    std::vector<uint8_t> out;
    switch (code) {
    case kGetState:
        return {data.State, data.ReadyBits, data.Errors};
    case kAuth:
    case kStop:
    case kReset:
        return {kCommandOk};
    case kGetAmount:
        out.push_back(arg(0));
        AppendKinds(out, arg(0), data.FillVolume, data.FillMoney, kAmountDigitBytes);
        return out;
    case kGetSumm:
        out.push_back(arg(0));
        AppendKinds(out, arg(1), data.TotalVolume, data.TotalMoney, kTotalDigitBytes);
        return out;
    case kGetParam: {
        const uint8_t id = arg(0);
        if (Withheld(id, stopFromParam))
            return {};
        out.push_back(id);
        if (const uint8_t* value = ByteParam(config, id))
            out.push_back(*value);
        else if (const bool* flag = BoolParam(config, id))
            out.push_back(*flag ? 1 : 0);
        else if (id == kFwVersionId || id == kSerialNoId) {
            const auto digits = PackDigits(id == kFwVersionId ? config.FwVersion : config.SerialNo);
            out.insert(out.end(), digits.begin(), digits.end());
        }
        return out;
    }
    case kSetParam:
        // The value byte is present only for the ids that carry one.
        if (args.size() >= 2) {
            if (uint8_t* value = ByteParam(config, args[0]))
                *value = args[1];
            else if (bool* flag = BoolParam(config, args[0]))
                *flag = args[1] != 0;
        }
        return {kCommandOk};
    case kEnterUpdateMode: {
        // The address it was sent to, then the packed serial number; a mismatch is not answered.
        const auto serial = PackDigits(config.SerialNo);
        if (args.size() != 1 + kSerialBytes || args[0] != address ||
            !std::equal(serial.begin(), serial.end(), args.begin() + 1))
            return {};
        updateMode = true;
        return {kCommandOk};
    }
    default:
        return {};
    }
}

std::vector<uint8_t> Device::LinkAnswer(const Frame& frame, Fault fault, bool& imageComplete) {
    const uint8_t address = frame.body[0];
    const uint8_t control = frame.body[1];
    const auto tx = static_cast<uint8_t>(control & kTxMask);
    if (address != kLinkAddress || !IsExchange(frame))
        return {};
    const auto replyAddress = static_cast<uint8_t>(fault == Fault::WrongAddress ? address + 1 : address);
    if (IsRefusal(fault))
        return Refusal(replyAddress, tx, fault);
    const uint16_t crcOffset = fault == Fault::WrongChecksum ? 1 : 0;
    if (frame.kind == Kind::LinkControl)
        return PollAnswer(replyAddress, crcOffset);
    if (!updateMode && pollReplies.empty())
        return {};
    const auto payload = std::span<const uint8_t>(frame.body).subspan(2);
    // The tool probes with a configuration request: in update mode it is refused.
    if (updateMode && !payload.empty() && payload[0] == kConfigRequest)
        return LinkControl(replyAddress, static_cast<uint8_t>(kNak | tx));
    TakeTransactions(payload);
    if (updateMode && image.Started && image.Body.size() >= image.Value32) {
        updateMode = false;
        imageComplete = true;
    }
    return LinkControl(replyAddress, static_cast<uint8_t>(kAck | tx));
}

std::vector<uint8_t> Device::PollAnswer(uint8_t address, uint16_t crcOffset) {
    if (pollReplies.empty())
        return updateMode ? LinkControl(address, kEot) : std::vector<uint8_t>{};
    const auto reply = pollReplies.front();
    pollReplies.pop_front();
    const auto tx = static_cast<uint8_t>(reply.Tx & kTxMask);
    if (reply.Eot)
        return LinkControl(address, static_cast<uint8_t>(kEot | tx));
    return LinkData(address, static_cast<uint8_t>(kData | tx), reply.Transactions,
                    static_cast<uint16_t>(crcOffset + (reply.BadCrc ? 1 : 0)));
}

void Device::TakeTransactions(std::span<const uint8_t> payload) {
    while (payload.size() >= 2) {
        const uint8_t trans = payload[0];
        const auto record = payload.subspan(2, std::min<size_t>(payload[1], payload.size() - 2));
        payload = payload.subspan(2 + record.size());
        if (trans == kUpdateStart && record.size() >= kUpdateStartValues) {
            image = {};
            image.Started = true;
            image.Value32 =
                record[0] | record[1] << 8 | record[2] << 16 | static_cast<uint32_t>(record[3]) << 24;
            image.Value16 = static_cast<uint16_t>(record[4] | record[5] << 8);
        } else if (trans == kUpdateBlock) {
            image.Body.insert(image.Body.end(), record.begin(), record.end());
            image.BlockSizes.push_back(record.size());
        }
    }
}

} // namespace SimDevice
