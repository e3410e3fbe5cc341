#pragma once
// What the tool made of one read, in words: the verdict of the protocol's own judge, with the
// check that failed and the values involved.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/LinkFrame.h"

namespace ToolVerdict {

// The command request the read answers.
struct TCommandRequest {
    uint8_t Address = 0;
    uint8_t Command = 0;
    std::optional<uint8_t> Parameter; // GetParam and SetParam
};

std::string CommandRead(std::span<const uint8_t> Read, const TCommandRequest& Request);
// Request: the DATA frame or the POLL the read answers.
std::string LinkRead(std::span<const uint8_t> Read, const LinkFrame::TRequest& Request);

} // namespace ToolVerdict
