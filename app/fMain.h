#pragma once
// The main window: connection settings, the open/close button and the two pages, with the
// handlers the user starts every exchange from, and the message box every report goes through.

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "firmware/FirmwareImage.h"
#include "protocol/PtnLL.h"
#include "service/ConfigPage.h"
#include "service/Connection.h"

class QFileDialog;

namespace Ui {
class TForm1;
}
namespace LineTrace {
class TTraceLog;
}
namespace Safeguard {
struct TPlace;
}
namespace FirmwareWindow {
class TFirmwareWindow;
}
namespace TrafficWindow {
class TTrafficWindow;
}
namespace StationWindow {
class TStationWindow;
}
namespace uDispenser {
class TDispenserLL;
}

namespace fMain {

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* Parent = nullptr);
    ~TForm1() override;

    // Reads the configuration onto the page with up to six attempts and reports the outcome;
    // Announce false keeps the success quiet. ConfigRead tells whether it succeeded.
    void ReadConfiguration(bool Announce);
    bool ProbeUpdateMode();

    bool IsConnected() const { return Connected; }
    bool IsConfigRead() const { return ConfigRead; }
    // The connection's command protocol object; null while the port is closed.
    const PtnLL::TPtnLL* Protocol() const { return Line ? &Line->Commands() : nullptr; }
    // The configuration read an update makes: the page shows it, quietly, or reports its failure.
    void ShowUpdateRead(bool Ok);
    const FirmwareImage::TImageState& FirmwareState() const { return Image; }
    // The traffic window, made when it is first shown; null until then.
    TrafficWindow::TTrafficWindow* Traffic() const { return TrafficView.get(); }
    // The station window, made when it is first shown; null until then.
    StationWindow::TStationWindow* Station() const { return StationView.get(); }

    // What the station window needs of the main window. The line as it is held now: the port, the
    // speed, and the address the commands go to.
    Connection::TSettings LineSettings() const;
    // Every transfer of every connection, for the traffic window.
    LineTrace::TTraceLog& TrafficRecord() { return *TrafficLog; }
    // A station operation takes the line: the connection is closed, and the main window can start
    // no exchange and cannot be closed until the line is given back.
    void Lend();
    // The line back, opened at Speed with the commands at Address, which the speed and address
    // boxes then show; Changed: the operation wrote to a controller. When the port cannot be opened
    // again the window says so and stays closed.
    void GiveBack(uint32_t Speed, int32_t Address, bool Changed);
    // Whether a write or an update is preceded by a safety copy (the station window's check box).
    void SetSafetyCopies(bool On);
    // How many times the firmware page makes the update in all when a block fails (the station
    // window's check box).
    void SetUpdateAttempts(int Attempts);

public slots:
    void FormCreate();
    void FormActivate();
    void bOpenCloseClick();
    void bGetConfigClick();
    void vSetConfigClick();
    void Button10Click();
    void Button4Click();
    void Button5Click();
    void Button8Click();
    void bGetStateClick();
    void bAuthClick();
    void bStopClick();
    void bGetAmountClick();
    void bGetSummClick();
    void bResetClick();
    void Button3Click();
    void bTurnOffClick();
    void bGetIDClick();
    void bPollClick();
    void Button1Click();
    void Button2Click();
    // Shows the traffic window (F12, or the button at the right of the pages' tabs).
    void ShowTraffic();
    // Shows the station window (F11, or the button left of the traffic window's).
    void ShowStation();

signals:
    // The port was opened (true) or closed.
    void ConnectionChanged(bool Connected);

protected:
    void changeEvent(QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    // After a read: the page and Memo1 filled, ConfigRead set and Held taken, or the failure reported.
    void ShowConfigurationRead(bool Ok, bool Announce);
    // Where a change to the controller is made, for its journal line.
    Safeguard::TPlace Place() const;
    ConfigPage::TPageValues PageValues() const;
    // Makes the connection's objects with Settings, or says that the port cannot be opened.
    void OpenLine(const Connection::TSettings& Settings);
    void CloseLine();
    void ShowPage(const ConfigPage::TPageValues& Page);

    std::unique_ptr<Ui::TForm1> ui;
    QFileDialog* OpenDialog1 = nullptr;

    // Every transfer of every connection, for the traffic window; outlives the port that feeds it.
    std::unique_ptr<LineTrace::TTraceLog> TrafficLog;
    std::unique_ptr<TrafficWindow::TTrafficWindow> TrafficView;
    std::unique_ptr<StationWindow::TStationWindow> StationView;

    // The port, the command protocol object and the link engine, made in this order when the port
    // is opened and destroyed the other way round when it is closed.
    std::optional<Connection::TConnection> Line;
    PtnLL::TPtnLL& Commands() { return Line->Commands(); }
    const PtnLL::TPtnLL& Commands() const { return Line->Commands(); }
    uDispenser::TDispenserLL& Engine() { return Line->Engine(); }

    bool Connected = false;
    bool Lent = false; // a station operation holds the line
    bool ConfigRead = false;
    // The line as it was opened, for the journal.
    Connection::TSettings Opened;
    // The configuration the controller holds as far as this connection knows: the last read, with
    // every parameter a later write got through. The safety copy before a change is made of it,
    // never of the page's edited values.
    PtnLL::TCfgStruct Held;
    // Whether a change is preceded by a safety copy.
    bool SafetyCopies = true;
    int UpdateAttempts = 1;
    bool Activated = false;
    FirmwareImage::TImageState Image;
    std::string ImagePath; // the file Image came from
    std::unique_ptr<FirmwareWindow::TFirmwareWindow> FirmwareWindow;
};

} // namespace fMain
