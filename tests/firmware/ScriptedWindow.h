#pragma once
// A window for the update procedure without a toolkit: it records what the procedure shows and
// drives real protocol objects on the line given to it.

#include <string>
#include <vector>

#include "firmware/FirmwareUpdate.h"

namespace ScriptedWindow {

struct TMessage {
    std::string Text, Caption;
    int Flags = -1;
    bool operator==(const TMessage&) const = default;
};

// One thing the procedure did with the window, in order.
struct TEvent {
    enum class Kind { Message, OpenWait, OpenBar, State, Processed, Close, ReadConfiguration, Pause };
    Kind What;
    std::u16string Text; // State
    int Value = 0;       // State: percent; Pause: milliseconds; Message: index into Messages
};

class TScriptedWindow : public FirmwareUpdate::TUpdateWindow {
public:
    TScriptedWindow() = default; // for the image check, which needs no line
    TScriptedWindow(PtnLL::TPtnLL& Commands, uDispenser::TDispenserLL& Engine);

    int ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) override;
    std::unique_ptr<FirmwareUpdate::TProgress> OpenProgress(bool ShowBar) override;
    // Decodes code page 1251's letters and ASCII; anything else becomes U+FFFD.
    std::u16string AnsiToWide(const std::string& Text, uint16_t CodePage) override;
    // Runs GetConfig up to six times, as the configuration page does, and reports a failure.
    void ReadConfiguration(bool Announce) override;
    bool& ConfigRead() override { return configRead; }
    void Pause(int Milliseconds) override;
    PtnLL::TPtnLL& Commands() override { return *commands; }
    uDispenser::TDispenserLL& Engine() override { return *engine; }

    std::vector<TMessage> Messages;
    std::vector<TEvent> Events;
    std::vector<uint16_t> CodePages; // of every AnsiToWide call
    int OpenWindows = 0;
    bool SleepInPause = false;

    // Percentages given to the progress window's SetState, in order.
    std::vector<int> BarStates() const;
    size_t Count(TEvent::Kind What) const;

private:
    PtnLL::TPtnLL* commands = nullptr;
    uDispenser::TDispenserLL* engine = nullptr;
    bool configRead = false;
};

} // namespace ScriptedWindow
