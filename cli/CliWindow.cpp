#include "cli/CliWindow.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <thread>

#include "cli/Progress.h"
#include "protocol/ConfigPage.h"
#include "protocol/PtnLL.h"

namespace CliWindow {
namespace {

constexpr int kOkPressed = 1;
constexpr auto kPauseStep = std::chrono::milliseconds(10); // how soon a pause notices Ctrl+C

} // namespace

// The progress line, telling the window how far the blocks got.
class TCliWindow::TCounted : public Progress::TProgressLine {
public:
    explicit TCounted(TCliWindow& Window)
        : TProgressLine(std::cerr, Progress::StandardErrorIsTerminal(), Window.bodyBytes), window(Window) {
        window.blocks = Blocks();
        window.blocksDone = 0;
    }
    void SetState(const std::u16string& Text, int Percent) override {
        TProgressLine::SetState(Text, Percent);
        window.blocksDone = BlocksDone();
    }

private:
    TCliWindow& window;
};

TCliWindow::TCliWindow(Session::TSession* Session, std::size_t BodyBytes)
    : session(Session), bodyBytes(BodyBytes) {}

int TCliWindow::ShowMessageBox(const std::string& Text, const std::string&, int) {
    messages.push_back(Text);
    return kOkPressed;
}

std::unique_ptr<FirmwareUpdate::TProgress> TCliWindow::OpenProgress(bool ShowBar) {
    if (ShowBar)
        return std::make_unique<TCounted>(*this);
    return std::make_unique<Progress::TQuiet>();
}

void TCliWindow::ShowConfigurationRead(bool Ok) {
    if (!Ok)
        ShowMessageBox(ConfigPage::ReadFailureMessage(session->Commands().Errors), "ОШИБКА", 0);
}

void TCliWindow::Pause(int Milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
    while (!session->Stopped() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            kPauseStep, end - std::chrono::steady_clock::now()));
}

std::string TCliWindow::Messages() const {
    std::string line;
    for (const std::string& message : messages) {
        if (!line.empty() && line.back() != ' ')
            line += ' ';
        line += message;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

bool TCliWindow::Showed(const std::string& Text) const {
    return std::find(messages.begin(), messages.end(), Text) != messages.end();
}

} // namespace CliWindow
