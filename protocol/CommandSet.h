#pragma once
// The command set as the tool speaks it: every command it sends with what the answer must show,
// and every configuration parameter with its name and the kind of its value. The protocol object,
// the trace decoder and the operations all read them from here; the simulator keeps its own.

#include <array>
#include <cstdint>
#include <optional>

#include "protocol/CommandFrame.h"

namespace CommandSet {

// Command codes.
inline constexpr uint8_t kGetState = 0x01, kAuth = 0x02, kStop = 0x03, kGetAmount = 0x04, kGetSumm = 0x06,
                         kReset = 0x08, kGetParam = 0x0F, kSetParam = 0x10, kEnterUpdateMode = 0xA5,
                         kGetAddresses = 0x85;

// Every controller answers the address query at bus address 0.
inline constexpr int32_t kQueryAddress = 0;

struct TCommand {
    uint8_t Code;
    const char* Name;
    std::optional<uint8_t> AnswerLength = std::nullopt;  // the answer's length byte; none: any
    std::optional<int32_t> AnswerAddress = std::nullopt; // none: the address the request went to
};

inline constexpr std::array kCommands{
    TCommand{.Code = kGetState, .Name = "GetState", .AnswerLength = 3},
    TCommand{.Code = kAuth, .Name = "Auth", .AnswerLength = 1},
    TCommand{.Code = kStop, .Name = "Stop", .AnswerLength = 1},
    TCommand{.Code = kGetAmount, .Name = "GetAmount"},
    TCommand{.Code = kGetSumm, .Name = "GetSumm"},
    TCommand{.Code = kReset, .Name = "Reset", .AnswerLength = 1},
    TCommand{.Code = kGetParam, .Name = "GetParam"},
    TCommand{.Code = kSetParam, .Name = "SetParam", .AnswerLength = 1},
    TCommand{.Code = kEnterUpdateMode, .Name = "EnterUpdateMode", .AnswerLength = 1},
    TCommand{
        .Code = kGetAddresses, .Name = "GetAddresses", .AnswerLength = 2, .AnswerAddress = kQueryAddress},
};

// The command with Code; null for one the tool does not send.
const TCommand* FindCommand(uint8_t Code);

// The parameters of GetParam and SetParam. Texts travel as kTextBytes packed decimal bytes.
enum class TValue { Byte, Flag, Text };
inline constexpr int kTextBytes = 5;

struct TParameter {
    uint8_t Id;
    const char* Name; // the configuration record's field
    TValue Value;
    // The side addresses: the controller may answer a write of one from its new address already.
    bool WriteAnsweredFromAnyAddress = false;
};

inline constexpr uint8_t kAddr1 = 1, kAddr2 = 2, kFwVersion = 100, kSerialNo = 101;

inline constexpr std::array kParameters{
    TParameter{.Id = kAddr1, .Name = "Addr1", .Value = TValue::Byte, .WriteAnsweredFromAnyAddress = true},
    TParameter{.Id = kAddr2, .Name = "Addr2", .Value = TValue::Byte, .WriteAnsweredFromAnyAddress = true},
    TParameter{.Id = 3, .Name = "NoFillTO1", .Value = TValue::Byte},
    TParameter{.Id = 4, .Name = "NoFillTO2", .Value = TValue::Byte},
    TParameter{.Id = 5, .Name = "NoMaster", .Value = TValue::Byte},
    TParameter{.Id = 6, .Name = "MinVoltage", .Value = TValue::Byte},
    TParameter{.Id = 7, .Name = "PricePoint", .Value = TValue::Byte},
    TParameter{.Id = 8, .Name = "AmoPoint", .Value = TValue::Byte},
    TParameter{.Id = 9, .Name = "Recalc", .Value = TValue::Flag},
    TParameter{.Id = 10, .Name = "ElType", .Value = TValue::Flag},
    TParameter{.Id = kFwVersion, .Name = "FwVersion", .Value = TValue::Text},
    TParameter{.Id = kSerialNo, .Name = "SerialNo", .Value = TValue::Text},
};

// The parameter with Id; null for one the tool does not know.
const TParameter* FindParameter(uint8_t Id);

// GetConfig reads in this order. SetConfig writes side 1's address last but one: the answers after
// it come from the new address.
inline constexpr std::array<uint8_t, 12> kReadOrder{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, kFwVersion, kSerialNo};
inline constexpr std::array<uint8_t, 10> kWriteOrder{3, 4, 5, 6, 7, 8, 9, 10, kAddr1, kAddr2};

// What the answer to command Code sent to Address must show; Parameter is the id of a GetParam or
// SetParam. A code the tool does not send is expected back from Address with any length.
CommandFrame::Expected Expect(int32_t Address, uint8_t Code, std::optional<uint8_t> Parameter = std::nullopt);

} // namespace CommandSet
