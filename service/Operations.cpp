#include "service/Operations.h"

#include "protocol/CommandSet.h"
#include "protocol/PtnLL.h"

namespace Operations {
namespace {

// The outcome of an operation whose last exchange failed: the reason as the protocol object kept
// it, and Interrupted when the stop request is why.
void FailedExchange(Outcome::TOutcome& Part, const PtnLL::TPtnLL& Commands, Observer::TObserver& Front) {
    Part.Reason = Commands.LastFailure;
    Part.Result = Front.StopRequested() ? Outcome::TResult::Interrupted
                                        : Outcome::ResultOf(Commands.LastFailure.Verdict);
}

} // namespace

Outcome::TReadOutcome ReadConfiguration(PtnLL::TPtnLL& Commands, Observer::TObserver& Front) {
    Outcome::TReadOutcome outcome;
    do {
        Commands.GetConfig();
        ++outcome.Runs;
    } while (!Commands.Ok && outcome.Runs < kReadRuns && !Front.StopRequested());
    outcome.Record = Commands.Cfg;
    if (!Commands.Ok)
        FailedExchange(outcome, Commands, Front);
    return outcome;
}

Outcome::TWriteOutcome WriteConfiguration(PtnLL::TPtnLL& Commands, const PtnLL::TCfgStruct& Record,
                                          Observer::TObserver& Front) {
    Outcome::TWriteOutcome outcome;
    Commands.Cfg = Record;
    Commands.SetConfig([&outcome](uint8_t Id) {
        const CommandSet::TParameter* parameter = CommandSet::FindParameter(Id);
        outcome.Written.push_back({Id, parameter ? parameter->Name : ""});
    });
    outcome.Address = Commands.Address;
    if (!ConfigPage::WriteSucceeded(Commands.Ok, Commands.Errors))
        FailedExchange(outcome, Commands, Front);
    return outcome;
}

Outcome::TRestoreOutcome RestoreConfiguration(PtnLL::TPtnLL& Commands, const ConfigPage::TPageValues& Page,
                                              const std::optional<std::string>& SerialNumber,
                                              Observer::TObserver& Front) {
    using TStep = Outcome::TRestoreOutcome::TStep;
    Outcome::TRestoreOutcome outcome;
    const auto ended = [&](TStep Step, const Outcome::TOutcome& Part) {
        outcome.Step = Step;
        outcome.Result = Part.Result;
        outcome.Reason = Part.Reason;
        outcome.Address = Commands.Address;
        return outcome;
    };
    const Outcome::TReadOutcome before = ReadConfiguration(Commands, Front);
    Front.ConfigurationRead(before);
    outcome.Found = before.Record;
    if (!before.Succeeded())
        return ended(TStep::Read, before);
    if (SerialNumber && *SerialNumber != before.Record.SerialNo) {
        Outcome::TOutcome other;
        other.Result = Outcome::TResult::OtherController;
        return ended(TStep::Check, other);
    }
    if (!Front.BeforeChange(before.Record)) {
        Outcome::TOutcome withheld;
        withheld.Result = Outcome::TResult::Withheld;
        return ended(TStep::Check, withheld);
    }
    PtnLL::TCfgStruct record = before.Record;
    ConfigPage::RecordFromPage(Page, record);
    const Outcome::TWriteOutcome write = WriteConfiguration(Commands, record, Front);
    outcome.Written = write.Written;
    if (!write.Succeeded())
        return ended(TStep::Write, write);
    const Outcome::TReadOutcome back = ReadConfiguration(Commands, Front);
    outcome.Found = back.Record;
    return ended(TStep::ReadBack, back);
}

Outcome::TAddressesOutcome QueryAddresses(PtnLL::TPtnLL& Commands, Observer::TObserver& Front) {
    Outcome::TAddressesOutcome outcome;
    Commands.GetAddresses(outcome.First, outcome.Second);
    if (!Commands.Ok)
        FailedExchange(outcome, Commands, Front);
    return outcome;
}

Outcome::TStateOutcome RequestState(PtnLL::TPtnLL& Commands, Observer::TObserver& Front) {
    Outcome::TStateOutcome outcome;
    Commands.GetState();
    outcome.State = Commands.State;
    outcome.Ready = Commands.Ready;
    outcome.Errors = Commands.Errors;
    if (!Commands.Ok)
        FailedExchange(outcome, Commands, Front);
    return outcome;
}

} // namespace Operations
