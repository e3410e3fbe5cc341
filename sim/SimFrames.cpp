#include "sim/SimFrames.h"

#include "protocol/crc16c.h"

#include <algorithm>

namespace SimFrames {

namespace {

constexpr size_t kCrcSize = 2;
constexpr size_t kTrailerSize = 2;      // 03 FF or 03 FA
constexpr size_t kShortestCommand = 6;  // address, command, checksum, trailer
constexpr size_t kShortestLinkData = 6; // ADR, control, CRC, ETX, SF
constexpr size_t kControlFrameSize = 3; // ADR, control, SF
constexpr uint8_t kKindMask = 0xF0;

uint16_t Crc(std::span<const uint8_t> bytes) {
    return crc16c::Crc16(0, bytes.data(), static_cast<int32_t>(bytes.size()));
}

void AppendCrc(std::vector<uint8_t>& body, uint16_t crcOffset) {
    const auto crc = static_cast<uint16_t>(Crc(body) + crcOffset);
    body.push_back(static_cast<uint8_t>(crc & 0xFF));
    body.push_back(static_cast<uint8_t>(crc >> 8));
}

// Splits off and checks the trailing checksum (low byte first) of an unstuffed body.
std::optional<std::vector<uint8_t>> WithoutGoodCrc(std::vector<uint8_t> body, size_t minimum) {
    if (body.size() < minimum)
        return std::nullopt;
    const size_t n = body.size() - kCrcSize;
    const uint16_t received = static_cast<uint16_t>(body[n] | (body[n + 1] << 8));
    body.resize(n);
    if (Crc(body) != received)
        return std::nullopt;
    return body;
}

bool IsControlKind(uint8_t control) {
    const uint8_t kind = control & kKindMask;
    return kind == kPoll || kind == kAck || kind == kNak || kind == kEot;
}

std::optional<Frame> CommandEndingAt(std::span<const uint8_t> raw) {
    // 255 is no command address, while every link frame of the tool starts with it: a firmware
    // block whose data happen to end in 03 FF can never pass for a command.
    if (raw.front() == kLinkAddress || raw.size() < kShortestCommand || raw[raw.size() - 2] != kEtx ||
        raw.back() != kCommandEnd)
        return std::nullopt;
    auto body = WithoutGoodCrc(UnstuffCommand(raw.first(raw.size() - kTrailerSize)), kCrcSize + 2);
    if (!body)
        return std::nullopt;
    return Frame{Kind::Command, raw.size(), std::move(*body)};
}

std::optional<Frame> LinkEndingAt(std::span<const uint8_t> raw) {
    if (raw.back() != kLinkEnd)
        return std::nullopt;
    if (raw.size() == kControlFrameSize) {
        if (!IsControlKind(raw[1]))
            return std::nullopt;
        return Frame{Kind::LinkControl, raw.size(), {raw[0], raw[1]}};
    }
    if (raw.size() < kShortestLinkData || raw[raw.size() - 2] != kEtx || (raw[1] & kKindMask) != kData)
        return std::nullopt;
    std::vector<uint8_t> unstuffed{raw[0], raw[1]};
    const auto rest = UnstuffLink(raw.subspan(2, raw.size() - 2 - kTrailerSize));
    unstuffed.insert(unstuffed.end(), rest.begin(), rest.end());
    auto body = WithoutGoodCrc(std::move(unstuffed), kCrcSize + 2);
    if (!body)
        return std::nullopt;
    return Frame{Kind::LinkData, raw.size(), std::move(*body)};
}

} // namespace

std::optional<Frame> TakeFrame(std::span<const uint8_t> buffer) {
    for (size_t end = kControlFrameSize; end <= buffer.size(); ++end) {
        const auto raw = buffer.first(end);
        if (auto frame = LinkEndingAt(raw))
            return frame;
        if (auto frame = CommandEndingAt(raw))
            return frame;
    }
    return std::nullopt;
}

std::vector<uint8_t> StuffCommand(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        if (b == kCommandEnd && !out.empty() && out.back() == kDle)
            out.push_back(kDle);
        out.push_back(b);
    }
    return out;
}

std::vector<uint8_t> UnstuffCommand(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size());
    for (uint8_t b : bytes) {
        if (b == kCommandEnd && !out.empty() && out.back() == kDle)
            out.pop_back();
        out.push_back(b);
    }
    return out;
}

std::vector<uint8_t> StuffLink(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        if (b == kLinkEnd)
            out.push_back(kDle);
        out.push_back(b);
    }
    return out;
}

std::vector<uint8_t> UnstuffLink(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size());
    for (uint8_t b : bytes) {
        if (b == kLinkEnd && !out.empty() && out.back() == kDle)
            out.pop_back();
        out.push_back(b);
    }
    return out;
}

std::vector<uint8_t> CommandFrame(std::span<const uint8_t> body, uint16_t crcOffset, uint8_t lastByte) {
    std::vector<uint8_t> checked(body.begin(), body.end());
    AppendCrc(checked, crcOffset);
    auto frame = StuffCommand(checked);
    frame.push_back(kEtx);
    frame.push_back(lastByte);
    return frame;
}

std::vector<uint8_t> LinkControl(uint8_t address, uint8_t control) {
    return {address, control, kLinkEnd};
}

std::vector<uint8_t> LinkData(uint8_t address, uint8_t control, std::span<const uint8_t> payload,
                              uint16_t crcOffset) {
    std::vector<uint8_t> body{address, control};
    body.insert(body.end(), payload.begin(), payload.end());
    AppendCrc(body, crcOffset);
    auto frame = StuffLink(body);
    frame.push_back(kEtx);
    frame.push_back(kLinkEnd);
    return frame;
}

std::vector<uint8_t> Interleave(const std::vector<std::vector<uint8_t>>& answers) {
    const auto longest = std::max_element(answers.begin(), answers.end(),
                                          [](const auto& a, const auto& b) { return a.size() < b.size(); });
    std::vector<uint8_t> line;
    for (size_t k = 0; longest != answers.end() && k < longest->size(); ++k)
        for (const auto& answer : answers)
            if (k < answer.size())
                line.push_back(answer[k]);
    return line;
}

} // namespace SimFrames
