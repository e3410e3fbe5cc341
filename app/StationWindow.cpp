#include "app/StationWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/JournalPage.h"
#include "app/ReportBox.h"
#include "app/RestoreDialog.h"
#include "app/StationCells.h"
#include "app/WindowTexts.h"
#include "app/fMain.h"
#include "serial/LineSettings.h"
#include "service/Backup.h"
#include "service/ConfigPage.h"
#include "service/Lists.h"
#include "service/Restore.h"
#include "service/Safeguard.h"
#include "service/StationTasks.h"
#include "service/Texts.h"

namespace StationWindow {
namespace {

using ReportBox::MbOk;
using ReportBox::MbOkCancel;
using ReportBox::ShowMessageBox;

constexpr int kWidth = 780, kHeight = 540;
constexpr int kShortestLimitMs = 20;
constexpr int kUpdateAttempts = 3; // update attempts in all, when its check box asks for repeats
constexpr uint32_t kDefaultSpeed = 9600;
const char* const kAllAddresses = "1-254";

QString Utf8(const char* Text) {
    return QString::fromUtf8(Text);
}

QString Utf8(const std::string& Text) {
    return QString::fromStdString(Text);
}

QString Joined(const std::vector<int>& Numbers) {
    QStringList text;
    for (const int n : Numbers)
        text << QString::number(n);
    return text.join(QLatin1Char(','));
}

Scan::TOpenLine Opener(StationLine::TStationLine& Line) {
    return [&Line](uint32_t Speed) -> Connection::TConnection& { return Line.Open(Speed); };
}

} // namespace

TStationWindow::TStationWindow(fMain::TForm1& Main)
    : QWidget(nullptr, Qt::Window), main(Main),
      runner(std::make_unique<StationRunner::TStationRunner>(
          *this, Main.TrafficRecord(), [this](int Probed, int Total, std::vector<Scan::TController> SoFar) {
              ShowProgress(Probed, Total, std::move(SoFar));
          })) {
    setObjectName(QStringLiteral("StationWindow"));
    setWindowTitle(Utf8(WindowTexts::kStationTitle));
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kWidth, kHeight);

    noPort = new QLabel(Utf8(WindowTexts::kOpenPortFirst), this);
    noPort->setObjectName(QStringLiteral("lNoPort"));

