#pragma once
// The station window: every controller on the main window's line found by its state, backed up into
// a folder, each put back onto its own controller, and the journal of both programs with the undo
// of a change. Its operations run on a thread of their own, one exchange at a time, while the main
// window holds back (it has lent its line); the window stays responsive and its stop button ends an
// operation after the exchange under way.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/StationRunner.h"
#include "service/Restore.h"
#include "service/Scan.h"
#include "service/StationLine.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;

namespace fMain {
class TForm1;
}
namespace JournalPage {
class TJournalPage;
}

namespace StationWindow {

class TStationWindow : public QWidget {
    Q_OBJECT
public:
    explicit TStationWindow(fMain::TForm1& Main);
    ~TStationWindow() override;

    // An operation runs on the station's line.
    bool Busy() const { return runner->Busy(); }
    // The controllers in the table, as found.
    const std::vector<Scan::TController>& Controllers() const { return found; }

public slots:
    void Find();
    void Stop();
    // The main window's speed and address become the selected controller's.
    void WorkWith();
    void SaveAll();
    void RestoreFolder();
    // Puts the selected journal line's safety copy back onto its controller.
    void Undo();
    void ShowJournal();

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    // Runs Task on the worker thread with the main window's line; Done runs on this thread once
    // the line is back. Changes: the task may write to a controller.
    void Run(StationRunner::TStationRunner::TTask Task, std::function<void()> Done, bool Changes);
    void SetBusy(bool On);
    void ShowConnection(bool Connected);
    void ShowControllers();
    void ShowProgress(int Probed, int Total, std::vector<Scan::TController> SoFar);
    // The scan the fields ask for; none, with the box said, when they ask for none.
    std::optional<Scan::TRequest> Request();
    // The folder chosen in the dialog; empty when cancelled.
    std::string AskFolder();
    const Scan::TController* Selected() const;
    const Scan::TController* Found(const std::string& Serial) const;
    void RestorePairs(std::vector<Restore::TPair> Pairs);
    void ShowRestored(const std::vector<std::string>& Lines);

    fMain::TForm1& main;
    std::unique_ptr<StationRunner::TStationRunner> runner;
    bool closing = false;

    std::vector<Scan::TController> found;

    QLabel* noPort = nullptr;
    QTabWidget* pages = nullptr;
    QLineEdit* addresses = nullptr;
    std::vector<QCheckBox*> speeds;
    QPushButton* allSpeeds = nullptr;
    QSpinBox* answerTimeout = nullptr;
    QPushButton* findButton = nullptr;
    QPushButton* stopButton = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* status = nullptr;
    QTableWidget* table = nullptr;
    QPushButton* workWith = nullptr;
    QPushButton* saveAll = nullptr;
    QPushButton* restore = nullptr;
    QCheckBox* safetyCopies = nullptr;
    QCheckBox* retryUpdate = nullptr;
    JournalPage::TJournalPage* journalPage = nullptr;
    QFileDialog* folderDialog = nullptr;
};

} // namespace StationWindow
