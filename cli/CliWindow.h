#pragma once
// What the update procedure needs of the window, for a program without one: message boxes become
// recorded messages, the progress window becomes the progress line, the configuration page's report
// of the read becomes a message only when it failed, and the pause ends early on Ctrl+C.

#include <string>
#include <vector>

#include "cli/Session.h"
#include "firmware/FirmwareUpdate.h"

namespace CliWindow {

class TCliWindow : public FirmwareUpdate::TUpdateWindow {
public:
    // Session may be null while only a file is being checked. BodyBytes sizes the progress line.
    TCliWindow(Session::TSession* Session, std::size_t BodyBytes);

    int ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) override;
    std::unique_ptr<FirmwareUpdate::TProgress> OpenProgress(bool ShowBar) override;
    void Pause(int Milliseconds) override;
    void ShowConfigurationRead(bool Ok) override;

    // Every box the procedure showed, in order, as one line.
    std::string Messages() const;
    bool Showed(const std::string& Text) const;
    // Blocks the last progress line counted: done and in all.
    std::size_t BlocksDone() const { return blocksDone; }
    std::size_t Blocks() const { return blocks; }

private:
    class TCounted;
    Session::TSession* session;
    std::size_t bodyBytes;
    std::vector<std::string> messages;
    std::size_t blocksDone = 0, blocks = 0;
};

} // namespace CliWindow