    // The controllers tab: the fields of a scan, the scan's progress and what it found.
    auto* controllers = new QWidget;
    controllers->setObjectName(QStringLiteral("TabControllers"));
    addresses = new QLineEdit(Utf8(kAllAddresses), controllers);
    addresses->setObjectName(QStringLiteral("vAddresses"));
    const uint32_t speed = main.IsConnected() ? main.LineSettings().Speed : kDefaultSpeed;
    auto* speedRow = new QHBoxLayout;
    for (const uint32_t s : Connection::kWindowSpeeds) {
        auto* box = new QCheckBox(QString::number(s), controllers);
        box->setObjectName(QStringLiteral("cbSpeed%1").arg(s));
        box->setChecked(s == speed);
        speeds.push_back(box);
        speedRow->addWidget(box);
    }
    allSpeeds = new QPushButton(Utf8(WindowTexts::kAllSpeeds), controllers);
    allSpeeds->setObjectName(QStringLiteral("bAllSpeeds"));
    connect(allSpeeds, &QPushButton::clicked, this, [this] {
        for (QCheckBox* box : speeds)
            box->setChecked(true);
    });
    speedRow->addWidget(allSpeeds);
    speedRow->addStretch();
    answerTimeout = new QSpinBox(controllers);
    answerTimeout->setObjectName(QStringLiteral("seAnswerTimeout"));
    answerTimeout->setRange(kShortestLimitMs, static_cast<int>(LineSettings::kReadTotal));
    answerTimeout->setValue(static_cast<int>(LineSettings::kReadTotal));
    answerTimeout->setMinimumWidth(answerTimeout->fontMetrics().horizontalAdvance(QStringLiteral("0000")) *
                                   2);
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(Utf8(WindowTexts::kAddressesField), controllers), 0, 0);
    fields->addWidget(addresses, 0, 1);
    fields->addWidget(new QLabel(Utf8(WindowTexts::kSpeedsField), controllers), 1, 0);
    fields->addLayout(speedRow, 1, 1);
    fields->addWidget(new QLabel(Utf8(WindowTexts::kAnswerTimeoutField), controllers), 2, 0);
    auto* limitRow = new QHBoxLayout;
    limitRow->addWidget(answerTimeout);
    limitRow->addStretch();
    fields->addLayout(limitRow, 2, 1);

    findButton = new QPushButton(Utf8(WindowTexts::kFind), controllers);
    findButton->setObjectName(QStringLiteral("bFind"));
    stopButton = new QPushButton(Utf8(WindowTexts::kStop), controllers);
    stopButton->setObjectName(QStringLiteral("bStop"));
    progress = new QProgressBar(controllers);
    progress->setObjectName(QStringLiteral("pbProbed"));
    progress->setFormat(Utf8(WindowTexts::kProbedFormat));
    progress->setValue(0);
    progress->setTextVisible(false); // until the first scan
    status = new QLabel(controllers);
    status->setObjectName(QStringLiteral("lStatus"));
    auto* scanRow = new QHBoxLayout;
    scanRow->addWidget(findButton);
    scanRow->addWidget(stopButton);
    scanRow->addWidget(progress, 1);

    table = StationCells::Table(controllers, "vControllers", WindowTexts::kControllerColumns);
    connect(table, &QTableWidget::cellDoubleClicked, this, [this] { WorkWith(); });

    workWith = new QPushButton(Utf8(WindowTexts::kWorkWith), controllers);
    workWith->setObjectName(QStringLiteral("bWorkWith"));
    saveAll = new QPushButton(Utf8(WindowTexts::kSaveAll), controllers);
    saveAll->setObjectName(QStringLiteral("bSaveAll"));
    restore = new QPushButton(Utf8(WindowTexts::kRestoreAll), controllers);
    restore->setObjectName(QStringLiteral("bRestore"));
    auto* tableRow = new QHBoxLayout;
    tableRow->addWidget(workWith);
    tableRow->addStretch();
    tableRow->addWidget(saveAll);
    tableRow->addWidget(restore);

    auto* controllersLayout = new QVBoxLayout(controllers);
    controllersLayout->addLayout(fields);
    controllersLayout->addLayout(scanRow);
    controllersLayout->addWidget(status);
    controllersLayout->addWidget(table, 1);
    controllersLayout->addLayout(tableRow);

    journalPage = new JournalPage::TJournalPage([this] {
        const Scan::TController* chosen = Selected();
        return chosen ? chosen->Config.SerialNo : std::string();
    });

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("vStationPages"));
    pages->addTab(controllers, Utf8(WindowTexts::kControllersTab));
    pages->addTab(journalPage, Utf8(WindowTexts::kJournalTab));

    // Checked at every start; the choice holds for this run only.
    safetyCopies = new QCheckBox(Utf8(WindowTexts::kSafetyCopies), this);
    safetyCopies->setObjectName(QStringLiteral("cbSafetyCopies"));
    safetyCopies->setChecked(true);
    connect(safetyCopies, &QCheckBox::toggled, this, [this](bool On) { main.SetSafetyCopies(On); });
    // Unchecked at every start, like the one above it checked.
    retryUpdate = new QCheckBox(Utf8(WindowTexts::kRetryUpdate), this);
    retryUpdate->setObjectName(QStringLiteral("cbRetryUpdate"));
    connect(retryUpdate, &QCheckBox::toggled, this,
            [this](bool On) { main.SetUpdateAttempts(On ? kUpdateAttempts : 1); });

    folderDialog = new QFileDialog(this, Utf8(WindowTexts::kChooseFolder));
    folderDialog->setObjectName(QStringLiteral("FolderDialog"));
    folderDialog->setFileMode(QFileDialog::Directory);
    folderDialog->setOption(QFileDialog::ShowDirsOnly, true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noPort);
    layout->addWidget(pages, 1);
    auto* choices = new QHBoxLayout;
    choices->addWidget(safetyCopies);
    choices->addSpacing(safetyCopies->fontMetrics().averageCharWidth() * 4);
    choices->addWidget(retryUpdate);
    choices->addStretch();
    layout->addLayout(choices);

    connect(findButton, &QPushButton::clicked, this, &TStationWindow::Find);
    connect(stopButton, &QPushButton::clicked, this, &TStationWindow::Stop);
    connect(workWith, &QPushButton::clicked, this, &TStationWindow::WorkWith);
    connect(saveAll, &QPushButton::clicked, this, &TStationWindow::SaveAll);
    connect(restore, &QPushButton::clicked, this, &TStationWindow::RestoreFolder);
    connect(journalPage, &JournalPage::TJournalPage::UndoAsked, this, &TStationWindow::Undo);
    connect(table, &QTableWidget::itemSelectionChanged, journalPage,
            &JournalPage::TJournalPage::SelectionChanged);
    connect(pages, &QTabWidget::currentChanged, this, &TStationWindow::ShowJournal);
    connect(&main, &fMain::TForm1::ConnectionChanged, this, &TStationWindow::ShowConnection);

    SetBusy(false);
    ShowJournal();
}

