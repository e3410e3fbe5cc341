#pragma once
// The operations of the configuration page and the line, as every front end runs them: each
// makes its exchanges through the command protocol object and returns what happened.

#include <optional>
#include <string>

#include "service/ConfigPage.h"
#include "service/Observer.h"
#include "service/Outcome.h"

namespace Operations {

inline constexpr int kReadRuns = 6; // one read and five repeats

// GetConfig until it succeeds, at most kReadRuns times; each run starts again from parameter 1.
Outcome::TReadOutcome ReadConfiguration(PtnLL::TPtnLL& Commands, Observer::TObserver& Front);

// Writes Record (SetConfig, once). A write answered with both the answer-error and the
// wrong-address flag set counts as done, as the configuration page has it.
Outcome::TWriteOutcome WriteConfiguration(PtnLL::TPtnLL& Commands, const PtnLL::TCfgStruct& Record,
                                          Observer::TObserver& Front);

// Puts Page back into the controller: reads the configuration first (Front.ConfigurationRead),
// refuses when SerialNumber is given and is not the controller's (OtherController, nothing
// written), asks Front.BeforeChange, writes the page onto the record read, and reads it back.
Outcome::TRestoreOutcome RestoreConfiguration(PtnLL::TPtnLL& Commands, const ConfigPage::TPageValues& Page,
                                              const std::optional<std::string>& SerialNumber,
                                              Observer::TObserver& Front);

// The address query, sent to address 0; the address of the commands is not changed.
Outcome::TAddressesOutcome QueryAddresses(PtnLL::TPtnLL& Commands, Observer::TObserver& Front);

Outcome::TStateOutcome RequestState(PtnLL::TPtnLL& Commands, Observer::TObserver& Front);

} // namespace Operations
