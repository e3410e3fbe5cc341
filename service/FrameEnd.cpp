#include "service/FrameEnd.h"

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
    const std::size_t length =
        CommandFrame::AnswerSize(std::span(unstuffed).subspan<1, CommandFrame::kHeaderSize>());
    if (length < CommandFrame::kShortestAnswer)
        return {};
    if (m < length)
        return {false, length - m};
    if (m > length)
        return {};
    // The framing alone: the header is the protocol object's to judge once the read has ended.
    return {CommandFrame::JudgeAnswer(Raw, std::nullopt, unstuffed).Accepted(), 0};
}

TProgress LinkReply(std::span<const uint8_t> Raw, uint8_t Address) {
    if (Raw.size() < LinkFrame::kControlFrameSize)
        return {false, LinkFrame::kControlFrameSize - Raw.size()};
    // Judged as a poll's reply, the one reply that may be either kind of frame.
    const LinkFrame::TRequest asPoll{.Kind = LinkFrame::kPoll, .Address = Address};
    if (LinkFrame::Kind(Raw[1]) != LinkFrame::kData)
        return {Raw.size() == LinkFrame::kControlFrameSize && LinkFrame::JudgeReply(Raw, asPoll).WholeFrame(),
                0};
    if (Raw.size() < LinkFrame::kShortestDataFrame)
        return {false, LinkFrame::kShortestDataFrame - Raw.size()};
    // The first 0xFA without a 0x10 in front ends the frame.
    for (std::size_t i = 1; i < Raw.size(); ++i) {
        if (Raw[i] != LinkFrame::kSF || Raw[i - 1] == LinkFrame::kDLE)
            continue;
        if (i + 1 != Raw.size() || Raw[i - 1] != LinkFrame::kETX)
            return {};
        return {LinkFrame::JudgeReply(Raw, asPoll).Accepted(), 0};
    }
    return {false, 1};
}

} // namespace FrameEnd
