#include "trace/ToolVerdict.h"

#include "protocol/CommandFrame.h"
#include "protocol/CommandSet.h"
#include "serial/Hex.h"

namespace ToolVerdict {

namespace {

using CommandFrame::TFault;
using LinkFrame::TReplyFault;

std::string N(int Value) {
    return std::to_string(Value);
}

std::string Byte(int Value) {
    return Hex::Byte(static_cast<uint8_t>(Value));
}

// The engine's error flags for a failed reply to a DATA frame: " (error flags 04 40)".
std::string Flags(const LinkFrame::TReplyVerdict& Verdict) {
    const uint8_t flags = LinkFrame::FlagsFor(Verdict);
    std::string bits;
    int count = 0;
    for (unsigned bit = 1; bit <= 0x80; bit <<= 1) {
        if (flags & bit) {
            if (count++ > 0)
                bits += ' ';
            bits += Byte(static_cast<int>(bit));
        }
    }
    return count == 0 ? "" : std::string(count == 1 ? " (error flag " : " (error flags ") + bits + ")";
}

const std::string kTool = "the tool: ";

} // namespace

std::string CommandRead(std::span<const uint8_t> Read, const TCommandRequest& Request) {
    CommandFrame::Area answer{};
    const CommandFrame::TVerdict verdict = CommandFrame::JudgeAnswer(
        Read, CommandSet::Expect(Request.Address, Request.Command, Request.Parameter), answer);
    const std::string read = N(static_cast<int>(Read.size()));
    switch (verdict.Fault) {
    case TFault::None:
        break;
    case TFault::NoAnswer:
    case TFault::NotSent:
    case TFault::WriteFailed:
        return kTool + "no answer";
    case TFault::Overrun:
        return kTool + "a read that fills all 256 bytes counts as no answer";
    case TFault::TooShort:
        return kTool + "rejected, " + read + " bytes are fewer than the 8 of the shortest answer";
    case TFault::Checksum:
        return kTool + "rejected, checksum received " + Hex::Word(verdict.Received) + ", computed " +
               Hex::Word(verdict.Computed) + " over all " + read + " bytes read";
    case TFault::Trailer:
        return kTool + "rejected, trailer " + Hex::Bytes(verdict.Trailer) + ", not 03 FF";
    case TFault::WrongAddress:
        return kTool + "rejected, answer from address " + N(verdict.Got) + ", the request went to " +
               N(verdict.Wanted);
    case TFault::WrongCommand:
        return kTool + "rejected, answer repeats command " + Byte(verdict.Got) + ", the request was " +
               Byte(verdict.Wanted);
    case TFault::WrongLength:
        return kTool + "rejected, length " + N(verdict.Got) + ", expected " + N(verdict.Wanted);
    case TFault::LengthBeyondData:
    case TFault::ValueTooShort:
        return kTool + "rejected, the length byte promises " + N(verdict.Wanted) +
               " data bytes, fewer arrived";
    }
    const uint8_t parameter = answer[4];
    if (Request.Command == CommandSet::kGetParam && answer[3] >= 1 && Request.Parameter &&
        parameter != *Request.Parameter)
        return kTool + "accepted, but it carries parameter " + N(parameter) + " where " +
               N(*Request.Parameter) + " was asked for: stored as parameter " + N(parameter);
    return kTool + "accepted";
}

std::string LinkRead(std::span<const uint8_t> Read, const LinkFrame::TRequest& Request) {
    const LinkFrame::TReplyVerdict verdict = LinkFrame::JudgeReply(Read, Request);
    const std::string flags = Flags(verdict);
    if (Request.Kind == LinkFrame::kData) {
        switch (verdict.Fault) {
        case TReplyFault::None:
            return kTool + "accepted, ACK for TX " + N(verdict.Tx);
        case TReplyFault::NoReply:
            return kTool + "no reply to the DATA frame" + flags;
        case TReplyFault::WrongLength:
            return kTool + "failed, the reply is " + N(verdict.Got) + " bytes, not 3" + flags;
        case TReplyFault::OtherAddress:
            return kTool + "failed, reply from address " + Byte(verdict.Got) + flags;
        case TReplyFault::NoStopFlag:
            return kTool + "failed, the reply does not end in FA" + flags;
        case TReplyFault::Eot:
            return kTool + "failed, EOT" + flags;
        case TReplyFault::Nak:
            return kTool + "failed, NAK" + flags;
        case TReplyFault::OtherTx:
            return kTool + "failed, ACK for TX " + N(verdict.Got) + " where the frame had TX " +
                   N(verdict.Wanted);
        default:
            return kTool + "failed, a reply of unknown kind";
        }
    }
    switch (verdict.Fault) {
    case TReplyFault::None:
        if (verdict.Kind == LinkFrame::kEot)
            return kTool + "EOT, nothing to report: success";
        return kTool + "accepted, acknowledges TX " + N(verdict.Tx);
    case TReplyFault::NoReply:
    case TReplyFault::TooShort:
        return kTool + "failed, no reply to the poll";
    case TReplyFault::OtherAddress:
    case TReplyFault::NoStopFlag:
        return kTool + "failed, the poll's reply is not from " + Byte(Request.Address) +
               " or does not end in FA";
    case TReplyFault::NotEot:
        return kTool + "failed, a 3-byte reply to the poll other than EOT";
    case TReplyFault::BadCrc:
        return kTool + "failed, shows the CRC message \"" + Hex::Word(verdict.Received) + " " +
               Hex::Word(verdict.Computed) + "\"";
    default:
        return kTool + "failed, not a DATA reply it accepts";
    }
}

} // namespace ToolVerdict
