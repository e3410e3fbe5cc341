#include "app/FirmwareWindow.h"

#include <chrono>
#include <thread>

#include "app/ReportBox.h"
#include "app/app_wait.h"
#include "app/fMain.h"

namespace FirmwareWindow {
namespace {

class TProgress final : public FirmwarePage::TProgress {
public:
    TProgress(QWidget* Owner, bool ShowBar) : window(Owner, ShowBar) {}
    void SetState(const std::u16string& Text, int Percent) override {
        window.SetState(QString::fromStdU16String(Text), Percent);
    }
    void ProcessMessages() override { window.ProcessMessages(); }

private:
    app_wait::TProgressWindow window;
};

} // namespace

int TFirmwareWindow::ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) {
    return ReportBox::ShowMessageBox(Text, Caption, Flags);
}

std::unique_ptr<FirmwarePage::TProgress> TFirmwareWindow::OpenProgress(bool ShowBar) {
    return std::make_unique<TProgress>(&form, ShowBar);
}

void TFirmwareWindow::Pause(int Milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

void TFirmwareWindow::ShowConfigurationRead(bool Ok) {
    form.ShowUpdateRead(Ok);
}

} // namespace FirmwareWindow