TStationWindow::~TStationWindow() = default;

void TStationWindow::closeEvent(QCloseEvent* Event) {
    // The operation under way is asked to stop; the window closes once it has.
    if (Busy()) {
        runner->Stop();
        closing = true;
        Event->ignore();
        return;
    }
    QWidget::closeEvent(Event);
}

void TStationWindow::Run(StationRunner::TStationRunner::TTask Task, std::function<void()> Done,
                         bool Changes) {
    const Connection::TSettings working = main.LineSettings();
    main.Lend();
    SetBusy(true);
    runner->Run(working, std::move(Task),
                [this, Done = std::move(Done), working, Changes](const std::optional<std::string>& Failure) {
                    main.GiveBack(working.Speed, working.Address, Changes);
                    SetBusy(false);
                    ShowControllers();
                    ShowJournal();
                    if (Failure)
                        ShowMessageBox(WindowTexts::kPortLost + *Failure, Texts::kErrorCaption, MbOk);
                    else
                        Done();
                    if (closing && !Busy())
                        close();
                });
}

void TStationWindow::SetBusy(bool On) {
    const bool connected = main.IsConnected() || On;
    noPort->setVisible(!connected);
    for (QWidget* control : std::initializer_list<QWidget*>{addresses, allSpeeds, answerTimeout, table,
                                                            safetyCopies, retryUpdate})
        control->setEnabled(!On);
    for (QCheckBox* box : speeds)
        box->setEnabled(!On);
    for (QPushButton* button : {findButton, workWith, saveAll, restore})
        button->setEnabled(!On && connected);
    stopButton->setEnabled(On);
    journalPage->SetEnabled(!On, !On && connected);
}

void TStationWindow::ShowConnection(bool) {
    if (!Busy())
        SetBusy(false);
}

std::optional<Scan::TRequest> TStationWindow::Request() {
    const auto list = Lists::Addresses(addresses->text().trimmed().toStdString());
    if (!list) {
        ShowMessageBox(WindowTexts::kBadAddresses, Texts::kMessageCaption, MbOk);
        return std::nullopt;
    }
    Scan::TRequest request{
        .Speeds = {}, .Addresses = *list, .AnswerTimeoutMs = static_cast<uint32_t>(answerTimeout->value())};
    for (std::size_t i = 0; i < speeds.size(); ++i)
        if (speeds[i]->isChecked())
            request.Speeds.push_back(Connection::kWindowSpeeds[i]);
    if (request.Speeds.empty()) {
        ShowMessageBox(WindowTexts::kNoSpeed, Texts::kMessageCaption, MbOk);
        return std::nullopt;
    }
    return request;
}

