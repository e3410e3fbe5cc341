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
namespace Safeguard {
class TSafeguard;
}

namespace CliObserver {

class TCliObserver : public Observer::TObserver {
public:
    // Progress, when given, shows the update's blocks as they go; Guard, when given, saves the
    // configuration before a change and withholds the change when it cannot.
    explicit TCliObserver(Connection::TConnection& Line, ::Progress::TProgressLine* Progress = nullptr,
                          Safeguard::TSafeguard* Guard = nullptr);

    void Stage(Observer::TStage Stage) override;
    void Step(Outcome::TUpdateOutcome::TStep Step) override;
    void Progress(const Observer::TBlockProgress& Progress) override;
    void ConfigurationRead(const Outcome::TReadOutcome& Read) override;
    bool BeforeChange(const PtnLL::TCfgStruct& Current) override;
    void Pause(int Milliseconds) override;
    bool StopRequested() override;

private:
    Connection::TConnection& connection;
    ::Progress::TProgressLine* progress;
    Safeguard::TSafeguard* guard;
};

} // namespace CliObserver
