// Closing the main window while a long operation runs, with the real message boxes: the engineer's
// close requests and clicks are withheld while the wait window or a box is up, the operation ends
// with its usual box, and a close afterwards ends the program's event loop, so the port is freed.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/app_wait.h"
#include "serial/MyCOMM.h"
#include "sim/SimImage.h"
#include "tests/support/WindowFixture.h"

namespace {

constexpr int kDeadlineMs = 30000; // the firmware row pauses a second for the mode switch

struct TOperation {
    const char* Button;
    bool ReadFirst = false;   // a save needs a read first
    bool ImageChosen = false; // an update needs a file
    const char* Done;         // the operation's usual box
};
void PrintTo(const TOperation& Operation, std::ostream* Out) {
    *Out << Operation.Button;
}

class ClosingTest : public WindowFixture::WindowTest, public testing::WithParamInterface<TOperation> {
protected:
    bool WaitShown() const {
        for (const auto* wait : Form->findChildren<app_wait::TWaitForm*>()) {
            if (wait->isVisible()) {
                return true;
            }
        }
        return false;
    }
    QString WriteImage() {
        const std::vector<uint8_t> body(100, 0x5A);
        const std::vector<uint8_t> bytes =
            SimImage::MakeImageFile(static_cast<uint32_t>(body.size()), 1, body);
        QFile file(Dir.filePath(QStringLiteral("image.bin")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return file.fileName();
    }

    QTemporaryDir Dir;
};

TEST_P(ClosingTest, RefusedWhileBlockedThenEndsTheProgram) {
    const TOperation& operation = GetParam();
    if (operation.ReadFirst) {
        OpenAndRead();
    } else {
        Open();
    }
    if (operation.ImageChosen) {
        Choose(WriteImage());
    }
    Boxes.reset();

    int blockedTurns = 0;
    int closedWhileBlocked = 0;
    int greyedTurns = 0;
    std::vector<std::string> shown;
    auto* openClose = Find<QAbstractButton>("bOpenClose");
    // The engineer, each time the operation lets window messages through: clicks "Закрыть" and
    // asks the window to close, then answers the box if one is up.
    QTimer engineer;
    QObject::connect(&engineer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box && !WaitShown()) {
            return;
        }
        ++blockedTurns;
        greyedTurns += Form->isEnabled() ? 0 : 1;
        WindowFixture::ClickThroughWindowSystem(openClose);
        WindowFixture::RequestClose(Form.get());
        closedWhileBlocked += Form->isVisible() ? 0 : 1;
        if (box) {
            shown.push_back(box->text().toStdString());
            box->button(QMessageBox::Ok)->click();
        }
    });
    QTimer::singleShot(0, Form.get(), [&] {
        engineer.start(0);
        Click(operation.Button);
        engineer.stop();
        WindowFixture::RequestClose(Form.get());
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    deadline.start(kDeadlineMs);

    EXPECT_EQ(QApplication::exec(), 0) << "the last close did not end the program";
    EXPECT_GT(blockedTurns, 1);
    EXPECT_EQ(closedWhileBlocked, 0);
    EXPECT_EQ(greyedTurns, 0);
    EXPECT_EQ(shown, std::vector<std::string>{operation.Done});
    EXPECT_TRUE(Form->IsConnected()); // the click on "Закрыть" never arrived
    EXPECT_FALSE(Form->isVisible());

    Form.reset(); // as the program's end does
    EXPECT_NO_THROW(MyCOMM::TZMyComm(Sim->PortPath(), 9600, 256, 256, 2, 1, 0, 8));
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ClosingTest,
    testing::Values(
        TOperation{.Button = "bGetConfig", .Done = "Конфигурация успешно получена"},
        TOperation{.Button = "vSetConfig", .ReadFirst = true, .Done = "Конфигурация успешно сохранена!"},
        TOperation{.Button = "Button4", .ImageChosen = true, .Done = "Микрокод успешно обновлен."}),
    [](const testing::TestParamInfo<TOperation>& row) { return std::string(row.param.Button); });

} // namespace
