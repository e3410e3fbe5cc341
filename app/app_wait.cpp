#include "app/app_wait.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPalette>
#include <algorithm>

#include "ui_app_wait.h"

namespace app_wait {
namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 80;
constexpr int kInfoHeight = 13; // one line of text above the bar

} // namespace

TWaitForm::TWaitForm(QWidget* Owner)
    : QFrame(Owner, Qt::Tool | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TWaitForm>()) {
    ui->setupUi(this);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Modal to its owner: the owner takes no input and no close request while the window is up,
    // and keeps its look, where a disabled window would grey every control.
    setWindowModality(Qt::WindowModal);
    QPalette bar = ui->PBar->palette();
    bar.setColor(QPalette::Highlight, Qt::black);
    bar.setColor(QPalette::HighlightedText, Qt::white);
    bar.setColor(QPalette::Base, Qt::white);
    bar.setColor(QPalette::Window, Qt::white);
    bar.setColor(QPalette::Text, Qt::black);
    ui->PBar->setPalette(bar);
}

TWaitForm::~TWaitForm() = default;

void TWaitForm::closeEvent(QCloseEvent* Event) {
    FormClose(Event);
}

void TWaitForm::keyPressEvent(QKeyEvent* Event) {
    FormKeyDown(Event);
}

void TWaitForm::FormClose(QCloseEvent* Event) {
    // Only the operation that opened the window removes it; a close that the application asks for
    // itself (as when it quits) must go through, or it would cancel the quit.
    if (Event->spontaneous()) {
        Event->ignore();
    }
}

void TWaitForm::FormKeyDown(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_F4 && (Event->modifiers() & Qt::AltModifier)) {
        Event->accept();
        return;
    }
    QFrame::keyPressEvent(Event);
}

TProgressWindow::TProgressWindow(QWidget* Owner, bool ShowBar) : Form(new TWaitForm(Owner)) {
    Form->ui->PBar->setVisible(ShowBar);
    if (ShowBar) {
        Form->ui->Info->setFixedHeight(kInfoHeight);
        Form->ui->Layout->insertStretch(1);
    }
    QRect bounds(0, 0, kWidth, kHeight);
    if (Owner) {
        const QRect owner = Owner->frameGeometry();
        bounds.moveTo(owner.left() + owner.width() / 2 - kWidth / 2,
                      owner.top() + owner.height() / 2 - kHeight / 2);
    }
    Form->setGeometry(bounds);
    Form->show();
    Form->repaint();
}

TProgressWindow::~TProgressWindow() {
    if (Form) {
        Form->hide();
        Form->deleteLater();
    }
}

void TProgressWindow::SetState(const QString& Text, int Percent) {
    Form->ui->Info->setText(Text);
    Form->ui->PBar->setValue(std::clamp(Percent, 0, 100));
    ProcessMessages();
}

void TProgressWindow::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace app_wait
