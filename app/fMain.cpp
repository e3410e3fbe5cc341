#include "app/fMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>
#include <charconv>
#include <functional>
#include <stdexcept>
#include <vector>

#include "app/FirmwareWindow.h"
#include "app/ReportBox.h"
#include "app/StationWindow.h"
#include "app/TrafficWindow.h"
#include "app/WindowTexts.h"
#include "app/app_wait.h"
#include "link/uDispenser.h"
#include "protocol/PtnLL.h"
#include "serial/MyCOMM.h"
#include "service/Connection.h"
#include "service/FirmwarePage.h"
#include "service/FirmwareUpdate.h"
#include "service/Journal.h"
#include "service/Operations.h"
#include "service/Safeguard.h"
#include "service/Texts.h"
#include "trace/TraceLog.h"
#include "ui_fMain.h"

namespace fMain {
namespace {

using ReportBox::IdCancel;
using ReportBox::IdOk;
using ReportBox::MbOk;
using ReportBox::MbOkCancel;
using ReportBox::ShowMessageBox;

// The traffic window keeps this many of the latest writes and reads: a firmware update of 64 KiB
// makes about 4000.
constexpr std::size_t kTrafficChunks = 20000;

using Texts::kErrorCaption;
using Texts::kMessageCaption;

QString Text(const char* Utf8) {
    return QString::fromUtf8(Utf8);
}

// Runs a handler; whatever escapes it is shown in an error box instead of reaching the event loop.
void RunReported(const std::function<void()>& Handler) {
    try {
        Handler();
    } catch (const std::exception& failure) {
        ShowMessageBox(failure.what(), kErrorCaption, MbOk);
    } catch (...) {
        ShowMessageBox(WindowTexts::kInternalError, kErrorCaption, MbOk);
    }
}

// The speed box's text as an integer; anything else fails the click before the port is touched.
uint32_t LineSpeed(const QString& Text) {
    const std::string text = Text.trimmed().toStdString();
    int32_t speed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), speed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw std::invalid_argument("'" + Text.toStdString() + "' is not a valid integer value");
    }
    return static_cast<uint32_t>(speed);
}

std::unique_ptr<app_wait::TProgressWindow> OpenWait(QWidget* Owner) {
    auto wait = std::make_unique<app_wait::TProgressWindow>(Owner, false);
    wait->SetState(Text(Texts::kWait), 0);
    return wait;
}

} // namespace

TForm1::TForm1(QWidget* Parent)
    : QWidget(Parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TForm1>()), TrafficLog(std::make_unique<LineTrace::TTraceLog>(kTrafficChunks)),
      FirmwareWindow(std::make_unique<FirmwareWindow::TFirmwareWindow>(*this)) {
    ui->setupUi(this);
    setFixedSize(size());
    // The station's and the traffic window's buttons sit in the empty right end of the pages' tab
    // row, no taller than the tabs, so no control of the window moves; they take no focus, so the
    // tab order stays as it is. Their function keys are the same on every keyboard layout,
    // Cyrillic included.
    const int tabHeight = ui->vPages->tabBar()->sizeHint().height() - 2;
    auto* corner = new QWidget(ui->vPages);
    auto* buttons = new QHBoxLayout(corner);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    const auto cornerButton = [&](const char* Name, const char* Caption, const char* Tip, Qt::Key Key,
                                  void (TForm1::*Show)()) {
        auto* button = new QToolButton(corner);
        button->setObjectName(QLatin1String(Name));
        button->setText(Text(Caption));
        button->setToolTip(Text(Tip));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        button->setFixedHeight(tabHeight);
        buttons->addWidget(button);
        connect(button, &QToolButton::clicked, this, Show);
        connect(new QShortcut(QKeySequence(Key), this), &QShortcut::activated, this, Show);
    };
    cornerButton("bStation", WindowTexts::kStationButton, WindowTexts::kStationTip, Qt::Key_F11,
                 &TForm1::ShowStation);
    cornerButton("bTraffic", WindowTexts::kTrafficButton, WindowTexts::kTrafficTip, Qt::Key_F12,
                 &TForm1::ShowTraffic);
    ui->vPages->setCornerWidget(corner, Qt::TopRightCorner);
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    ReportBox::SetMainWindow(this);

    const auto bind = [this](QAbstractButton* Button, void (TForm1::*Handler)()) {
        connect(Button, &QAbstractButton::clicked, this,
                [this, Handler] { RunReported([this, Handler] { (this->*Handler)(); }); });
    };
    bind(ui->bOpenClose, &TForm1::bOpenCloseClick);
    bind(ui->bGetConfig, &TForm1::bGetConfigClick);
    bind(ui->vSetConfig, &TForm1::vSetConfigClick);
    bind(ui->Button10, &TForm1::Button10Click);
    bind(ui->Button4, &TForm1::Button4Click);
    bind(ui->Button5, &TForm1::Button5Click);

    RunReported([this] { FormCreate(); });
    if (const QScreen* desktop = screen()) {
        move(desktop->availableGeometry().center() - rect().center());
    }
}

