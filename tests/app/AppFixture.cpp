#include "tests/app/AppFixture.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include "app/app_wait.h"

namespace AppFixture {

void PrintTo(const TBox& Box, std::ostream* Out) {
    *Out << "{\"" << Box.Text << "\", \"" << Box.Caption << "\", " << Box.Flags << "}";
}

TScriptedBoxes::TScriptedBoxes(QWidget* Owner) {
    fMain::SetMessageBoxAnswerer(
        [this, Owner](const std::string& Text, const std::string& Caption, int Flags) {
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
            if (Answers_.empty()) {
                return fMain::IdOk;
            }
            const int answer = Answers_.front();
            Answers_.pop_front();
            return answer;
        });
}

TScriptedBoxes::~TScriptedBoxes() {
    fMain::SetMessageBoxAnswerer({});
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
    Sim = std::make_unique<sim::Simulator>(SimOptions());
    Form = std::make_unique<fMain::TForm1>();
    Form->show();
    Boxes = std::make_unique<TScriptedBoxes>(Form.get());
}

void WindowTest::TearDown() {
    Boxes.reset();
    Form.reset();
    Sim.reset();
}

void WindowTest::Open() {
    Find<QComboBox>("vCOMSelect")->setEditText(QString::fromStdString(Sim->PortPath()));
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

std::vector<int> WindowTest::FrameAddresses() const {
    std::vector<int> addresses;
    for (const auto& frame : Sim->ReceivedFrames()) {
        addresses.push_back(frame.empty() ? -1 : frame.front());
    }
    return addresses;
}

} // namespace AppFixture
