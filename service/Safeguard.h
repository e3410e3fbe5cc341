#pragma once
// One change to a controller (a write, a restore, an update) made safe: the controller's
// configuration as read is saved as a safety copy before anything that changes it is sent, and how
// the change ended goes into the journal. The window and zur-cli both make their changes through
// it; each says the copy and its failure in its own way.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/PtnLL.h"
#include "service/Backup.h"
#include "service/Journal.h"
#include "service/Observer.h"

namespace Safeguard {

// Where the change is made, for its journal line.
struct TPlace {
    std::string Program; // Journal::kWindowProgram or Journal::kCliProgram
    std::string Port;
    uint32_t Speed = 0;
    int Address = 0;
};

class TChange {
public:
    // Copies false: no safety copy (zur-cli's --no-backup, or the window's choice for its run);
    // the journal line is still made.
    TChange(TPlace Place, std::string Operation, bool Copies);

    void SetImage(Journal::TImage Image) { image = std::move(Image); }
    // An update's attempts, for its one journal line.
    void SetAttempts(int Attempts) { attempts = Attempts; }
    // The controller as read before the change, for the journal, even when the change never comes.
    void Read(const PtnLL::TCfgStruct& Current) { serial = Current.SerialNo; }
    // Saves Current as the safety copy; false when it could not be saved (Failure()).
    bool Save(const PtnLL::TCfgStruct& Current);

    const std::optional<std::string>& Serial() const { return serial; }
    // The safety copy's path, once saved.
    const std::optional<std::string>& Copy() const { return copy; }
    // Why the copy could not be saved, and where it was to go.
    const std::optional<Backup::TSaved>& Failure() const { return failure; }

    // How the change ended, as the journal words it, and the parameters a failed write got through.
    void Ended(std::string Outcome, std::vector<std::string> Written = {});
    // Appends the journal line; Exit is zur-cli's exit code, whose word stands when Ended was not
    // told. The reason when the journal could not take the line.
    std::optional<std::string> Record(std::optional<int> Exit = std::nullopt) const;

private:
    TPlace place;
    std::string operation;
    bool copies;
    std::optional<Journal::TImage> image;
    std::optional<int> attempts;
    std::optional<std::string> serial, copy;
    std::optional<Backup::TSaved> failure;
    std::string outcome;
    std::vector<std::string> written;
};

// An operation's observer that makes Change's safety copy when the operation asks before its
// change, and withholds the change when the copy could not be saved; everything else goes on to
// Front unchanged.
class TGuard final : public Observer::TObserver {
public:
    TGuard(Observer::TObserver& Front, TChange& Change) : front(Front), change(Change) {}

    void Stage(Observer::TStage Stage) override { front.Stage(Stage); }
    void Step(Outcome::TUpdateOutcome::TStep Step) override { front.Step(Step); }
    void ConfigurationRead(const Outcome::TReadOutcome& Read) override;
    void Progress(const Observer::TBlockProgress& Progress) override { front.Progress(Progress); }
    void Attempt(int Number, int Of) override { front.Attempt(Number, Of); }
    bool BeforeChange(const PtnLL::TCfgStruct& Current) override;
    void Pause(int Milliseconds) override { front.Pause(Milliseconds); }
    bool StopRequested() override { return front.StopRequested(); }

private:
    Observer::TObserver& front;
    TChange& change;
};

// The names of the parameters a write got through.
std::vector<std::string> WrittenNames(const std::vector<Outcome::TWritten>& Written);

} // namespace Safeguard
