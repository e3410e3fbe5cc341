#pragma once
// The main window on the offscreen platform, driven the way the engineer drives it, with every
// message box answered from a script and recorded.

#include <QAbstractButton>
#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/fMain.h"

namespace WindowDriver {

struct TBox {
    std::string Text;
    std::string Caption;
    int Flags = 0;
    bool operator==(const TBox&) const = default;
};
void PrintTo(const TBox& Box, std::ostream* Out);

// Takes the place of the modal box while it lives: answers from the script, OK once it is used up.
class TRecordedBoxes {
public:
    TRecordedBoxes();
    ~TRecordedBoxes();
    TRecordedBoxes(const TRecordedBoxes&) = delete;
    TRecordedBoxes& operator=(const TRecordedBoxes&) = delete;

    void Answer(std::initializer_list<int> Answers) { script.insert(script.end(), Answers); }

    std::vector<TBox> Boxes;

private:
    std::deque<int> script;
};

class TDriver {
public:
    TDriver();
    ~TDriver();
    TDriver(const TDriver&) = delete;
    TDriver& operator=(const TDriver&) = delete;

    fMain::TForm1& Form() { return *form; }
    std::vector<TBox>& Boxes() { return boxes.Boxes; }
    void Answer(std::initializer_list<int> Answers) { boxes.Answer(Answers); }

    // Clicks a button of the window by its name; the click returns when the handler has.
    void Click(const char* Name);
    // Types the port name into "Порт".
    void SetPort(const std::string& Path);
    // "Открыть" or "Закрыть".
    std::string OpenCloseCaption() const;
    bool PagesEnabled() const;
    int TrkAddr() const;
    // "Выбрать файл" with the file dialog answered by Path.
    void ChooseImage(const std::string& Path);

private:
    std::unique_ptr<fMain::TForm1> form;
    TRecordedBoxes boxes;
};

} // namespace WindowDriver
