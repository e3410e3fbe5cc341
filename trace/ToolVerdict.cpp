#include "trace/ToolVerdict.h"

#include "link/LinkFrame.h"
#include "protocol/CommandFrame.h"
#include "protocol/crc16c.h"
#include "trace/FrameText.h"

#include <algorithm>

namespace ToolVerdict {

namespace {

constexpr std::size_t kReadSize = 256; // a read that fills it is an overrun, not an answer
constexpr uint8_t kGetState = 0x01, kAuth = 0x02, kStop = 0x03, kReset = 0x08, kGetParam = 0x0F,
                  kSetParam = 0x10, kEnterUpdateMode = 0xA5, kGetAddresses = 0x85;

std::string N(unsigned Value) {
    return std::to_string(Value);
}

CommandFrame::Expected Expect(const TCommandRequest& Request) {
    CommandFrame::Expected want{
        .Address = Request.Address, .AnyAddress = false, .Command = Request.Command, .Length = std::nullopt};
    switch (Request.Command) {
    case kGetState:
        want.Length = 3;
        break;
    case kAuth:
    case kStop:
    case kReset:
    case kEnterUpdateMode:
        want.Length = 1;
        break;
    case kSetParam:
        want.Length = 1;
        // Side 1's new address answers from wherever the controller now is.
        want.AnyAddress = Request.Parameter == 1 || Request.Parameter == 2;
        break;
    case kGetAddresses:
        want.Address = 0;
        want.Length = 2;
        break;
    default:
        break;
    }
    return want;
}

const std::string kTool = "the tool: ";

} // namespace

std::string CommandRead(std::span<const uint8_t> Read, const TCommandRequest& Request) {
    const std::size_t n = Read.size();
    if (n == 0)
        return kTool + "no answer";
    if (n >= kReadSize)
        return kTool + "a read that fills all 256 bytes counts as no answer";
    if (n < CommandFrame::kShortestAnswer)
        return kTool + "rejected, " + N(static_cast<unsigned>(n)) +
               " bytes are fewer than the 8 of the shortest answer";
    CommandFrame::Area rx{}, scratch{};
    rx[0] = static_cast<uint8_t>(n);
    std::copy(Read.begin(), Read.end(), rx.begin() + 1);
    if (!CommandFrame::CheckAnswer(rx, scratch)) {
        const std::size_t m = rx[0];
        const uint16_t received = static_cast<uint16_t>(rx[m - 3] | rx[m - 2] << 8);
        const uint16_t computed = crc16c::Crc16(0, &rx[1], static_cast<int32_t>(m - 4));
        if (received != computed)
            return kTool + "rejected, checksum received " + FrameText::Hex16(received) + ", computed " +
                   FrameText::Hex16(computed) + " over all " + N(static_cast<unsigned>(n)) + " bytes read";
        return kTool + "rejected, trailer " + FrameText::Hex(std::span(rx).subspan(m - 1, 2)) + ", not 03 FF";
    }
    const CommandFrame::Expected want = Expect(Request);
    const uint8_t address = rx[1], command = rx[2], length = rx[3];
    if (!want.AnyAddress && address != want.Address)
        return kTool + "rejected, answer from address " + N(address) + ", the request went to " +
               N(static_cast<unsigned>(want.Address));
    if (command != want.Command)
        return kTool + "rejected, answer repeats command " + FrameText::Hex(std::span(&rx[2], 1)) +
               ", the request was " + FrameText::Hex(std::span(&want.Command, 1));
    if (want.Length && length != *want.Length)
        return kTool + "rejected, length " + N(length) + ", expected " + N(*want.Length);
    if (!CommandFrame::HeaderMatches(rx, want))
        return kTool + "rejected, the length byte promises " + N(length) + " data bytes, fewer arrived";
    if (command == kGetParam && length >= 1 && Request.Parameter && rx[4] != *Request.Parameter)
        return kTool + "accepted, but it carries parameter " + N(rx[4]) + " where " + N(*Request.Parameter) +
               " was asked for: stored as parameter " + N(rx[4]);
    return kTool + "accepted";
}

std::string LinkRead(std::span<const uint8_t> Read, const TLinkRequest& Request) {
    const std::size_t n = Read.size();
    if (Request.Kind == LinkFrame::kData) {
        if (n == 0)
            return kTool + "no reply to the DATA frame (error flag 01)";
        if (n != LinkFrame::kControlFrameSize)
            return kTool + "failed, the reply is " + N(static_cast<unsigned>(n)) +
                   " bytes, not 3 (error flags 04 40)";
        if (Read[0] != Request.Address)
            return kTool + "failed, reply from address " + FrameText::Hex(Read.first(1)) +
                   " (error flags 04 10)";
        if (Read[2] != LinkFrame::kSF)
            return kTool + "failed, the reply does not end in FA (error flag 04)";
        const uint8_t kind = LinkFrame::Kind(Read[1]), tx = LinkFrame::Tx(Read[1]);
        if (kind == LinkFrame::kAck && tx == Request.Tx)
            return kTool + "accepted, ACK for TX " + N(tx);
        if (kind == LinkFrame::kEot)
            return kTool + "failed, EOT (error flag 80)";
        if (kind == LinkFrame::kNak)
            return kTool + "failed, NAK (error flag 02)";
        if (kind == LinkFrame::kAck)
            return kTool + "failed, ACK for TX " + N(tx) + " where the frame had TX " + N(Request.Tx);
        return kTool + "failed, a reply of unknown kind";
    }
    if (n < LinkFrame::kControlFrameSize)
        return kTool + "failed, no reply to the poll";
    if (Read[0] != Request.Address || Read.back() != LinkFrame::kSF)
        return kTool + "failed, the poll's reply is not from " +
               FrameText::Hex(std::span(&Request.Address, 1)) + " or does not end in FA";
    if (n == LinkFrame::kControlFrameSize)
        return LinkFrame::Kind(Read[1]) == LinkFrame::kEot
                   ? kTool + "EOT, nothing to report: success"
                   : kTool + "failed, a 3-byte reply to the poll other than EOT";
    const LinkFrame::TDataReply reply = LinkFrame::AcceptData(Read, Request.Address);
    if (reply.Status == LinkFrame::TDataStatus::BadCrc)
        return kTool + "failed, shows the CRC message \"" + FrameText::Hex16(reply.ReceivedCrc) + " " +
               FrameText::Hex16(reply.ComputedCrc) + "\"";
    if (reply.Status != LinkFrame::TDataStatus::Accepted)
        return kTool + "failed, not a DATA reply it accepts";
    return kTool + "accepted, acknowledges TX " + N(reply.Tx);
}

} // namespace ToolVerdict