TForm1::~TForm1() = default;

void TForm1::changeEvent(QEvent* Event) {
    if (Event->type() == QEvent::ActivationChange && isActiveWindow()) {
        RunReported([this] { FormActivate(); });
    }
    QWidget::changeEvent(Event);
}

void TForm1::FormCreate() {
    Activated = false;
    ui->bComSpeed->setCurrentIndex(3); // "9600"
    std::vector<std::string> ports;
    MyCOMM::ListComPorts(ports);
    ui->vCOMSelect->clear();
    ConfigRead = false;
    Image.ImageChosen = false;
    ui->Label18->clear();
    // The port box lists its names sorted, letter case ignored.
    QStringList names;
    for (const std::string& port : ports) {
        names.append(QString::fromStdString(port));
    }
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    ui->vCOMSelect->addItems(names);
    ui->vCOMSelect->setCurrentIndex(0);
}

void TForm1::FormActivate() {
    if (Activated) {
        return;
    }
    Activated = true;
    ui->bOpenClose->setText(Text(WindowTexts::kOpen));
    setWindowTitle(Text(WindowTexts::kWindowTitle));
    ui->Label2->setText(Text(WindowTexts::kPortLabel));
    ui->Label1->setText(Text(WindowTexts::kSpeedLabel));
    ui->Label7->setText(Text(WindowTexts::kAddressLabel));
    ui->vPages->setTabText(ui->vPages->indexOf(ui->TabSheet2), Text(WindowTexts::kConfigurationTab));
    ui->vPages->setTabText(ui->vPages->indexOf(ui->TabSheet3), Text(WindowTexts::kFirmwareTab));
}

void TForm1::bOpenCloseClick() {
    if (Connected) {
        CloseLine();
        return;
    }
    const uint32_t speed = LineSpeed(ui->bComSpeed->currentText());
    const QString portName = ui->vCOMSelect->currentText();
    if (portName.isEmpty()) {
        ShowMessageBox(WindowTexts::kNoPortChosen, kErrorCaption, MbOk);
        return;
    }
    OpenLine({.Port = portName.toStdString(), .Speed = speed, .Address = ui->vTRKAddr->Value()});
}

void TForm1::OpenLine(const Connection::TSettings& Settings) {
    try {
        Opened = Settings;
        Line.emplace(Settings, TrafficLog.get());
        Commands().OnAddressChanged = [this](int32_t Address) { ui->vTRKAddr->setValue(Address); };
        Engine().OnCrcMismatch = [](const std::string& Text) { ReportBox::ShowOwnerlessBox(Text, "", MbOk); };
    } catch (...) {
        Line.reset();
        ShowMessageBox(Texts::kPortUnavailable, kErrorCaption, MbOk);
        return;
    }
    ui->bOpenClose->setText(Text(WindowTexts::kClose));
    ui->vPages->setEnabled(true);
    Connected = true;
    emit ConnectionChanged(true);
}

void TForm1::CloseLine() {
    Line.reset();
    ui->vPages->setEnabled(false);
    ui->bOpenClose->setText(Text(WindowTexts::kOpen));
    Connected = false;
    ConfigRead = false;
    emit ConnectionChanged(false);
}

Connection::TSettings TForm1::LineSettings() const {
    return {
        .Port = Opened.Port, .Speed = Opened.Speed, .Address = Line ? Commands().Address : Opened.Address};
}

