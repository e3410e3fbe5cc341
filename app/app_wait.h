#pragma once
// The wait and progress window: a small frameless window over the centre of its owner that says
// what is going on. The owner takes no input while it is shown, and the user cannot close it.

#include <QFrame>
#include <QPointer>
#include <memory>

namespace Ui {
class TWaitForm;
}

namespace app_wait {

class TWaitForm : public QFrame {
    Q_OBJECT
public:
    explicit TWaitForm(QWidget* Owner);
    ~TWaitForm() override;

    std::unique_ptr<Ui::TWaitForm> ui;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void FormClose(QCloseEvent* Event);
    void FormKeyDown(QKeyEvent* Event);
};

// Shows the window for as long as it lives; its destruction hides the window and frees the owner
// again, also when an operation fails with an exception.
class TProgressWindow {
public:
    TProgressWindow(QWidget* Owner, bool ShowBar);
    ~TProgressWindow();
    TProgressWindow(const TProgressWindow&) = delete;
    TProgressWindow& operator=(const TProgressWindow&) = delete;

    // Percent is brought into 0..100; the window's pending messages are handled afterwards.
    void SetState(const QString& Text, int Percent);
    void ProcessMessages();

    TWaitForm* Window() const { return Form; }

private:
    QPointer<TWaitForm> Form;
};

} // namespace app_wait
