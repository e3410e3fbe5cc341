#include "trace/FrameText.h"

#include <algorithm>

#include "link/LinkFrame.h"
#include "link/LinkTransactions.h"
#include "protocol/CommandFrame.h"
#include "protocol/CommandSet.h"
#include "protocol/PackedDecimal.h"
#include "protocol/crc16c.h"
#include "serial/Hex.h"
#include "trace/WireFrames.h"

namespace FrameText {

namespace {

using namespace CommandSet;

using CommandFrame::kChecksumSize;
using CommandFrame::kTrailer;

std::string Number(unsigned Value) {
    return std::to_string(Value);
}

std::string Named(uint8_t Code, const std::string& Name) {
    return (Name.empty() ? "unknown command" : Name) + " (" + Hex::Byte(Code) + ")";
}

std::string Checksum(uint16_t Received, uint16_t Computed) {
    if (Received == Computed)
        return "checksum " + Hex::Word(Received) + " good";
    return "checksum BAD: received " + Hex::Word(Received) + ", computed " + Hex::Word(Computed);
}

std::string Text(std::span<const uint8_t> Data) {
    std::string quoted(1, '"');
    quoted += PackedDecimal::BcdToText(Data.data(), static_cast<int>(Data.size()));
    quoted += '"';
    return quoted;
}

std::string Bcd(std::span<const uint8_t> Data) {
    return std::to_string(PackedDecimal::BcdToInt(Data.data(), static_cast<int>(Data.size())));
}

std::string ParameterValue(uint8_t Id, std::span<const uint8_t> Value) {
    std::string text = "parameter " + Number(Id);
    const std::string name = ParameterName(Id);
    if (!name.empty())
        text += " " + name;
    if (Value.empty())
        return text;
    const TParameter* parameter = FindParameter(Id);
    if (parameter && parameter->Value == TValue::Text)
        return text + " = " + Text(Value.first(std::min(Value.size(), std::size_t{kTextBytes})));
    return text + " = " + Number(Value[0]);
}

// The fields of a request body after address and command.
std::string RequestFields(uint8_t Command, std::span<const uint8_t> Data) {
    if (Command == kGetParam && Data.size() >= 2)
        return ParameterValue(Data[1], {});
    if (Command == kSetParam && Data.size() >= 2)
        return ParameterValue(Data[1], Data.subspan(2)) + (Data.size() < 3 ? ", no value byte" : "");
    if (Command == kEnterUpdateMode && Data.size() >= 2)
        return "address " + Number(Data[1]) + ", serial number " + Text(Data.subspan(2));
    if (Data.empty())
        return "";
    return "data " + Hex::Bytes(Data);
}

// The fields of an answer's data as the tool decodes them.
std::string AnswerFields(uint8_t Command, std::span<const uint8_t> Data) {
    if (Command == kGetParam && Data.size() >= 1)
        return ParameterValue(Data[0], Data.subspan(1));
    if (Command == kGetState && Data.size() >= 3)
        return "state " + Number(Data[0]) + ", ready " + Number(Data[1] & 1) + ", errors " +
               Hex::Byte(Data[2]);
    if (Command == kGetAddresses && Data.size() >= 2)
        return "side addresses " + Number(Data[0]) + " and " + Number(Data[1]);
    if ((Command == kGetAmount || Command == kGetSumm) && !Data.empty())
        return "data " + Hex::Bytes(Data);
    if (Data.empty())
        return "no data";
    return "data " + Hex::Bytes(Data);
}

// Records are known by their code whichever way they travel; only the configuration's code names
// another record each way.
const LinkTransactions::TTransaction* KnownTransaction(uint8_t Trans, bool FromController) {
    using LinkTransactions::TSender;
    const TSender sender = FromController ? TSender::Controller : TSender::Tool;
    if (const auto* known = LinkTransactions::Find(Trans, sender))
        return known;
    return LinkTransactions::Find(Trans, FromController ? TSender::Tool : TSender::Controller);
}

std::string Transaction(uint8_t Trans, std::span<const uint8_t> Data, bool FromController) {
    using namespace LinkTransactions;
    const std::string head =
        "  transaction " + Hex::Byte(Trans) + " LNG " + Number(static_cast<unsigned>(Data.size())) + ": ";
    const TTransaction* known = KnownTransaction(Trans, FromController);
    if (known == nullptr)
        return head + "unknown, " + Hex::Bytes(Data);
    const std::string name = known->Name;
    if (!Takes(*known, Data.size()))
        return known->Lengths.empty() ? head + "too short to decode, " + Hex::Bytes(Data)
                                      : head + name + " of an unknown length (the tool rejects it)";
    switch (Trans) {
    case kStatus:
        return head + name + " " + Number(Data[0]);
    case kOutValues:
        return head + name + " " + Bcd(Data.first(4)) + " and " + Bcd(Data.subspan(4, 4));
    case kNozzle:
        return head + "price " + Bcd(Data.first(3)) + ", " + name + " " + Number(Data[3] & 0x0F) +
               ((Data[3] & 0x10) ? " out" : " in");
    case kIdentity:
        return head + name + " " + Text(Data.first(5));
    case kTotals:
        return head + name + " " + Bcd(Data.subspan(1, 5)) + " and " + Bcd(Data.subspan(6, 5));
    case kUpdateStart: {
        const uint32_t value32 =
            Data[0] | Data[1] << 8 | Data[2] << 16 | static_cast<uint32_t>(Data[3]) << 24;
        return head + name + ", length " + Number(value32) + ", value " +
               Hex::Word(static_cast<uint16_t>(Data[4] | Data[5] << 8));
    }
    case kUpdateBlock:
        return head + name + " of " + Number(static_cast<unsigned>(Data.size())) + " bytes";
    case kD8Command:
        return head + name + " " + Hex::Bytes(Data);
    default:
        // The configuration's request and record: the name says all.
        return head + name;
    }
}

} // namespace

std::string CommandName(uint8_t Code) {
    const TCommand* command = FindCommand(Code);
    return command ? command->Name : "";
}

std::string ParameterName(uint8_t Id) {
    const TParameter* parameter = FindParameter(Id);
    return parameter ? parameter->Name : "";
}

std::vector<std::string> Command(std::span<const uint8_t> Raw, bool Answer) {
    std::vector<std::string> lines;
    const std::size_t trailerSize = std::min(Raw.size(), kTrailer.size());
    const bool trailerOk = std::ranges::equal(Raw.last(trailerSize), kTrailer);
    const WireFrames::TCommandBody unstuffed =
        WireFrames::UnstuffCommand(Raw.first(Raw.size() - trailerSize));
    const std::vector<uint8_t>& body = unstuffed.Body;
    const std::string kind = Answer ? "command answer from " : "command request to ";
    if (body.size() < 2 + kChecksumSize) {
        lines.push_back(kind + "? too short for a command frame: " + Hex::Bytes(Raw));
        return lines;
    }
    const std::size_t covered = body.size() - kChecksumSize;
    const uint16_t received = static_cast<uint16_t>(body[covered] | body[covered + 1] << 8);
    const uint16_t computed = crc16c::Crc16(0, body.data(), static_cast<int32_t>(covered));
    const std::span<const uint8_t> fields = std::span(body).first(covered);
    std::string line = kind + Number(fields[0]) + ", " + Named(fields[1], CommandName(fields[1]));
    if (Answer) {
        if (fields.size() < 3) {
            line += ", no length byte";
        } else {
            const std::size_t length = fields[2];
            const std::span<const uint8_t> data = fields.subspan(3);
            line += ", length " + Number(fields[2]);
            if (data.size() != length)
                line += " but " + Number(static_cast<unsigned>(data.size())) + " data bytes";
            line += ": " + AnswerFields(fields[1], data.first(std::min(length, data.size())));
        }
    } else {
        const std::string text = RequestFields(fields[1], fields.subspan(2));
        if (!text.empty())
            line += ": " + text;
    }
    lines.push_back(line + "; " + Checksum(received, computed));
    for (const std::size_t at : unstuffed.StuffingErrors)
        lines.push_back("  stuffing error: 10 FF at byte " + Number(static_cast<unsigned>(at - 1)) +
                        " lacks its second 10");
    if (!trailerOk)
        lines.push_back("  trailer " + Hex::Bytes(Raw.last(trailerSize)) + ", not 03 FF");
    return lines;
}

std::vector<std::string> Link(std::span<const uint8_t> Raw, bool FromController) {
    std::vector<std::string> lines;
    const std::string way = FromController ? " from " : " to ";
    if (Raw.size() < LinkFrame::kControlFrameSize) {
        lines.push_back("link frame? too short: " + Hex::Bytes(Raw));
        return lines;
    }
    const uint8_t adr = Raw[0], control = Raw[1];
    const uint8_t kind = LinkFrame::Kind(control), tx = LinkFrame::Tx(control);
    const std::string where = way + Hex::Byte(adr);
    if (Raw.size() == LinkFrame::kControlFrameSize) {
        const char* name = kind == LinkFrame::kPoll   ? "POLL"
                           : kind == LinkFrame::kAck  ? "ACK"
                           : kind == LinkFrame::kNak  ? "NAK"
                           : kind == LinkFrame::kEot  ? "EOT"
                           : kind == LinkFrame::kData ? "DATA (too short)"
                                                      : nullptr;
        std::string line = name ? std::string("link ") + name + where + ", TX " + Number(tx)
                                : "link frame" + where + " of unknown kind " + Hex::Byte(control);
        if (Raw[2] != LinkFrame::kSF)
            line += ", ends " + Hex::Byte(Raw[2]) + " instead of FA";
        lines.push_back(line);
        return lines;
    }
    if (kind != LinkFrame::kData) {
        lines.push_back("link frame" + where + " of kind " + Hex::Byte(control) + ", " +
                        Number(static_cast<unsigned>(Raw.size())) + " bytes: not a DATA frame");
        return lines;
    }
    if (Raw.size() < LinkFrame::kShortestDataFrame || Raw[Raw.size() - 2] != LinkFrame::kETX) {
        lines.push_back("link DATA" + where + ", TX " + Number(tx) +
                        ": no ETX before the stop flag (cut short, or an FA sent without its 10)");
        return lines;
    }
    std::vector<uint8_t> body{adr, control};
    const std::vector<uint8_t> rest = LinkFrame::Unstuff(Raw.subspan(2, Raw.size() - 4));
    body.insert(body.end(), rest.begin(), rest.end());
    if (body.size() < 2 + LinkFrame::kCrcSize) {
        lines.push_back("link DATA" + where + ", TX " + Number(tx) + ": too short for its CRC");
        return lines;
    }
    const std::size_t crcAt = body.size() - LinkFrame::kCrcSize;
    const uint16_t received = static_cast<uint16_t>(body[crcAt] | body[crcAt + 1] << 8);
    const uint16_t computed = crc16c::Crc16(0, body.data(), static_cast<int32_t>(crcAt));
    lines.push_back("link DATA" + where + ", TX " + Number(tx) + "; " + Checksum(received, computed));
    const std::span<const uint8_t> payload = std::span(body).subspan(2, crcAt - 2);
    std::size_t walked = 0;
    LinkFrame::WalkPayload(payload, [&](uint8_t Trans, std::span<const uint8_t> Data) {
        lines.push_back(Transaction(Trans, Data, FromController));
        walked += 2 + Data.size();
    });
    if (walked < payload.size())
        lines.push_back(
            "  " + Number(static_cast<unsigned>(payload.size() - walked)) +
            " bytes left over that make no whole transaction: " + Hex::Bytes(payload.subspan(walked)));
    return lines;
}

} // namespace FrameText
