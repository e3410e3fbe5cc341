#include "firmware/FirmwareUpdate.h"

#include <algorithm>
#include <array>

#include "firmware/AnsiText.h"
#include "link/uDispenser.h"
#include "protocol/ConfigRead.h"
#include "protocol/PtnLL.h"

namespace FirmwareUpdate {
namespace {

constexpr uint8_t kLinkAddress = 255;    // the controller's link address in update mode
constexpr uint8_t kProbeReplyBytes = 3;  // a control frame: address, control byte, SF
constexpr int kRepeats = 15;             // repeats of enter-update-mode and of the update start
constexpr int kModeSwitchPauseMs = 1000; // time for the controller to switch to update mode
constexpr int32_t kTxBeforeStart = 15;   // the next frame then carries TX 1
constexpr int kBlockBytes = 33;          // body bytes per update block
constexpr int32_t kFirstBlockPos = 6;    // right after ImageValue32 and ImageValue16

constexpr int kOkButton = 0; // an OK button alone, no icon
constexpr char kMessageCaption[] = "СООБЩЕНИЕ";
// "Идет обновление..." held in code page 1251, as the window's texts are.
constexpr char kUpdating1251[] = "\xC8\xE4\xE5\xF2 \xEE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5...";

void Tell(TUpdateWindow& Window, const char* Text) {
    Window.ShowMessageBox(Text, kMessageCaption, kOkButton);
}

// Tries once, then repeats up to kRepeats times while it fails. The outcome is that of the last
// attempt: a controller that accepts the final repeat has done what was asked.
template <typename Attempt> bool WithRepeats(Attempt&& Try) {
    bool done = Try();
    for (int repeat = 0; !done && repeat < kRepeats; ++repeat)
        done = Try();
    return done;
}

bool Prepare(PtnLL::TPtnLL& Commands, uDispenser::TDispenserLL& Engine, TUpdateWindow& Window) {
    if (ProbeUpdateMode(Engine))
        return true;
    // The read also yields the serial number that enter-update-mode carries.
    const bool read = ConfigRead::WithRepeats(Commands);
    Window.ShowConfigurationRead(read);
    if (!read)
        return false;
    return WithRepeats([&Commands] {
        Commands.EnterUpdateMode();
        return Commands.Ok;
    });
}

bool SendUpdateStart(const TImageState& Image, uDispenser::TDispenserLL& Engine) {
    Engine.TxCounter = kTxBeforeStart;
    return WithRepeats([&] {
        Engine.QueueUpdateStart(Image.ImageValue32, Image.ImageValue16);
        return Engine.Execute();
    });
}

// Puts TransferPos back to the first block however the transfer ends.
class TRewind {
public:
    explicit TRewind(int32_t& Position) : position(Position) {}
    ~TRewind() { position = kFirstBlockPos; }
    TRewind(const TRewind&) = delete;
    TRewind& operator=(const TRewind&) = delete;

private:
    int32_t& position;
};

} // namespace

bool ProbeUpdateMode(uDispenser::TDispenserLL& Engine) {
    Engine.QueueConfigRequest();
    const bool answered = Engine.Execute();
    return !answered && Engine.LastReplyCount == kProbeReplyBytes && Engine.LastReply[0] == kLinkAddress;
}

void StartUpdate(TImageState& Image, PtnLL::TPtnLL& Commands, uDispenser::TDispenserLL& Engine,
                 TUpdateWindow& Window) {
    if (!Image.ImageChosen) {
        Tell(Window, "Не выбран файл микрокода!");
        return;
    }
    {
        const std::unique_ptr<TProgress> wait = Window.OpenProgress(false);
        wait->SetState(u"Идет выполнение операции...", 0);
        if (!Prepare(Commands, Engine, Window)) {
            Tell(Window, "Не удалось войти в режим обновнения.");
            return;
        }
        Window.Pause(kModeSwitchPauseMs);
        if (!SendUpdateStart(Image, Engine)) {
            Tell(Window, "Неудалось обновить микрокод.");
            return;
        }
    }
    TransferBlocks(Image, Engine, Window);
}

void TransferBlocks(TImageState& Image, uDispenser::TDispenserLL& Engine, TUpdateWindow& Window) {
    const std::u16string text = AnsiText::AnsiToWide(kUpdating1251, AnsiText::kCyrillicCodePage);
    const std::unique_ptr<TProgress> progress = Window.OpenProgress(true);
    const TRewind rewind(Image.TransferPos); // before the progress window closes
    progress->SetState(text, 0);
    const auto size = static_cast<int32_t>(Image.FirmwareImage.size());
    bool lastBlockSent = false;
    while (Image.TransferPos < size) {
        const int count = std::min(kBlockBytes, size - Image.TransferPos);
        std::array<uint8_t, kBlockBytes> block{};
        std::copy_n(Image.FirmwareImage.begin() + Image.TransferPos, count, block.begin());
        Image.TransferPos += count;
        Engine.QueueUpdateBlock(block.data(), static_cast<uint8_t>(count));
        Engine.NoPollAfterAck = true;
        lastBlockSent = Engine.Execute();
        progress->SetState(text, static_cast<int>(Image.TransferPos * 100.0 / size));
        progress->ProcessMessages();
        if (!lastBlockSent) {
            Tell(Window, "Неудалось обновить микрокод.");
            break;
        }
    }
    if (lastBlockSent)
        Tell(Window, "Микрокод успешно обновлен.");
}

} // namespace FirmwareUpdate
