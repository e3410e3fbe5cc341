#pragma once
// The firmware image the window holds, and the update procedure run against it: the update-mode
// probe, preparation through the command protocol, the update-start transaction and the block
// transfer through the link protocol. The procedure drives the protocol objects itself; what it
// needs of the window (boxes, the wait and progress window, the pause, the configuration page)
// comes through TUpdateWindow, so it runs without one in tests.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace PtnLL {
class TPtnLL;
}
namespace uDispenser {
class TDispenserLL;
}

namespace FirmwareUpdate {

// The image kept by the main window between runs.
struct TImageState {
    std::vector<uint8_t> FirmwareImage; // the file without its checksum, header included
    uint32_t ImageValue32 = 0;
    uint16_t ImageValue16 = 0;
    int32_t TransferPos = 6; // where the next block starts: right after the header
    bool ImageChosen = false;
};

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

// True when the controller answers the configuration request as a controller already in update
// mode does: a 3-byte reply from the engine's address that is not an acknowledgement.
bool ProbeUpdateMode(uDispenser::TDispenserLL& Engine);

// "Начать обновление": refuses without an image, prepares the controller, sends the update start
// and then runs TransferBlocks.
void StartUpdate(TImageState& Image, PtnLL::TPtnLL& Commands, uDispenser::TDispenserLL& Engine,
                 TUpdateWindow& Window);

// Sends the image body in blocks from TransferPos on, under the progress window.
void TransferBlocks(TImageState& Image, uDispenser::TDispenserLL& Engine, TUpdateWindow& Window);

} // namespace FirmwareUpdate
