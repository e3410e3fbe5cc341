#pragma once
// The link protocol's transactions as the tool knows them: every record it sends or decodes, who
// sends it, and the data lengths the tool takes it with. The engine and the trace decoder both read
// them from here; the simulator keeps its own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace LinkTransactions {

// Transaction codes (TRANS). The configuration's code serves both ways: the tool's request and
// the controller's record.
inline constexpr uint8_t kStatus = 0x01, kOutValues = 0x02, kNozzle = 0x03, kIdentity = 0x09, kTotals = 0x65,
                         kConfig = 0x80, kUpdateStart = 0xB6, kUpdateBlock = 0xC7, kD8Command = 0xD8;

enum class TSender { Tool, Controller };

// The configuration record comes in four layouts, told apart by their length alone.
inline constexpr std::array<uint8_t, 4> kConfigRecordLengths{26, 27, 29, 30};

struct TTransaction {
    uint8_t Code;
    const char* Name;
    TSender Sender;
    // The data bytes its fields take; a shorter record is too short to decode.
    std::size_t Shortest = 0;
    // When not empty, the only lengths the tool takes; any other is rejected.
    std::span<const uint8_t> Lengths = {};
};

inline constexpr std::array kTransactions{
    TTransaction{.Code = kStatus, .Name = "status", .Sender = TSender::Controller, .Shortest = 1},
    TTransaction{.Code = kOutValues, .Name = "values", .Sender = TSender::Controller, .Shortest = 8},
    TTransaction{.Code = kNozzle, .Name = "nozzle", .Sender = TSender::Controller, .Shortest = 4},
    TTransaction{.Code = kIdentity, .Name = "identity", .Sender = TSender::Controller, .Shortest = 5},
    TTransaction{.Code = kTotals, .Name = "totals", .Sender = TSender::Controller, .Shortest = 11},
    TTransaction{.Code = kConfig,
                 .Name = "configuration record",
                 .Sender = TSender::Controller,
                 .Lengths = kConfigRecordLengths},
    TTransaction{.Code = kConfig, .Name = "configuration request", .Sender = TSender::Tool},
    // The image's length and a 16-bit value; two zero bytes follow them.
    TTransaction{.Code = kUpdateStart, .Name = "update start", .Sender = TSender::Tool, .Shortest = 6},
    TTransaction{.Code = kUpdateBlock, .Name = "firmware block", .Sender = TSender::Tool},
    TTransaction{.Code = kD8Command, .Name = "command D8", .Sender = TSender::Tool},
};

// The transaction Code that Sender sends; null for one the tool does not know from that side.
const TTransaction* Find(uint8_t Code, TSender Sender);

// Whether the tool takes a record of Transaction with DataSize data bytes.
bool Takes(const TTransaction& Transaction, std::size_t DataSize);

} // namespace LinkTransactions
