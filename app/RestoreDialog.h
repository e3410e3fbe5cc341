#pragma once
// The restore dialog: what a folder of backups would do to the station before anything is written.
// Each controller that has a file is listed with the fields its file would change and a check
// box, checked where something differs; then the files whose controller is not on the line and the
// controllers without a file. Its accept button takes the checked ones; cancel writes nothing.

#include <QDialog>
#include <cstddef>
#include <string>
#include <vector>

#include "service/StationTasks.h"

class QTreeWidget;

namespace RestoreDialog {

// A field's value on the controller and in the file, as the window names the field.
QString FieldLine(const ConfigFile::TDifference& Difference, const char* Where);
QString FieldName(const std::string& Key);
// How one controller's restore ended, in a line of the result box.
std::string EndedLine(const Restore::TPair& Pair, const Restore::TRestored& Restored);

class TRestoreDialog : public QDialog {
    Q_OBJECT
public:
    TRestoreDialog(QWidget* Owner, const std::vector<StationTasks::TPreview>& Previews,
                   const std::vector<std::string>& NotOnLine, const std::vector<std::string>& NoFile);

    // The previews checked, by their place in the list given.
    std::vector<std::size_t> Chosen() const;

private:
    QTreeWidget* list = nullptr;
};

} // namespace RestoreDialog