void TStationWindow::Find() {
    const std::optional<Scan::TRequest> request = Request();
    if (!request)
        return;
    found.clear();
    ShowControllers();
    status->clear();
    progress->setRange(0, static_cast<int>(request->Speeds.size() * request->Addresses.size()));
    progress->setValue(0);
    progress->setTextVisible(true);
    auto scanned = std::make_shared<Scan::TFound>();
    Run(
        [request = *request, scanned](StationLine::TStationLine& Line, Scan::TScanObserver& Front) {
            *scanned = Scan::Run(Opener(Line), request, Front);
        },
        [this, scanned] {
            found = scanned->Controllers;
            ShowControllers();
            status->setText((scanned->Interrupted ? Utf8(WindowTexts::kStopped) : QString()) +
                            Utf8(WindowTexts::kFound) + QString::number(found.size()));
        },
        false);
}

void TStationWindow::Stop() {
    runner->Stop();
}

void TStationWindow::ShowProgress(int Probed, int Total, std::vector<Scan::TController> SoFar) {
    progress->setRange(0, Total);
    progress->setValue(Probed);
    if (SoFar.size() != found.size() ||
        !std::equal(SoFar.begin(), SoFar.end(), found.begin(),
                    [](const Scan::TController& a, const Scan::TController& b) {
                        return a.Speed == b.Speed && a.Addresses == b.Addresses &&
                               a.Config.SerialNo == b.Config.SerialNo;
                    })) {
        found = std::move(SoFar);
        ShowControllers();
    }
}

void TStationWindow::ShowControllers() {
    const Scan::TController* chosen = Selected();
    const std::string selected = chosen ? chosen->Config.SerialNo : "";
    table->setRowCount(static_cast<int>(found.size()));
    for (std::size_t i = 0; i < found.size(); ++i) {
        const Scan::TController& c = found[i];
        const std::optional<std::string> copy = Backup::NewestSafetyCopy(c.Config.SerialNo);
        const QString cells[] = {QString::number(c.Speed),
                                 Joined(c.Addresses),
                                 Utf8(c.Config.SerialNo),
                                 Utf8(c.Config.FwVersion),
                                 QString::fromLatin1(ConfigPage::ElectronicsName(c.Config)),
                                 copy ? StationCells::Local(*copy) : Utf8(WindowTexts::kNoCopy)};
        for (int column = 0; column < static_cast<int>(std::size(cells)); ++column)
            table->setItem(static_cast<int>(i), column, new QTableWidgetItem(cells[column]));
        if (c.Config.SerialNo == selected)
            table->selectRow(static_cast<int>(i));
    }
}

const Scan::TController* TStationWindow::Selected() const {
    const int row = table->currentRow();
    if (row < 0 || row >= static_cast<int>(found.size()) || !table->item(row, 0) ||
        !table->item(row, 0)->isSelected())
        return nullptr;
    return &found[static_cast<std::size_t>(row)];
}

const Scan::TController* TStationWindow::Found(const std::string& Serial) const {
    const auto controller = std::find_if(
        found.begin(), found.end(), [&](const Scan::TController& c) { return c.Config.SerialNo == Serial; });
    return controller == found.end() ? nullptr : &*controller;
}

void TStationWindow::WorkWith() {
    const Scan::TController* controller = Selected();
    if (!controller || !main.IsConnected() || Busy())
        return;
    main.Lend();
    main.GiveBack(controller->Speed, controller->Addresses.front(), false);
}

std::string TStationWindow::AskFolder() {
    if (folderDialog->exec() != QDialog::Accepted || folderDialog->selectedFiles().isEmpty())
        return "";
    // As the system writes it: C:\Station on Windows, where Qt hands it over with a slash.
    return QDir::toNativeSeparators(folderDialog->selectedFiles().constFirst()).toStdString();
}

