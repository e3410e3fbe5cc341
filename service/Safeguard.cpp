#include "service/Safeguard.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <utility>

#include "service/ConfigFile.h"

namespace Safeguard {

TChange::TChange(TPlace Place, std::string Operation, bool Copies)
    : place(std::move(Place)), operation(std::move(Operation)), copies(Copies) {}

bool TChange::Save(const PtnLL::TCfgStruct& Current) {
    serial = Current.SerialNo;
    if (!copies)
        return true;
    Backup::TSaved saved = Backup::SaveSafetyCopy(Current.SerialNo, ConfigFile::Encode(Current) + "\n",
                                                  std::chrono::system_clock::now());
    if (saved.Problem) {
        failure = std::move(saved);
        return false;
    }
    copy = saved.Path;
    return true;
}

void TChange::Ended(std::string Outcome, std::vector<std::string> Written) {
    outcome = std::move(Outcome);
    written = std::move(Written);
}

std::optional<std::string> TChange::Record(std::optional<int> Exit) const {
    return Journal::Append({.Program = place.Program,
                            .Port = place.Port,
                            .Speed = place.Speed,
                            .Address = place.Address,
                            .Serial = serial,
                            .Operation = operation,
                            .Image = image,
                            .Backup = copy,
                            .Outcome = outcome.empty() && Exit ? Journal::WordForExit(*Exit) : outcome,
                            .Written = written,
                            .Attempts = attempts,
                            .Exit = Exit});
}

void TGuard::ConfigurationRead(const Outcome::TReadOutcome& Read) {
    if (Read.Succeeded())
        change.Read(Read.Record);
    front.ConfigurationRead(Read);
}

bool TGuard::BeforeChange(const PtnLL::TCfgStruct& Current) {
    return change.Save(Current) && front.BeforeChange(Current);
}

std::vector<std::string> WrittenNames(const std::vector<Outcome::TWritten>& Written) {
    std::vector<std::string> names;
    std::transform(Written.begin(), Written.end(), std::back_inserter(names),
                   [](const Outcome::TWritten& w) { return std::string(w.Name); });
    return names;
}

} // namespace Safeguard
