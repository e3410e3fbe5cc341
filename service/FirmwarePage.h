#pragma once
// The page "Прошивка" as the window runs it, without a toolkit: choosing the file, and the update
// under the wait window and then the progress window, with the window's messages. What it needs of
// the window (boxes, the two windows, the pause, the configuration page) comes through
// TUpdateWindow, so the window's whole sequence runs in tests without one.

#include <memory>
#include <string>

#include "firmware/FirmwareImage.h"

namespace PtnLL {
class TPtnLL;
}
namespace uDispenser {
class TDispenserLL;
}
namespace Safeguard {
class TChange;
}

namespace FirmwarePage {

// The wait window (ShowBar false) or the progress window (ShowBar true); destroying it closes it.
class TProgress {
public:
    virtual ~TProgress() = default;
    virtual void SetState(const std::u16string& Text, int Percent) = 0;
    virtual void ProcessMessages() = 0;
};

class TUpdateWindow {
public:
    virtual ~TUpdateWindow() = default;
    // Texts are UTF-8; Flags 0 is an OK button alone.
    virtual int ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) = 0;
    virtual std::unique_ptr<TProgress> OpenProgress(bool ShowBar) = 0;
    virtual void Pause(int Milliseconds) = 0;
    // The outcome of the configuration read the preparation makes, for the configuration page: it
    // shows the record the protocol object now holds, or reports the failure, quietly on success.
    virtual void ShowConfigurationRead(bool Ok) = 0;
};

// "Выбрать файл" after the dialog returned Path: reports a refusal through the window and keeps
// the previous image; true when the file was accepted and Image now holds it.
bool AcceptImageFile(const std::string& Path, FirmwareImage::TImageState& Image, TUpdateWindow& Window);

// "Начать обновление": the whole update, its message shown while its window is still open. Change,
// when given, saves the safety copy of the configuration the update reads before the controller is
// put into update mode (nothing more is sent, and a box says why, when it cannot), and journals how
// the update ended. Attempts: the update is made again after a failed block, up to this many times
// in all; the last attempt decides the message.
void StartUpdate(FirmwareImage::TImageState& Image, PtnLL::TPtnLL& Commands, uDispenser::TDispenserLL& Engine,
                 TUpdateWindow& Window, Safeguard::TChange* Change = nullptr, int Attempts = 1);

// The block transfer alone, under the progress window.
void TransferBlocks(FirmwareImage::TImageState& Image, uDispenser::TDispenserLL& Engine,
                    TUpdateWindow& Window);

} // namespace FirmwarePage
