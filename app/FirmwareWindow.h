#pragma once
// What the firmware page's procedure needs of the main window: its boxes, the wait and progress
// windows owned by it, the mode-switch pause, and the configuration page told of the read an update
// makes.

#include "service/FirmwarePage.h"

namespace fMain {
class TForm1;
}

namespace FirmwareWindow {

class TFirmwareWindow : public FirmwarePage::TUpdateWindow {
public:
    explicit TFirmwareWindow(fMain::TForm1& Owner) : form(Owner) {}

    int ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) override;
    std::unique_ptr<FirmwarePage::TProgress> OpenProgress(bool ShowBar) override;
    void Pause(int Milliseconds) override;
    void ShowConfigurationRead(bool Ok) override;

private:
    fMain::TForm1& form;
};

} // namespace FirmwareWindow
