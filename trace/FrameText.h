#pragma once
// One frame of either protocol in words: its kind, address, command or control byte by name,
// TX, transactions and the fields the tool decodes, the checksum with both values, and what is
// wrong with its framing.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace FrameText {

// Raw is the whole frame as it travelled, trailer included. An answer comes from the controller.
std::vector<std::string> Command(std::span<const uint8_t> Raw, bool Answer);
std::vector<std::string> Link(std::span<const uint8_t> Raw, bool FromController);

// Names the tool uses, or "" for codes it does not know.
std::string CommandName(uint8_t Code);
std::string ParameterName(uint8_t Id);

} // namespace FrameText