void TStationWindow::SaveAll() {
    if (found.empty()) {
        ShowMessageBox(WindowTexts::kFindFirst, Texts::kMessageCaption, MbOk);
        return;
    }
    const std::string folder = AskFolder();
    if (folder.empty())
        return;
    auto saved = std::make_shared<std::vector<StationTasks::TSaved>>();
    Run(
        [controllers = found, folder, saved](StationLine::TStationLine& Line, Scan::TScanObserver& Front) {
            *saved = StationTasks::SaveAll(Opener(Line), controllers, folder, Front);
        },
        [this, saved, folder] {
            const auto succeeded = std::count_if(saved->begin(), saved->end(),
                                                 [](const StationTasks::TSaved& s) { return s.Succeeded(); });
            std::string text = WindowTexts::kSavedCount + std::to_string(succeeded) + WindowTexts::kOf +
                               std::to_string(found.size()) + WindowTexts::kInFolder + folder + ".";
            if (static_cast<std::size_t>(succeeded) < found.size())
                text += std::string("\n") + WindowTexts::kNotSaved;
            for (const StationTasks::TSaved& s : *saved) {
                if (!s.Read.Succeeded())
                    text += "\n" + s.Controller.Config.SerialNo + ": " + Texts::kReadFailed +
                            Texts::Reason(s.Read.Reason);
                else if (s.Saved.Problem)
                    text += "\n" + s.Controller.Config.SerialNo + ": " + *s.Saved.Problem;
            }
            for (std::size_t i = saved->size(); i < found.size(); ++i)
                text += "\n" + found[i].Config.SerialNo + ": " + WindowTexts::kStoppedEnd;
            ShowMessageBox(text, Texts::kMessageCaption, MbOk);
        },
        false);
}

void TStationWindow::RestoreFolder() {
    std::optional<Scan::TRequest> request;
    if (found.empty() && !(request = Request()))
        return;
    const std::string folder = AskFolder();
    if (folder.empty())
        return;
    struct TPrepared {
        std::optional<Scan::TFound> Scanned;
        Restore::TPlan Plan;
        std::vector<StationTasks::TPreview> Previews;
    };
    auto prepared = std::make_shared<TPrepared>();
    Run(
        [controllers = found, request, folder, prepared](StationLine::TStationLine& Line,
                                                         Scan::TScanObserver& Front) {
            std::vector<Scan::TController> list = controllers;
            if (request) {
                prepared->Scanned = Scan::Run(Opener(Line), *request, Front);
                list = prepared->Scanned->Controllers;
            }
            prepared->Plan = Restore::Match(folder, list);
            if (!prepared->Plan.Problem)
                prepared->Previews = StationTasks::Preview(Opener(Line), prepared->Plan.Pairs, Front);
        },
        [this, prepared] {
            if (prepared->Scanned) {
                found = prepared->Scanned->Controllers;
                ShowControllers();
            }
            if (prepared->Plan.Problem) {
                ShowMessageBox(*prepared->Plan.Problem, Texts::kErrorCaption, MbOk);
                return;
            }
            if (runner->Stopped())
                return;
            if (found.empty()) {
                ShowMessageBox(Texts::kNothingFound, Texts::kMessageCaption, MbOk);
                return;
            }
            if (prepared->Plan.Pairs.empty()) {
                ShowMessageBox(Texts::kNoneToRestore, Texts::kMessageCaption, MbOk);
                return;
            }
            std::vector<std::string> notOnLine;
            for (const std::string& serial : prepared->Plan.NotOnLine)
                notOnLine.push_back(serial + ".json");
            RestoreDialog::TRestoreDialog dialog(this, prepared->Previews, notOnLine, prepared->Plan.NoFile);
            if (dialog.exec() != QDialog::Accepted)
                return;
            std::vector<Restore::TPair> chosen;
            for (const std::size_t i : dialog.Chosen())
                chosen.push_back(prepared->Previews[i].Pair);
            if (!chosen.empty())
                RestorePairs(std::move(chosen));
        },
        false);
}

