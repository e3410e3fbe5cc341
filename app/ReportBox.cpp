#include "app/ReportBox.h"

#include <QPointer>
#include <QWidget>

#include "app/PlatformBox.h"

namespace ReportBox {
namespace {

TAnswerer& Answerer() {
    static TAnswerer answerer;
    return answerer;
}

QPointer<QWidget>& MainWindow() {
    static QPointer<QWidget> main;
    return main;
}

} // namespace

void SetMainWindow(QWidget* Main) {
    MainWindow() = Main;
}

int ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) {
    if (Answerer()) {
        return Answerer()(Text, Caption, Flags);
    }
    return PlatformBox::Show(MainWindow(), Text, Caption, Flags);
}

int ShowOwnerlessBox(const std::string& Text, const std::string& Caption, int Flags) {
    if (Answerer()) {
        return Answerer()(Text, Caption, Flags);
    }
    return PlatformBox::ShowOwnerless(Text, Caption, Flags);
}

void SetAnswerer(TAnswerer Answerer_) {
    Answerer() = std::move(Answerer_);
}

} // namespace ReportBox
