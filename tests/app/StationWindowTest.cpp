// The station window against three simulated controllers on one line, driven as the engineer
// drives it: the scan finds exactly the controllers there and stops on "Стоп", the line comes back
// to the main window at its speed, "Сохранить все..." writes one file per controller, "Восстановить..."
// writes only the checked controllers and never a file onto another serial number, "Вернуть эту
// копию" puts a journal line's copy back, and "Работать с ним" moves the main window.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "app/StationWindow.h"
#include "service/ConfigFile.h"
#include "tests/support/WindowFixture.h"

namespace {

constexpr int kOperationMs = 30000;

sim::Controller At(uint8_t Addr1, const char* Serial, uint32_t LineSpeed = 0) {
    sim::Controller controller;
    controller.Config.Addr1 = Addr1;
    controller.Config.Addr2 = static_cast<uint8_t>(Addr1 + 1);
    controller.Config.SerialNo = Serial;
    controller.LineSpeed = LineSpeed;
    return controller;
}

class StationWindowTest : public WindowFixture::WindowTest {
protected:
    std::optional<sim::Options> SimOptions() const override {
        sim::Options options;
        options.Controllers = {At(3, "1111111111"), At(10, "2222222222"), At(20, "3333333333", 19200)};
        return options;
    }

    // Opens the port and the station window with F11.
    StationWindow::TStationWindow* OpenStation() {
        Open();
        Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        QTest::keyClick(Form.get(), Qt::Key_F11);
        StationWindow::TStationWindow* station = Form->Station();
        EXPECT_NE(station, nullptr);
        return station;
    }
    template <class T> T* In(StationWindow::TStationWindow* Station, const char* Name) {
        T* widget = Station->findChild<T*>(QString::fromLatin1(Name));
        EXPECT_NE(widget, nullptr) << Name;
        return widget;
    }
    void Press(StationWindow::TStationWindow* Station, const char* Name) {
        In<QPushButton>(Station, Name)->click();
    }
    void AwaitIdle(StationWindow::TStationWindow* Station) {
        QTRY_VERIFY_WITH_TIMEOUT(!Station->Busy(), kOperationMs);
    }
    // Scans Addresses at 9600 and 19200 with a short answer limit, to its end.
    void Scan(StationWindow::TStationWindow* Station, const char* Addresses = "1-25") {
        In<QLineEdit>(Station, "vAddresses")->setText(QString::fromLatin1(Addresses));
        In<QAbstractButton>(Station, "cbSpeed19200")->setChecked(true);
        In<QSpinBox>(Station, "seAnswerTimeout")->setValue(20);
        Press(Station, "bFind");
        AwaitIdle(Station);
    }
    // Answers the folder dialog of the button Name with Folder.
    void WithFolder(StationWindow::TStationWindow* Station, const char* Name, const QString& Folder) {
        auto* dialog = In<QFileDialog>(Station, "FolderDialog");
        QTimer::singleShot(0, dialog, [dialog, Folder] {
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(Folder);
            static_cast<QDialog*>(dialog)->accept();
        });
        Press(Station, Name);
    }
    // Clicks Button of the restore dialog as soon as it shows, after Choose has had its say.
    void AnswerRestoreDialog(const char* Button, std::function<void(QWidget*)> Choose = {}) {
        auto* poll = new QTimer(Form.get());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, Button, Choose] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() == QLatin1String("RestoreDialog") && window->isVisible()) {
                    poll->stop();
                    if (Choose)
                        Choose(window);
                    window->findChild<QPushButton*>(QString::fromLatin1(Button))->click();
                }
            }
        });
        poll->start(20);
    }
    std::filesystem::path Path(const QTemporaryDir& Dir, const char* Name) {
        return std::filesystem::path(Dir.filePath(QString::fromLatin1(Name)).toStdString());
    }
};

TEST_F(StationWindowTest, ScanFindsExactlyTheControllersAndGivesTheLineBackAtItsSpeed) {
    StationWindow::TStationWindow* station = OpenStation();
    Scan(station);
    const std::vector<Scan::TController>& found = station->Controllers();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].Config.SerialNo, "1111111111");
    EXPECT_EQ(found[0].Addresses, (std::vector<int>{3, 4}));
    EXPECT_EQ(found[0].Speed, 9600u); // heard at both speeds, it counts at the slower
    EXPECT_EQ(found[2].Config.SerialNo, "3333333333");
    EXPECT_EQ(found[2].Speed, 19200u);
    EXPECT_EQ(In<QTableWidget>(station, "vControllers")->rowCount(), 3);
    EXPECT_EQ(In<QProgressBar>(station, "pbProbed")->value(), 50);
    // The main window has its line back as it was.
    EXPECT_TRUE(Form->IsConnected());
    EXPECT_TRUE(Form->isEnabled());
    EXPECT_EQ(Form->LineSettings().Speed, 9600u);
    EXPECT_EQ(Form->LineSettings().Address, 1);

    // A scan of every address at the longest limit stops within one limit of "Стоп".
    In<QLineEdit>(station, "vAddresses")->setText(QStringLiteral("1-254"));
    In<QSpinBox>(station, "seAnswerTimeout")->setValue(500);
    Press(station, "bFind");
    QTRY_VERIFY_WITH_TIMEOUT(In<QProgressBar>(station, "pbProbed")->value() >= 2, kOperationMs);
    Press(station, "bStop");
    QTRY_VERIFY_WITH_TIMEOUT(!station->Busy(), 1500);
    EXPECT_LT(In<QProgressBar>(station, "pbProbed")->value(), 20);
    EXPECT_TRUE(Form->IsConnected());
}

