#pragma once
// The firmware image the window holds, and the update procedure run against it: the update-mode
// probe, preparation through the command protocol, the update-start transaction and the block
// transfer through the link protocol. Everything the procedure needs of the window comes through
// TUpdateWindow, so it runs without one in tests.

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
    virtual std::u16string AnsiToWide(const std::string& Text, uint16_t CodePage) = 0;
    virtual void ReadConfiguration(bool Announce) = 0;
    virtual bool& ConfigRead() = 0;
    virtual void Pause(int Milliseconds) = 0;
    virtual PtnLL::TPtnLL& Commands() = 0;
    virtual uDispenser::TDispenserLL& Engine() = 0;
};

// True when the controller answers the configuration request as a controller already in update
// mode does: a 3-byte reply from the engine's address that is not an acknowledgement.
bool ProbeUpdateMode(uDispenser::TDispenserLL& Engine);

// "Начать обновление": refuses without an image, prepares the controller, sends the update start
// and then runs TransferBlocks.
void StartUpdate(TImageState& Image, TUpdateWindow& Window);

// Sends the image body in blocks from TransferPos on, under the progress window.
void TransferBlocks(TImageState& Image, TUpdateWindow& Window);

} // namespace FirmwareUpdate
