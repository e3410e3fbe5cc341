#include "cli/FrameEnd.h"

#include <algorithm>

#include "link/LinkFrame.h"
#include "protocol/CommandFrame.h"

namespace FrameEnd {

TProgress CommandAnswer(std::span<const uint8_t> Raw) {
    // A read that fills the whole receive area is an overrun, never a frame.
    if (Raw.size() > CommandFrame::kLongestFrame)
        return {};
    CommandFrame::Area unstuffed{};
    const std::size_t m = CommandFrame::Unstuff(Raw, std::span(unstuffed).subspan(1));
    // A raw byte adds at most one unstuffed byte, so asking for the unstuffed shortfall never
    // reads past the frame.
    if (m < CommandFrame::kHeaderSize)
        return {false, CommandFrame::kShortestAnswer - m};
    const std::size_t length = CommandFrame::kHeaderSize + unstuffed[3] + CommandFrame::kTailSize;
    if (length < CommandFrame::kShortestAnswer)
        return {};
    if (m < length)
        return {false, length - m};
    if (m > length)
        return {};
    CommandFrame::Area rx{};
    CommandFrame::Area scratch{};
    rx[0] = static_cast<uint8_t>(Raw.size());
    std::copy(Raw.begin(), Raw.end(), rx.begin() + 1);
    return {CommandFrame::CheckAnswer(rx, scratch), 0};
}

TProgress LinkReply(std::span<const uint8_t> Raw, uint8_t Address) {
    if (Raw.size() < LinkFrame::kControlFrameSize)
        return {false, LinkFrame::kControlFrameSize - Raw.size()};
    if (LinkFrame::Kind(Raw[1]) != LinkFrame::kData) {
        LinkFrame::TControlReply control;
        return {Raw.size() == LinkFrame::kControlFrameSize && LinkFrame::AcceptControl(Raw, Address, control),
                0};
    }
    if (Raw.size() < LinkFrame::kShortestDataFrame)
        return {false, LinkFrame::kShortestDataFrame - Raw.size()};
    // The first 0xFA without a 0x10 in front ends the frame.
    for (std::size_t i = 1; i < Raw.size(); ++i) {
        if (Raw[i] != LinkFrame::kSF || Raw[i - 1] == LinkFrame::kDLE)
            continue;
        if (i + 1 != Raw.size() || Raw[i - 1] != LinkFrame::kETX)
            return {};
        return {LinkFrame::AcceptData(Raw, Address).Status == LinkFrame::TDataStatus::Accepted, 0};
    }
    return {false, 1};
}

} // namespace FrameEnd
