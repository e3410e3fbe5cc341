#include "trace/WireFrames.h"

#include "link/LinkFrame.h"
#include "protocol/CommandFrame.h"
#include "protocol/crc16c.h"

#include <algorithm>
#include <array>
#include <optional>

namespace WireFrames {

namespace {

using CommandFrame::kTrailer;
constexpr std::size_t kTrailerSize = kTrailer.size();
// A frame's data may hold 03 FF too, but hardly more than a few times; noise full of them would
// otherwise cost a checksum per pair.
constexpr int kTrailersTried = 8;

bool TrailerAt(std::span<const uint8_t> Bytes, std::size_t At) {
    return At + 1 < Bytes.size() && Bytes[At] == kTrailer[0] && Bytes[At + 1] == kTrailer[1];
}

// Whether the checksum of the command frame Bytes.first(End) holds, summing only what Search has
// not summed yet. Which bytes unstuffing drops in front of the checksum does not depend on where
// the frame ends, and each later trailer's checksum starts further on, so the sum only grows.
// The scans here undo the stuffing on the fly (CommandFrame::Dropped), since they run at every byte
// of a noisy line and must not allocate.
bool CommandCrcHoldsFrom(std::span<const uint8_t> Bytes, std::size_t End, TCommandSearch& Search) {
    const auto stuffed = Bytes.first(End - kTrailerSize);
    const std::size_t n = stuffed.size();
    if (n < CommandFrame::kChecksumSize)
        return false;
    // The checksum is the last two bytes kept. The last is never dropped, as nothing follows it; when
    // the one before it is, the byte in front of that is followed by a 0x10 and so is kept.
    const bool droppedBeforeLast = CommandFrame::Dropped(stuffed, n - 2);
    if (droppedBeforeLast && n < CommandFrame::kChecksumSize + 1)
        return false;
    const std::size_t low = droppedBeforeLast ? n - 3 : n - 2;
    // The bytes before it, in runs between the dropped ones.
    std::size_t run = Search.Summed;
    for (std::size_t i = Search.Summed; i < low; ++i) {
        if (CommandFrame::Dropped(stuffed, i)) {
            Search.Crc = crc16c::Crc16(Search.Crc, stuffed.data() + run, static_cast<int32_t>(i - run));
            run = i + 1;
        } else {
            ++Search.Kept;
        }
    }
    if (low > run)
        Search.Crc = crc16c::Crc16(Search.Crc, stuffed.data() + run, static_cast<int32_t>(low - run));
    Search.Summed = std::max(Search.Summed, low);
    // Address and command at least, in front of the checksum.
    if (Search.Kept < 2)
        return false;
    return Search.Crc == static_cast<uint16_t>(stuffed[low] | stuffed[n - 1] << 8);
}

bool CommandCrcHolds(std::span<const uint8_t> Frame) {
    TCommandSearch fresh;
    return CommandCrcHoldsFrom(Frame, Frame.size(), fresh);
}

// The raw length that an answer's length byte gives, once enough bytes are there to tell.
std::optional<std::size_t> LengthByteEnd(std::span<const uint8_t> Bytes) {
    // How many bytes unstuffing has kept so far, and the first of them: the header.
    std::size_t kept = 0;
    std::array<uint8_t, CommandFrame::kHeaderSize> header{};
    for (std::size_t i = 0; i < Bytes.size(); ++i) {
        if (i > 0 && CommandFrame::Dropped(Bytes, i - 1))
            --kept;
        if (kept < header.size())
            header[kept] = Bytes[i];
        ++kept;
        // The trailer is never stuffed: its raw bytes follow the checksum's last.
        if (kept > header.size() && kept + kTrailerSize == CommandFrame::AnswerSize(header))
            return i + 1 + kTrailerSize;
    }
    return std::nullopt;
}

} // namespace

TCommandBody UnstuffCommand(std::span<const uint8_t> Stuffed) {
    TCommandBody out;
    out.Body.resize(Stuffed.size());
    out.Body.resize(CommandFrame::Unstuff(Stuffed, out.Body));
    for (std::size_t at = 0; at + 1 < Stuffed.size(); ++at) {
        if (CommandFrame::LoneEscape(Stuffed, at))
            out.StuffingErrors.push_back(at + 1);
    }
    return out;
}

TCut CutCommand(std::span<const uint8_t> Bytes, bool Answer) {
    std::optional<std::size_t> firstTrailerEnd;
    int tried = 0;
    for (std::size_t at = kShortestCommandFrame - kTrailerSize;
         at + 1 < Bytes.size() && tried < kTrailersTried; ++at) {
        if (!TrailerAt(Bytes, at))
            continue;
        ++tried;
        if (CommandCrcHolds(Bytes.first(at + kTrailerSize)))
            return {TFit::Frame, at + kTrailerSize};
        if (!firstTrailerEnd)
            firstTrailerEnd = at + kTrailerSize;
    }
    if (Answer) {
        // A damaged answer still ends where its length byte says, whatever its trailer.
        const auto end = LengthByteEnd(Bytes);
        if (end && *end <= Bytes.size() && (!firstTrailerEnd || *end <= *firstTrailerEnd))
            return {TFit::Frame, *end};
    }
    if (firstTrailerEnd)
        return {TFit::Frame, *firstTrailerEnd};
    return {};
}

TCut CutLink(std::span<const uint8_t> Bytes) {
    for (std::size_t i = 0; i < Bytes.size(); ++i) {
        // ADR and the control byte are never escaped; inside the body a 0x10 escapes the 0xFA.
        if (Bytes[i] == LinkFrame::kSF && !(i >= 3 && Bytes[i - 1] == LinkFrame::kDLE))
            return {TFit::Frame, i + 1};
    }
    return {};
}

std::optional<std::size_t> IntactCommandLength(std::span<const uint8_t> Bytes, TCommandSearch& Search) {
    // The trailers CutCommand tries, in its order; when none of them has a good checksum, what it
    // cuts (the first trailer or the length byte's end, never further) is not intact either.
    for (; Search.Next + 1 < Bytes.size() && Search.Tried < kTrailersTried; ++Search.Next) {
        if (!TrailerAt(Bytes, Search.Next))
            continue;
        // Left as it is on success, so asking again gives the same answer.
        if (CommandCrcHoldsFrom(Bytes, Search.Next + kTrailerSize, Search))
            return Search.Next + kTrailerSize;
        ++Search.Tried;
    }
    return std::nullopt;
}

std::optional<std::size_t> LastCommandTrailerEnd(std::span<const uint8_t> Bytes) {
    for (std::size_t at = Bytes.size(); at >= kTrailerSize; --at) {
        if (TrailerAt(Bytes, at - kTrailerSize))
            return at;
    }
    return std::nullopt;
}

bool IsIntact(TProtocol Protocol, std::span<const uint8_t> Frame, bool Answer, uint8_t LinkAddress) {
    if (Protocol == TProtocol::Command) {
        if (Frame.size() < kShortestCommandFrame || !TrailerAt(Frame, Frame.size() - kTrailerSize))
            return false;
        return CommandCrcHolds(Frame);
    }
    if (Frame.empty() || Frame[0] != LinkAddress || Frame.back() != LinkFrame::kSF)
        return false;
    if (Frame.size() == LinkFrame::kControlFrameSize) {
        const uint8_t kind = LinkFrame::Kind(Frame[1]);
        return Answer
                   ? (kind == LinkFrame::kAck || kind == LinkFrame::kNak || kind == LinkFrame::kEot)
                   : (kind == LinkFrame::kAck || (kind == LinkFrame::kPoll && LinkFrame::Tx(Frame[1]) == 0));
    }
    return LinkFrame::AcceptData(Frame, LinkAddress).Status == LinkFrame::TDataStatus::Accepted;
}

} // namespace WireFrames
