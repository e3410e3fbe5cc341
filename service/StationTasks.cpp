#include "service/StationTasks.h"

#include "service/Operations.h"

namespace StationTasks {
namespace {

Outcome::TReadOutcome ReadAt(const Scan::TOpenLine& Open, const Scan::TController& Controller,
                             Observer::TObserver& Front) {
    Connection::TConnection& line = Open(Controller.Speed);
    line.Commands().Address = Controller.Addresses.front();
    return Operations::ReadConfiguration(line.Commands(), Front);
}

} // namespace

std::vector<TSaved> SaveAll(const Scan::TOpenLine& Open, const std::vector<Scan::TController>& Controllers,
                            const std::string& Folder, Observer::TObserver& Front) {
    std::vector<TSaved> saved;
    for (const Scan::TController& controller : Controllers) {
        if (Front.StopRequested())
            break;
        TSaved one{controller, ReadAt(Open, controller, Front), {}};
        if (one.Read.Succeeded())
            one.Saved = Backup::SaveInFolder(Folder, one.Read.Record.SerialNo,
                                             ConfigFile::Encode(one.Read.Record) + "\n");
        saved.push_back(std::move(one));
    }
    return saved;
}

std::vector<TPreview> Preview(const Scan::TOpenLine& Open, const std::vector<Restore::TPair>& Pairs,
                              Observer::TObserver& Front) {
    std::vector<TPreview> previews;
    for (const Restore::TPair& pair : Pairs) {
        if (Front.StopRequested())
            break;
        TPreview preview{pair, {}, {}};
        if (pair.Config) {
            preview.Read = ReadAt(Open, pair.Controller, Front);
            if (preview.Read.Succeeded())
                preview.Differences = ConfigFile::Compare(pair.Config->Page, preview.Read.Record);
        }
        previews.push_back(std::move(preview));
    }
    return previews;
}

} // namespace StationTasks