void TForm1::Lend() {
    Opened = LineSettings();
    Lent = true;
    Line.reset();
    setEnabled(false);
}

void TForm1::GiveBack(uint32_t Speed, int32_t Address, bool Changed) {
    Lent = false;
    setEnabled(true);
    // The page no longer shows what the controller holds once another controller is chosen or this
    // one was changed: a save needs a read first again.
    if (Changed || Speed != Opened.Speed || Address != Opened.Address)
        ConfigRead = false;
    ui->bComSpeed->setCurrentText(QString::number(Speed));
    ui->vTRKAddr->setValue(Address);
    OpenLine({.Port = Opened.Port, .Speed = Speed, .Address = Address});
    if (!Line)
        CloseLine();
}

void TForm1::SetSafetyCopies(bool On) {
    SafetyCopies = On;
}

void TForm1::SetUpdateAttempts(int Attempts) {
    UpdateAttempts = Attempts;
}

void TForm1::closeEvent(QCloseEvent* Event) {
    // A station operation holds the line: the window closes once it has ended.
    if (Lent) {
        Event->ignore();
        return;
    }
    QWidget::closeEvent(Event);
}

ConfigPage::TPageValues TForm1::PageValues() const {
    ConfigPage::TPageValues page;
    page.Addr1 = ui->seAddr1->Value();
    page.Addr2 = ui->seAddr2->Value();
    page.NoFillTO1 = ui->seNoFillTO1->Value();
    page.NoFillTO2 = ui->seNoFillTO2->Value();
    page.Price = ui->sePrice->Value();
    page.NoMaster = ui->seNoMaster->Value();
    page.MinVoltage = ui->seMinVoltage->Value();
    page.AmoPoint = ui->seAmoPoint->Value();
    page.Recalc = ui->CheckBox1->isChecked();
    page.ElTypeItem = ui->ComboBox1->currentIndex();
    return page;
}

void TForm1::ShowPage(const ConfigPage::TPageValues& Page) {
    ui->seAddr1->setValue(Page.Addr1);
    ui->seAddr2->setValue(Page.Addr2);
    ui->seNoFillTO1->setValue(Page.NoFillTO1);
    ui->seNoFillTO2->setValue(Page.NoFillTO2);
    ui->sePrice->setValue(Page.Price);
    ui->seNoMaster->setValue(Page.NoMaster);
    ui->seMinVoltage->setValue(Page.MinVoltage);
    ui->seAmoPoint->setValue(Page.AmoPoint);
    ui->CheckBox1->setChecked(Page.Recalc);
    ui->ComboBox1->setCurrentIndex(Page.ElTypeItem);
}

void TForm1::ReadConfiguration(bool Announce) {
    ShowConfigurationRead(Operations::ReadConfiguration(Commands(), Observer::Quiet()).Succeeded(), Announce);
}

void TForm1::ShowUpdateRead(bool Ok) {
    // The update reads afresh: the page holds a configuration only if this read succeeded.
    ConfigRead = false;
    ShowConfigurationRead(Ok, false);
}

void TForm1::ShowConfigurationRead(bool Ok, bool Announce) {
    if (!Ok) {
        ShowMessageBox(ConfigPage::ReadFailureMessage(Commands().Errors), kErrorCaption, MbOk);
        return;
    }
    Held = Commands().Cfg;
    ShowPage(ConfigPage::PageFromRecord(Commands().Cfg));
    ui->Memo1->clear();
    for (const std::string& line : ConfigPage::MemoLines(Commands().Cfg)) {
        ui->Memo1->appendPlainText(QString::fromStdString(line));
    }
    ConfigRead = true;
    if (Announce) {
        ShowMessageBox(Texts::kConfigurationRead, kMessageCaption, MbOk);
    }
}

void TForm1::bGetConfigClick() {
    const auto wait = OpenWait(this);
    ReadConfiguration(true);
}

