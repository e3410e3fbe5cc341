#pragma once
// A window for the update procedure without a toolkit: it records what the procedure shows, and
// keeps the configuration page's one flag.

#include <string>
#include <vector>

#include "service/FirmwarePage.h"

namespace ScriptedWindow {

struct TMessage {
    std::string Text, Caption;
    int Flags = -1;
    bool operator==(const TMessage&) const = default;
};

// One thing the procedure did with the window, in order.
struct TEvent {
    enum class Kind { Message, OpenWait, OpenBar, State, Processed, Close, ConfigurationRead, Pause };
    Kind What;
    std::u16string Text; // State
    int Value = 0;       // State: percent; Pause: milliseconds; Message: index into Messages;
                         // ConfigurationRead: 1 when the read succeeded
};

class TScriptedWindow : public FirmwarePage::TUpdateWindow {
public:
    int ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) override;
    std::unique_ptr<FirmwarePage::TProgress> OpenProgress(bool ShowBar) override;
    void Pause(int Milliseconds) override;
    // Remembers whether the page would now hold a read configuration, as ConfigRead.
    void ShowConfigurationRead(bool Ok) override;

    std::vector<TMessage> Messages;
    std::vector<TEvent> Events;
    bool ConfigRead = false;
    int OpenWindows = 0;
    bool SleepInPause = false;

    // Percentages given to the progress window's SetState, in order.
    std::vector<int> BarStates() const;
    size_t Count(TEvent::Kind What) const;
};

} // namespace ScriptedWindow
