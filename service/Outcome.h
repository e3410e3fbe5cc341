#pragma once
// What the operations that the window and zur-cli share return: the kind of result, the reason
// the failing exchange saw, as its protocol's judge gave it, and what the operation got. Each
// front end words an outcome for its own user; none learns it from a text another layer showed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "link/LinkFrame.h"
#include "protocol/PtnLL.h"

namespace Outcome {

enum class TResult {
    Success,
    NoAnswer,        // nothing came back, or the request did not go out whole
    CorruptAnswer,   // something came back that the judge did not take
    Refused,         // the controller said no: a NAK or an EOT to a link frame
    Interrupted,     // the stop request ended the operation
    OtherController, // the controller is not the one the caller meant: its serial number differs
    NoImage,         // an update without a firmware image chosen
    Failed,          // the request could not be built, so nothing was sent
    Withheld,        // the front end withheld the change (Observer::BeforeChange): nothing was changed
};

// The failing exchange: none, a command-protocol exchange, or a link-protocol one.
using TReason = std::variant<std::monostate, PtnLL::TFailure, LinkFrame::TReplyVerdict>;

struct TOutcome {
    TResult Result = TResult::Success;
    TReason Reason;

    bool Succeeded() const { return Result == TResult::Success; }
};

// The result a failed exchange stands for.
TResult ResultOf(const CommandFrame::TVerdict& Verdict);
TResult ResultOf(const LinkFrame::TReplyVerdict& Verdict);

// A configuration read: the record as read (what GetConfig left, when it failed).
struct TReadOutcome : TOutcome {
    PtnLL::TCfgStruct Record;
    int Runs = 0; // GetConfig runs made, the successful one included
};

// One parameter a write got through, by its id and the record field's name.
struct TWritten {
    uint8_t Id;
    std::string_view Name;
    bool operator==(const TWritten&) const = default;
};

// A configuration write: the parameters written, in order; a write that fails midway leaves
// these in the controller and the rest as they were. Address: where the commands go now.
struct TWriteOutcome : TOutcome {
    std::vector<TWritten> Written;
    int32_t Address = 0;
};

// A configuration file put back: read, checked against the serial number, written, read again.
struct TRestoreOutcome : TWriteOutcome {
    enum class TStep { Read, Check, Write, ReadBack };
    TStep Step = TStep::Read; // where it ended
    PtnLL::TCfgStruct Found;  // the controller's record before the write, or as read back
};

struct TAddressesOutcome : TOutcome {
    uint8_t First = 0, Second = 0; // side 1 and side 2
};

struct TStateOutcome : TOutcome {
    int32_t State = -1;
    bool Ready = false;
    uint32_t Errors = 0;
};

// A firmware update: how far it got.
struct TUpdateOutcome : TOutcome {
    enum class TStep { Image, ConfigurationRead, EnterUpdateMode, UpdateStart, Blocks };
    TStep Step = TStep::Image;      // where it ended
    bool FoundInUpdateMode = false; // the probe found the controller in update mode already
    std::size_t BlocksAcknowledged = 0;
    std::size_t Blocks = 0;                 // in all
    std::optional<std::size_t> FailedBlock; // the number, from 1, of the block that failed
    int Attempts = 1;                       // the whole update made this many times, the last deciding
};

} // namespace Outcome
