#include "tests/firmware/ScriptedWindow.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "protocol/PtnLL.h"

namespace ScriptedWindow {
namespace {

constexpr int kConfigurationRuns = 6;
constexpr uint8_t kFirstCyrillic1251 = 0xC0; // А; the 64 letters А..я follow in order
constexpr char16_t kFirstCyrillicUnicode = u'А';

class TScriptedProgress : public FirmwareUpdate::TProgress {
public:
    TScriptedProgress(TScriptedWindow& Window, bool ShowBar) : window(Window) {
        ++window.OpenWindows;
        window.Events.push_back({ShowBar ? TEvent::Kind::OpenBar : TEvent::Kind::OpenWait, {}, 0});
    }
    ~TScriptedProgress() override {
        --window.OpenWindows;
        window.Events.push_back({TEvent::Kind::Close, {}, 0});
    }
    TScriptedProgress(const TScriptedProgress&) = delete;
    TScriptedProgress& operator=(const TScriptedProgress&) = delete;

    void SetState(const std::u16string& Text, int Percent) override {
        window.Events.push_back({TEvent::Kind::State, Text, Percent});
    }
    void ProcessMessages() override { window.Events.push_back({TEvent::Kind::Processed, {}, 0}); }

private:
    TScriptedWindow& window;
};

} // namespace

TScriptedWindow::TScriptedWindow(PtnLL::TPtnLL& Commands, uDispenser::TDispenserLL& Engine)
    : commands(&Commands), engine(&Engine) {}

int TScriptedWindow::ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) {
    Events.push_back({TEvent::Kind::Message, {}, static_cast<int>(Messages.size())});
    Messages.push_back({Text, Caption, Flags});
    return 1;
}

std::unique_ptr<FirmwareUpdate::TProgress> TScriptedWindow::OpenProgress(bool ShowBar) {
    return std::make_unique<TScriptedProgress>(*this, ShowBar);
}

std::u16string TScriptedWindow::AnsiToWide(const std::string& Text, uint16_t CodePage) {
    CodePages.push_back(CodePage);
    std::u16string wide;
    std::ranges::transform(Text, std::back_inserter(wide), [](char c) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte < 0x80)
            return static_cast<char16_t>(byte);
        if (byte >= kFirstCyrillic1251)
            return static_cast<char16_t>(kFirstCyrillicUnicode + (byte - kFirstCyrillic1251));
        return u'\uFFFD';
    });
    return wide;
}

void TScriptedWindow::ReadConfiguration(bool Announce) {
    Events.push_back({TEvent::Kind::ReadConfiguration, {}, Announce ? 1 : 0});
    for (int run = 0; run < kConfigurationRuns; ++run) {
        commands->GetConfig();
        if (commands->Ok) {
            configRead = true;
            return;
        }
    }
    ShowMessageBox("Неудалось получить конфигурацию.", "ОШИБКА", 0);
}

void TScriptedWindow::Pause(int Milliseconds) {
    Events.push_back({TEvent::Kind::Pause, {}, Milliseconds});
    if (SleepInPause)
        std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

std::vector<int> TScriptedWindow::BarStates() const {
    std::vector<int> states;
    bool inBar = false;
    for (const TEvent& event : Events) {
        if (event.What == TEvent::Kind::OpenBar || event.What == TEvent::Kind::OpenWait)
            inBar = event.What == TEvent::Kind::OpenBar;
        if (inBar && event.What == TEvent::Kind::State)
            states.push_back(event.Value);
    }
    return states;
}

size_t TScriptedWindow::Count(TEvent::Kind What) const {
    return static_cast<size_t>(std::ranges::count(Events, What, &TEvent::What));
}

} // namespace ScriptedWindow
