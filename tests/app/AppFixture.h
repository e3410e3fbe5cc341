#pragma once
// The main window against the simulated controller on a pseudo-terminal, with the message boxes
// replaced by a scripted answerer that records every box.

#include <QAbstractButton>
#include <QComboBox>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "app/SpinEdit.h"
#include "app/fMain.h"
#include "sim/Simulator.h"

namespace AppFixture {

struct TBox {
    std::string Text;
    std::string Caption;
    int Flags = 0;
    bool WaitShown = false; // the wait or progress window was up when the box came
    bool BarShown = false;  // and it showed its bar
    bool operator==(const TBox& Other) const {
        return Text == Other.Text && Caption == Other.Caption && Flags == Other.Flags;
    }
};
void PrintTo(const TBox& Box, std::ostream* Out);

// Answers boxes from a script (OK once the script is used up) and records them.
class TScriptedBoxes {
public:
    explicit TScriptedBoxes(QWidget* Owner = nullptr);
    ~TScriptedBoxes();
    void Answer(std::initializer_list<int> Answers) { Answers_.insert(Answers_.end(), Answers); }
    std::vector<TBox> Boxes;

private:
    std::deque<int> Answers_;
};

// What the window system delivers when the engineer acts on a window: a close request (the title
// bar's button, Alt+F4) and a left click in the middle of a control. Qt withholds both from a
// window that a modal one blocks.
void RequestClose(QWidget* Window);
void ClickThroughWindowSystem(QWidget* Control);

class WindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    template <class T> T* Find(const char* Name) const {
        T* widget = Form->findChild<T*>(QString::fromLatin1(Name));
        EXPECT_NE(widget, nullptr) << Name;
        return widget;
    }
    void Click(const char* Name) { Find<QAbstractButton>(Name)->click(); }
    SpinEdit::TSpinEdit* Spin(const char* Name) const { return Find<SpinEdit::TSpinEdit>(Name); }
    // Types the simulator's port into "Порт" and opens it.
    void Open();
    // Opens the port and reads the configuration, forgetting the boxes and frames so far.
    void OpenAndRead();
    // "Выбрать файл" with the dialog answered by Path, or cancelled when Path is empty.
    void Choose(const QString& Path);
    // The address byte of every frame the simulator received.
    std::vector<int> FrameAddresses() const;

    std::unique_ptr<sim::Simulator> Sim;
    std::unique_ptr<fMain::TForm1> Form;
    std::unique_ptr<TScriptedBoxes> Boxes;

    virtual sim::Options SimOptions() const { return {}; }
};

} // namespace AppFixture
