#pragma once
// What an operation tells its front end while it runs, and the one thing it asks: whether to stop.
// A front end overrides what it shows; the rest does nothing, and a pause sleeps.

#include <cstddef>

#include "service/Outcome.h"

namespace Observer {

// The stages of a firmware update, each announced as it begins.
enum class TStage {
    Preparing,    // the probe, and where needed the configuration read and enter-update-mode
    Transferring, // the image body in blocks
};

// After each block sent, the failing one included: Acknowledged counts the blocks the controller
// took, so it falls short of Sent when this block failed.
struct TBlockProgress {
    std::size_t Sent = 0, Acknowledged = 0, Blocks = 0;
    int Percent = 0; // of the whole image, header included, truncated
};

class TObserver {
public:
    virtual void Stage(TStage Stage);
    // A step of an update's preparation begins: ConfigurationRead, EnterUpdateMode, UpdateStart.
    virtual void Step(Outcome::TUpdateOutcome::TStep Step);
    // The update's preparation or a restore has read the configuration; Read is what the read
    // operation returned.
    virtual void ConfigurationRead(const Outcome::TReadOutcome& Read);
    virtual void Progress(const TBlockProgress& Progress);
    // An update starts again from its first block after a failed one: attempt Number of at most Of.
    virtual void Attempt(int Number, int Of);
    // Asked once the controller's configuration (Current) is read and before the first request that
    // changes anything (a configuration write, enter-update-mode); false ends the operation with
    // the result Withheld and nothing more sent.
    virtual bool BeforeChange(const PtnLL::TCfgStruct& Current);
    // The controller is given time, the mode-switch pause of an update.
    virtual void Pause(int Milliseconds);
    // Asked between exchanges: true ends the operation with the result Interrupted.
    virtual bool StopRequested();

protected:
    ~TObserver() = default;
};

// An observer that shows nothing and never stops, for callers that want none of it.
TObserver& Quiet();

} // namespace Observer
