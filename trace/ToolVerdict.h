#pragma once
// What the tool made of one read: the checks it runs on an answer, in its order, and the first
// that fails, with the values involved.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ToolVerdict {

// The command request the read answers.
struct TCommandRequest {
    uint8_t Address = 0;
    uint8_t Command = 0;
    std::optional<uint8_t> Parameter; // GetParam and SetParam
};

// The link frame the read answers: a DATA frame or a POLL.
struct TLinkRequest {
    uint8_t Kind = 0;
    uint8_t Tx = 0;
    uint8_t Address = 0;
};

std::string CommandRead(std::span<const uint8_t> Read, const TCommandRequest& Request);
std::string LinkRead(std::span<const uint8_t> Read, const TLinkRequest& Request);

} // namespace ToolVerdict