TEST_F(StationWindowTest, SaveAllWritesOneFilePerSerialNumber) {
    StationWindow::TStationWindow* station = OpenStation();
    Scan(station);
    QTemporaryDir folder;
    WithFolder(station, "bSaveAll", folder.path());
    AwaitIdle(station);
    for (const char* name : {"1111111111.json", "2222222222.json", "3333333333.json"})
        EXPECT_TRUE(std::filesystem::exists(Path(folder, name))) << name;
    ASSERT_EQ(Boxes->Boxes.size(), 1u);
    EXPECT_EQ(Boxes->Boxes[0].Caption, "СООБЩЕНИЕ");
    EXPECT_EQ(Boxes->Boxes[0].Text.rfind("Сохранено конфигураций: 3 из 3", 0), 0u) << Boxes->Boxes[0].Text;
}

TEST_F(StationWindowTest, RestoreWritesOnlyTheCheckedControllersEachOntoItsOwn) {
    StationWindow::TStationWindow* station = OpenStation();
    Scan(station);
    QTemporaryDir folder;
    WithFolder(station, "bSaveAll", folder.path());
    AwaitIdle(station);
    // The first file is edited; the second holds the first's configuration; the third's controller changes.
    const auto edit = [&](const char* Name, int NoMaster, const char* Serial) {
        std::ifstream in(Path(folder, "1111111111.json"));
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ConfigFile::TConfig config = *ConfigFile::Decode(text).Config;
        PtnLL::TCfgStruct record;
        ConfigPage::RecordFromPage(config.Page, record);
        record.NoMaster = static_cast<uint8_t>(NoMaster);
        record.SerialNo = Serial;
        std::ofstream(Path(folder, Name)) << ConfigFile::Encode(record);
    };
    edit("1111111111.json", 42, "1111111111");
    edit("2222222222.json", 43, "1111111111");
    sim::ControllerConfig third = Sim->Config(2);
    third.MinVoltage = 99;
    Sim->SetConfig(third, 2);

    // The third is left unchecked: only the first is written.
    AnswerRestoreDialog("bRestoreChecked", [](QWidget* Dialog) {
        auto* list = Dialog->findChild<QTreeWidget*>(QStringLiteral("vRestoreList"));
        ASSERT_EQ(list->topLevelItemCount(), 3);
        EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Checked);
        EXPECT_FALSE(list->topLevelItem(1)->flags() & Qt::ItemIsEnabled); // another controller's file
        EXPECT_EQ(list->topLevelItem(2)->checkState(0), Qt::Checked);
        list->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    });
    WithFolder(station, "bRestore", folder.path());
    QTRY_VERIFY_WITH_TIMEOUT(Boxes->Boxes.size() == 2u, kOperationMs);
    AwaitIdle(station);
    EXPECT_EQ(Sim->Config(0).NoMaster, 42);
    EXPECT_EQ(Sim->Config(1).NoMaster, 30) << "another controller's file was written";
    EXPECT_EQ(Sim->Config(2).MinVoltage, 99) << "an unchecked controller was written";
    EXPECT_EQ(Boxes->Boxes[1].Text, "1111111111: восстановлена.");
    EXPECT_TRUE(std::filesystem::exists(DataHome / "zur-service" / "backups" / "1111111111"));

    // "Отмена" writes nothing.
    edit("1111111111.json", 44, "1111111111");
    AnswerRestoreDialog("bCancelRestore");
    WithFolder(station, "bRestore", folder.path());
    AwaitIdle(station);
    EXPECT_EQ(Sim->Config(0).NoMaster, 42);
}

TEST_F(StationWindowTest, UndoPutsTheJournalLinesCopyBack) {
    StationWindow::TStationWindow* station = OpenStation();
    Scan(station);
    // A write from the main window, to controller 1111111111 at address 3.
    Form->Lend();
    Form->GiveBack(9600, 3, false);
    Click("bGetConfig");
    Spin("seNoMaster")->setValue(77);
    Click("vSetConfig");
    ASSERT_EQ(Sim->Config(0).NoMaster, 77);
    Boxes->Boxes.clear();

    station->ShowJournal();
    auto* journal = In<QTableWidget>(station, "vJournal");
    ASSERT_GE(journal->rowCount(), 1);
    journal->selectRow(0); // the newest: the write
    Press(station, "bUndo");
    QTRY_VERIFY_WITH_TIMEOUT(Boxes->Boxes.size() == 2u, kOperationMs); // the question, then the result
    AwaitIdle(station);
    EXPECT_EQ(Boxes->Boxes[0].Caption, "ВОПРОС");
    EXPECT_NE(Boxes->Boxes[0].Text.find("Таймаут отсутствия мастера: на контроллере 77, в копии 30"),
              std::string::npos)
        << Boxes->Boxes[0].Text;
    EXPECT_EQ(Sim->Config(0).NoMaster, 30);
}

TEST_F(StationWindowTest, WorkWithMovesTheMainWindowsSpeedAndAddress) {
    StationWindow::TStationWindow* station = OpenStation();
    Scan(station);
    In<QTableWidget>(station, "vControllers")->selectRow(2);
    station->WorkWith();
    EXPECT_EQ(Find<QComboBox>("bComSpeed")->currentText(), "19200");
    EXPECT_EQ(TrkAddr(), 20);
    EXPECT_EQ(Form->LineSettings().Speed, 19200u);
    Click("bGetConfig");
    EXPECT_TRUE(Form->IsConfigRead());
    EXPECT_EQ(FrameAddresses().back(), 20);
}

} // namespace
