#pragma once
// The station window's journal tab: the journal of both programs, newest first, narrowed to the
// controller selected in the station's table when asked, and the undo of the line chosen.

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "service/Journal.h"

class QCheckBox;
class QPushButton;
class QTableWidget;

namespace JournalPage {

class TJournalPage : public QWidget {
    Q_OBJECT
public:
    // SelectedSerial: the serial number of the controller selected in the station's table, or empty.
    explicit TJournalPage(std::function<std::string()> SelectedSerial);

    // The line chosen in the table, if any.
    std::optional<Journal::TEntry> Chosen() const;
    // Undo: whether the undo button may be pressed.
    void SetEnabled(bool Controls, bool Undo);

public slots:
    // Reads the journal again.
    void Show();
    // The station table's selection has changed.
    void SelectionChanged();

signals:
    void UndoAsked();

private:
    std::function<std::string()> selectedSerial;
    std::vector<Journal::TEntry> shownEntries; // the table's lines, newest first
    QTableWidget* journal = nullptr;
    QCheckBox* selectedOnly = nullptr;
    QPushButton* undo = nullptr;
};

} // namespace JournalPage
