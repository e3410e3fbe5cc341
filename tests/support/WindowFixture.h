#pragma once
// The main window on the offscreen platform, against the simulated controller at the far end of a line,
// driven the way the engineer drives it, with every message box answered from a script and recorded.

#include <QAbstractButton>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/ReportBox.h"
#include "app/SpinEdit.h"
#include "app/fMain.h"
#include "tests/support/SimLine.h"

class QWidget;

namespace WindowFixture {

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

// Takes the place of the modal box while it lives: answers from the script (OK once it is used up)
// and records every box, with the wait windows of Owner as they stood.
class TScriptedBoxes {
public:
    explicit TScriptedBoxes(QWidget* Owner = nullptr);
    ~TScriptedBoxes();
    TScriptedBoxes(const TScriptedBoxes&) = delete;
    TScriptedBoxes& operator=(const TScriptedBoxes&) = delete;

    void Answer(std::initializer_list<int> Answers) { script.insert(script.end(), Answers); }

    std::vector<TBox> Boxes;

private:
    std::deque<int> script;
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
    // Clicks a button of the window by its name; the click returns when the handler has.
    void Click(const char* Name) { Find<QAbstractButton>(Name)->click(); }
    SpinEdit::TSpinEdit* Spin(const char* Name) const { return Find<SpinEdit::TSpinEdit>(Name); }
    // Types the port name into "Порт".
    void SetPort(const std::string& Path);
    // Types the simulator's port into "Порт" and opens it.
    void Open();
    // Opens the port and reads the configuration, forgetting the boxes and frames so far.
    void OpenAndRead();
    // "Выбрать файл" with the dialog answered by Path, or cancelled when Path is empty.
    void Choose(const QString& Path);
    // "Открыть" or "Закрыть".
    std::string OpenCloseCaption() const;
    bool PagesEnabled() const;
    int TrkAddr() const;
    // The address byte of every frame the simulator received.
    std::vector<int> FrameAddresses() const;

    // The data folder of this test's own (XDG_DATA_HOME, LOCALAPPDATA): the window's safety copies
    // under zur-service/backups, its journal in zur-service/journal.jsonl.
    std::filesystem::path DataHome;
    std::unique_ptr<SimLine::TSimLine> Sim;
    std::unique_ptr<fMain::TForm1> Form;
    std::unique_ptr<TScriptedBoxes> Boxes;

    // The simulator the test starts with; none for a test that brings its own ends of the line.
    virtual std::optional<sim::Options> SimOptions() const { return sim::Options{}; }
};

} // namespace WindowFixture