void TForm1::vSetConfigClick() {
    auto wait = OpenWait(this);
    if (!ConfigRead) {
        wait.reset();
        ShowMessageBox(WindowTexts::kReadBeforeSaving, kMessageCaption, MbOk);
        return;
    }
    const ConfigPage::TPageValues page = PageValues();
    if (page.Addr1 == page.Addr2) {
        wait.reset();
        ShowMessageBox(Texts::kAddressesMustDiffer, kMessageCaption, MbOk);
        return;
    }
    Safeguard::TChange change(Place(), "write", SafetyCopies);
    const std::optional<Outcome::TWriteOutcome> written =
        ConfigPage::SaveConfiguration(Commands(), page, Held, change);
    wait.reset();
    if (!written) {
        ShowMessageBox(Texts::CopyNotSaved(change.Failure()->Folder, change.Failure()->Problem.value_or("")),
                       kErrorCaption, MbOk);
    } else if (written->Succeeded()) {
        ShowMessageBox(Texts::kConfigurationSaved, kMessageCaption, MbOk);
    } else {
        ShowMessageBox(ConfigPage::WriteFailureMessage(Commands().Errors), kErrorCaption, MbOk);
    }
}

void TForm1::Button10Click() {
    if (ShowMessageBox(WindowTexts::kOneDispenserOnly, WindowTexts::kQuestionCaption, MbOkCancel) ==
        IdCancel) {
        return;
    }
    const Outcome::TAddressesOutcome addresses = Operations::QueryAddresses(Commands(), Observer::Quiet());
    if (!addresses.Succeeded()) {
        ShowMessageBox(Texts::kNoAddresses, kErrorCaption, MbOk);
        return;
    }
    if (ShowMessageBox(ConfigPage::AddressesQuestion(addresses.First, addresses.Second),
                       WindowTexts::kAddressesCaption, MbOkCancel) == IdOk) {
        Commands().Address = addresses.First;
        ui->vTRKAddr->setValue(addresses.First);
    }
}

void TForm1::Button5Click() {
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) {
        return;
    }
    const QString path = OpenDialog1->selectedFiles().constFirst();
    if (FirmwarePage::AcceptImageFile(path.toStdString(), Image, *FirmwareWindow)) {
        ImagePath = path.toStdString();
        // The path as the system writes it: C:\Firmware\... on Windows, where Qt hands it over with '/'.
        ui->Label18->setText(Text(WindowTexts::kImageFile) + QDir::toNativeSeparators(path));
    }
}

void TForm1::Button4Click() {
    Safeguard::TChange change(Place(), "update", SafetyCopies);
    change.SetImage(Journal::ImageOf(ImagePath, Image));
    FirmwarePage::StartUpdate(Image, Commands(), Engine(), *FirmwareWindow, &change, UpdateAttempts);
}

Safeguard::TPlace TForm1::Place() const {
    return {.Program = Journal::kWindowProgram,
            .Port = Opened.Port,
            .Speed = Opened.Speed,
            .Address = Commands().Address};
}

void TForm1::Button8Click() {
    FirmwarePage::TransferBlocks(Image, Engine(), *FirmwareWindow);
}

bool TForm1::ProbeUpdateMode() {
    return FirmwareUpdate::ProbeUpdateMode(Engine());
}

void TForm1::bGetStateClick() {
    Commands().GetState();
}

void TForm1::bAuthClick() {
    Commands().Auth();
}

void TForm1::bStopClick() {
    Commands().Stop();
}

void TForm1::bGetAmountClick() {
    Commands().GetAmount(4);
}

void TForm1::bGetSummClick() {
    Commands().GetSumm(1, 1);
}

void TForm1::bResetClick() {
    Commands().Reset();
}

void TForm1::Button3Click() {
    bGetConfigClick();
}

void TForm1::ShowTraffic() {
    if (!TrafficView) {
        TrafficView = std::make_unique<TrafficWindow::TTrafficWindow>(*TrafficLog);
    }
    TrafficView->show();
    TrafficView->raise();
    TrafficView->activateWindow();
}

void TForm1::ShowStation() {
    if (!StationView) {
        StationView = std::make_unique<StationWindow::TStationWindow>(*this);
    }
    StationView->show();
    StationView->raise();
    StationView->activateWindow();
}

// Published for the layout's history; no control is bound to them and they do nothing.
void TForm1::bTurnOffClick() {}
void TForm1::bGetIDClick() {}
void TForm1::bPollClick() {}
void TForm1::Button1Click() {}
void TForm1::Button2Click() {}

} // namespace fMain
