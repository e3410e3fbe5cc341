#pragma once
// The safety backup before a change: the controller's configuration as read, saved in the data
// folder before anything that changes it is sent, and its path printed. It also keeps what the
// journal line of the change needs to know.

#include <optional>
#include <string>

#include "cli/Output.h"
#include "protocol/PtnLL.h"

namespace Safeguard {

class TSafeguard {
public:
    // Skip: --no-backup; the serial number is still kept.
    TSafeguard(bool Skip, Output::TOutput& Out) : skip(Skip), out(Out) {}

    // The controller read before a change, for the journal, even when the change never comes.
    void Read(const PtnLL::TCfgStruct& Current) { serial = Current.SerialNo; }
    // Saves Current; false, with the failure's line printed, when it could not be saved.
    bool Save(const PtnLL::TCfgStruct& Current);

    bool Failed() const { return failed; }
    const std::optional<std::string>& Serial() const { return serial; }
    const std::optional<std::string>& Path() const { return path; }

private:
    bool skip;
    Output::TOutput& out;
    bool failed = false;
    std::optional<std::string> serial, path;
};

} // namespace Safeguard
