#include "app/PlatformBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <optional>

#include "app/ReportBox.h"
#include "app/WindowTexts.h"
#include "service/Texts.h"

namespace PlatformBox {
namespace {

int ShowBox(QWidget* Owner, const std::string& Text, const std::string& Caption, int Flags) {
    QMessageBox box(Owner);
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    box.setWindowTitle(QString::fromUtf8(Caption));
    box.setText(QString::fromUtf8(Text));
    if (Flags & kRightToLeftReading) {
        box.setLayoutDirection(Qt::RightToLeft);
    }
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    if ((Flags & ReportBox::MbOkCancel) != 0) {
        box.addButton(QMessageBox::Cancel)->setText(QString::fromUtf8(WindowTexts::kCancel));
    }
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok ? ReportBox::IdOk : ReportBox::IdCancel;
}

// Puts the main window back and gives back activation and focus, also when the box fails. The
// other windows need no disabling here: the box is application-modal, so none of them takes input
// or a close request while it is up, and none greys.
class TBoxScope {
public:
    TBoxScope(QWidget* ActiveWindow, QWidget* MainWindow)
        : Active(ActiveWindow), Main(MainWindow), Focus(QApplication::focusWidget()) {
        QScreen* activeScreen = ActiveWindow ? ActiveWindow->screen() : nullptr;
        if (MainWindow && activeScreen && activeScreen != MainWindow->screen()) {
            const QRect monitor = activeScreen->geometry();
            SavedPos = MainWindow->pos();
            MainWindow->move(monitor.left() + monitor.width() / 2, monitor.top() + monitor.height() / 2);
        }
    }
    ~TBoxScope() {
        if (SavedPos && Main) {
            Main->move(*SavedPos);
        }
        if (Active) {
            Active->activateWindow();
        }
        if (Focus) {
            Focus->setFocus();
        }
    }
    TBoxScope(const TBoxScope&) = delete;
    TBoxScope& operator=(const TBoxScope&) = delete;

private:
    QPointer<QWidget> Active;
    QPointer<QWidget> Main;
    QPointer<QWidget> Focus;
    std::optional<QPoint> SavedPos;
};

} // namespace

int Show(QWidget* Main, const std::string& Text, const std::string& Caption, int Flags) {
    QWidget* active = QApplication::activeWindow();
    QWidget* owner = active ? active : Main;
    if (Main && Main->layoutDirection() == Qt::RightToLeft) {
        Flags |= kRightToLeftReading;
    }
    const TBoxScope scope(active, Main);
    return ShowBox(owner, Text, Caption, Flags);
}

int ShowOwnerless(const std::string& Text, const std::string& Caption, int Flags) {
    return ShowBox(nullptr, Text, Caption, Flags);
}

} // namespace PlatformBox