void TStationWindow::RestorePairs(std::vector<Restore::TPair> Pairs) {
    auto lines = std::make_shared<std::vector<std::string>>();
    const bool copies = safetyCopies->isChecked();
    const std::string port = main.LineSettings().Port;
    Run(
        [Pairs = std::move(Pairs), lines, copies, port](StationLine::TStationLine& Line,
                                                        Scan::TScanObserver& Front) {
            for (const Restore::TPair& pair : Pairs) {
                if (Front.StopRequested())
                    break;
                Safeguard::TChange change({.Program = Journal::kWindowProgram,
                                           .Port = port,
                                           .Speed = pair.Controller.Speed,
                                           .Address = pair.Controller.Addresses.front()},
                                          "restore", copies);
                change.Read(pair.Controller.Config);
                const Restore::TRestored restored = Restore::One(Opener(Line), pair, change, Front);
                change.Ended(restored.Word(), restored.Succeeded()
                                                  ? std::vector<std::string>{}
                                                  : Safeguard::WrittenNames(restored.Outcome.Written));
                change.Record();
                std::string line = RestoreDialog::EndedLine(pair, restored);
                if (const auto& failure = change.Failure())
                    line += failure->Problem.value_or("");
                lines->push_back(line);
            }
        },
        [this, lines] { ShowRestored(*lines); }, true);
}

void TStationWindow::ShowRestored(const std::vector<std::string>& Lines) {
    std::string text;
    for (const std::string& line : Lines)
        text += (text.empty() ? "" : "\n") + line;
    if (!text.empty())
        ShowMessageBox(text, Texts::kMessageCaption, MbOk);
}

void TStationWindow::ShowJournal() {
    journalPage->Show();
}

void TStationWindow::Undo() {
    const std::optional<Journal::TEntry> chosen = journalPage->Chosen();
    if (!chosen)
        return;
    const Journal::TEntry& entry = *chosen;
    if (!entry.Backup) {
        ShowMessageBox(WindowTexts::kNoCopyInLine, Texts::kMessageCaption, MbOk);
        return;
    }
    const Scan::TController* controller = Found(entry.Serial.value_or(""));
    if (!controller) {
        ShowMessageBox(Utf8(WindowTexts::kNotInTable).arg(Utf8(entry.Serial.value_or(""))).toStdString(),
                       Texts::kMessageCaption, MbOk);
        return;
    }
    auto preview = std::make_shared<std::vector<StationTasks::TPreview>>();
    Run([pair = Restore::Pair(*controller, *entry.Backup), preview](
            StationLine::TStationLine& Line,
            Scan::TScanObserver& Front) { *preview = StationTasks::Preview(Opener(Line), {pair}, Front); },
        [this, preview, entry = *chosen] {
            if (preview->empty())
                return;
            const StationTasks::TPreview& one = preview->front();
            if (!one.Pair.Config) {
                ShowMessageBox(one.Pair.Problem, Texts::kErrorCaption, MbOk);
                return;
            }
            if (!one.Read.Succeeded()) {
                ShowMessageBox(Texts::kReadFailed + Texts::Reason(one.Read.Reason), Texts::kErrorCaption,
                               MbOk);
                return;
            }
            if (one.Differences.empty()) {
                ShowMessageBox(WindowTexts::kUndoNothing, Texts::kMessageCaption, MbOk);
                return;
            }
            QString question =
                Utf8(WindowTexts::kUndoQuestion).arg(StationCells::Local(entry.Time), Utf8(*entry.Serial));
            for (const ConfigFile::TDifference& d : one.Differences)
                question += QStringLiteral("\n    ") + RestoreDialog::FieldLine(d, WindowTexts::kInCopy);
            if (ShowMessageBox(question.toStdString(), WindowTexts::kQuestionCaption, MbOkCancel) ==
                ReportBox::IdOk)
                RestorePairs({one.Pair});
        },
        false);
}

} // namespace StationWindow
