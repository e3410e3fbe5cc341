#include "tests/support/ScriptedWindow.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace ScriptedWindow {
namespace {

class TScriptedProgress : public FirmwarePage::TProgress {
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

int TScriptedWindow::ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) {
    Events.push_back({TEvent::Kind::Message, {}, static_cast<int>(Messages.size())});
    Messages.push_back({Text, Caption, Flags});
    return 1;
}

std::unique_ptr<FirmwarePage::TProgress> TScriptedWindow::OpenProgress(bool ShowBar) {
    return std::make_unique<TScriptedProgress>(*this, ShowBar);
}

void TScriptedWindow::ShowConfigurationRead(bool Ok) {
    Events.push_back({TEvent::Kind::ConfigurationRead, {}, Ok ? 1 : 0});
    ConfigRead = Ok;
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
