#include "tests/support/WindowDriver.h"

#include <QComboBox>
#include <QFileDialog>
#include <QTabWidget>
#include <QTimer>

#include "app/SpinEdit.h"

namespace WindowDriver {
namespace {

template <class T> T* Child(const fMain::TForm1& Form, const char* Name) {
    return Form.findChild<T*>(QString::fromLatin1(Name));
}

} // namespace

void PrintTo(const TBox& Box, std::ostream* Out) {
    *Out << "{\"" << Box.Text << "\", \"" << Box.Caption << "\", " << Box.Flags << "}";
}

TRecordedBoxes::TRecordedBoxes() {
    fMain::SetMessageBoxAnswerer([this](const std::string& Text, const std::string& Caption, int Flags) {
        Boxes.push_back({Text, Caption, Flags});
        if (script.empty())
            return fMain::IdOk;
        const int answer = script.front();
        script.pop_front();
        return answer;
    });
}

TRecordedBoxes::~TRecordedBoxes() {
    fMain::SetMessageBoxAnswerer({});
}

TDriver::TDriver() : form(std::make_unique<fMain::TForm1>()) {
    form->show();
}

TDriver::~TDriver() = default;

void TDriver::Click(const char* Name) {
    Child<QAbstractButton>(*form, Name)->click();
}

void TDriver::SetPort(const std::string& Path) {
    Child<QComboBox>(*form, "vCOMSelect")->setEditText(QString::fromStdString(Path));
}

std::string TDriver::OpenCloseCaption() const {
    return Child<QAbstractButton>(*form, "bOpenClose")->text().toStdString();
}

bool TDriver::PagesEnabled() const {
    return Child<QTabWidget>(*form, "vPages")->isEnabled();
}

int TDriver::TrkAddr() const {
    return Child<SpinEdit::TSpinEdit>(*form, "vTRKAddr")->Value();
}

void TDriver::ChooseImage(const std::string& Path) {
    auto* dialog = Child<QFileDialog>(*form, "OpenDialog1");
    // The dialog runs its own loop; it is answered from inside it.
    QTimer::singleShot(0, dialog, [dialog, Path] {
        dialog->selectFile(QString::fromStdString(Path));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it
    });
    Click("Button5");
}

} // namespace WindowDriver
