#include "tests/support/WindowFixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <qpa/qwindowsysteminterface.h>

#include "app/ReportBox.h"
#include "app/app_wait.h"

namespace WindowFixture {

void PrintTo(const TBox& Box, std::ostream* Out) {
    *Out << "{\"" << Box.Text << "\", \"" << Box.Caption << "\", " << Box.Flags << "}";
}

TScriptedBoxes::TScriptedBoxes(QWidget* Owner) {
    ReportBox::SetAnswerer([this, Owner](const std::string& Text, const std::string& Caption, int Flags) {
        TBox box{Text, Caption, Flags};
        if (Owner) {
            for (const auto* wait : Owner->findChildren<app_wait::TWaitForm*>()) {
                if (wait->isVisible()) {
                    box.WaitShown = true;
                    box.BarShown = wait->findChild<QProgressBar*>(QStringLiteral("PBar"))->isVisible();
                }
            }
        }
        Boxes.push_back(box);
        if (script.empty()) {
            return ReportBox::IdOk;
        }
        const int answer = script.front();
        script.pop_front();
        return answer;
    });
}

TScriptedBoxes::~TScriptedBoxes() {
    ReportBox::SetAnswerer({});
}

void RequestClose(QWidget* Window) {
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
        Window->windowHandle());
}

void ClickThroughWindowSystem(QWidget* Control) {
    QWidget* window = Control->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      Control->mapTo(window, Control->rect().center()));
}

void WindowTest::SetUp() {
    // The safety copies and the journal of the window's changes go to a folder of the test's own.
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    DataHome = std::filesystem::path(testing::TempDir()) /
               ("zur-window-data-" + QString::number(QCoreApplication::applicationPid()).toStdString() + "." +
                test->test_suite_name() + "." + test->name());
    std::filesystem::remove_all(DataHome);
    const QByteArray home = QString::fromStdString(DataHome.string()).toLocal8Bit();
    qputenv("XDG_DATA_HOME", home);
    qputenv("LOCALAPPDATA", home);
    if (const std::optional<sim::Options> options = SimOptions()) {
        Sim = SimLine::Start(*options);
    }
    Form = std::make_unique<fMain::TForm1>();
    Form->show();
    Boxes = std::make_unique<TScriptedBoxes>(Form.get());
}

void WindowTest::TearDown() {
    Boxes.reset();
    Form.reset();
    Sim.reset();
    std::error_code error;
    std::filesystem::remove_all(DataHome, error);
}

void WindowTest::SetPort(const std::string& Path) {
    Find<QComboBox>("vCOMSelect")->setEditText(QString::fromStdString(Path));
}

void WindowTest::Open() {
    SetPort(Sim->PortPath());
    Click("bOpenClose");
    ASSERT_TRUE(Form->IsConnected());
}

void WindowTest::OpenAndRead() {
    Open();
    Click("bGetConfig");
    ASSERT_TRUE(Form->IsConfigRead());
    Boxes->Boxes.clear();
    Sim->ClearReceived();
}

void WindowTest::Choose(const QString& Path) {
    auto* dialog = Find<QFileDialog>("OpenDialog1");
    // The dialog runs its own loop; it is answered from inside it.
    QTimer::singleShot(0, dialog, [dialog, Path] {
        if (Path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name field, as a user does; selecting may keep an earlier selection.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(Path);
        static_cast<QDialog*>(dialog)->accept(); // checks the name as a click on Open does
    });
    Click("Button5");
}

std::string WindowTest::OpenCloseCaption() const {
    return Find<QAbstractButton>("bOpenClose")->text().toStdString();
}

bool WindowTest::PagesEnabled() const {
    return Find<QTabWidget>("vPages")->isEnabled();
}

int WindowTest::TrkAddr() const {
    return Spin("vTRKAddr")->Value();
}

std::vector<int> WindowTest::FrameAddresses() const {
    std::vector<int> addresses;
    for (const auto& frame : Sim->ReceivedFrames()) {
        addresses.push_back(frame.empty() ? -1 : frame.front());
    }
    return addresses;
}

} // namespace WindowFixture
