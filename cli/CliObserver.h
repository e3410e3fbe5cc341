#pragma once
// What the operations hear from zur-cli while they run: Ctrl+C as the stop request, a pause that
// ends early on it, and the update's progress on standard error.

#include <cstddef>
#include <iosfwd>
#include <memory>

#include "service/Connection.h"
#include "service/Observer.h"

namespace Progress {
class TProgressLine;
}
namespace Safety {
class TSafety;
}

namespace CliObserver {

class TCliObserver : public Observer::TObserver {
public:
    // Progress, when given, shows the update's blocks as they go; Safety, when given, says where
    // the safety copy went before the change is sent (the operation runs under a Safeguard::TGuard
    // that makes the copy).
    explicit TCliObserver(Connection::TConnection& Line, ::Progress::TProgressLine* Progress = nullptr,
                          Safety::TSafety* Safety = nullptr);

    void Stage(Observer::TStage Stage) override;
    void Step(Outcome::TUpdateOutcome::TStep Step) override;
    void Progress(const Observer::TBlockProgress& Progress) override;
    void Attempt(int Number, int Of) override;
    bool BeforeChange(const PtnLL::TCfgStruct& Current) override;
    void Pause(int Milliseconds) override;
    bool StopRequested() override;

private:
    Connection::TConnection& connection;
    ::Progress::TProgressLine* progress;
    Safety::TSafety* safety;
};

} // namespace CliObserver
