#pragma once
// What the update procedure needs of the window, for a program without one: message boxes become
// recorded messages, the progress window becomes the progress line, and the pause ends early on
// Ctrl+C.

#include <string>
#include <vector>

#include "firmware/FirmwareUpdate.h"
#include "cli/Session.h"

namespace CliWindow {

class TCliWindow : public FirmwareUpdate::TUpdateWindow {
public:
    // Session may be null while only a file is being checked. BodyBytes sizes the progress line.
    TCliWindow(Session::TSession* Session, std::size_t BodyBytes);

    int ShowMessageBox(const std::string& Text, const std::string& Caption, int Flags) override;
    std::unique_ptr<FirmwareUpdate::TProgress> OpenProgress(bool ShowBar) override;
    std::u16string AnsiToWide(const std::string& Text, uint16_t CodePage) override;
    void ReadConfiguration(bool Announce) override;
    bool& ConfigRead() override { return configRead; }
    void Pause(int Milliseconds) override;
    PtnLL::TPtnLL& Commands() override;
    uDispenser::TDispenserLL& Engine() override;

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
    bool configRead = false;
    std::vector<std::string> messages;
    std::size_t blocksDone = 0, blocks = 0;
};

} // namespace CliWindow
