#include "service/FirmwarePage.h"

#include <utility>

#include "service/AnsiText.h"
#include "service/FirmwareUpdate.h"
#include "service/Journal.h"
#include "service/Safeguard.h"
#include "service/Texts.h"

namespace FirmwarePage {
namespace {

constexpr int kOkButton = 0; // an OK button alone, no icon

// The update's stages as the window shows them: the wait window while preparing, the progress
// window while transferring; whichever is open stays open until the observer goes.
class TWindowView final : public Observer::TObserver {
public:
    explicit TWindowView(TUpdateWindow& Window)
        : window(Window), updating(AnsiText::AnsiToWide(Texts::kUpdating1251, AnsiText::kCyrillicCodePage)) {}

    void Stage(Observer::TStage Stage) override {
        open.reset();
        if (Stage == Observer::TStage::Preparing) {
            open = window.OpenProgress(false);
            open->SetState(AnsiText::Utf16(Texts::kWait), 0);
        } else {
            open = window.OpenProgress(true);
            open->SetState(updating, 0);
        }
    }
    void ConfigurationRead(const Outcome::TReadOutcome& Read) override {
        window.ShowConfigurationRead(Read.Succeeded());
    }
    void Progress(const Observer::TBlockProgress& Progress) override {
        open->SetState(updating, Progress.Percent);
        open->ProcessMessages();
    }
    void Pause(int Milliseconds) override { window.Pause(Milliseconds); }

    // The update's message, while its window is still open.
    void Tell(const Outcome::TUpdateOutcome& Update) {
        if (const auto text = Texts::AfterUpdate(Update))
            window.ShowMessageBox(*text, Texts::kMessageCaption, kOkButton);
    }
    void Refuse(const std::string& Text) { window.ShowMessageBox(Text, Texts::kErrorCaption, kOkButton); }

private:
    TUpdateWindow& window;
    const std::u16string updating;
    std::unique_ptr<TProgress> open;
};

} // namespace

bool AcceptImageFile(const std::string& Path, FirmwareImage::TImageState& Image, TUpdateWindow& Window) {
    FirmwareImage::TLoaded loaded = FirmwareImage::LoadImageFile(Path);
    if (loaded.Result == FirmwareImage::TCheck::Accepted) {
        Image = std::move(loaded.Image);
        return true;
    }
    Window.ShowMessageBox(Texts::ImageRefusal(loaded), Texts::kErrorCaption, kOkButton);
    return false;
}

void StartUpdate(FirmwareImage::TImageState& Image, PtnLL::TPtnLL& Commands, uDispenser::TDispenserLL& Engine,
                 TUpdateWindow& Window, Safeguard::TChange* Change, int Attempts) {
    TWindowView view(Window);
    if (!Change) {
        view.Tell(FirmwareUpdate::Update(Image, Commands, Engine, view, Attempts));
        return;
    }
    Safeguard::TGuard guard(view, *Change);
    const Outcome::TUpdateOutcome update = FirmwareUpdate::Update(Image, Commands, Engine, guard, Attempts);
    Change->SetAttempts(update.Attempts);
    if (const auto& failure = Change->Failure())
        view.Refuse(Texts::CopyNotSaved(failure->Folder, failure->Problem.value_or("")));
    else
        view.Tell(update);
    // An update refused for want of an image sent nothing and changed nothing.
    if (update.Result == Outcome::TResult::NoImage)
        return;
    Change->Ended(Journal::Word(update.Result));
    Change->Record();
}

void TransferBlocks(FirmwareImage::TImageState& Image, uDispenser::TDispenserLL& Engine,
                    TUpdateWindow& Window) {
    TWindowView view(Window);
    view.Tell(FirmwareUpdate::TransferBlocks(Image, Engine, view));
}

} // namespace FirmwarePage
