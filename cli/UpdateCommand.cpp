#include "cli/UpdateCommand.h"

#include <chrono>

#include "cli/CliWindow.h"
#include "cli/ExitCodes.h"
#include "firmware/FirmwareImage.h"
#include "link/uDispenser.h"

namespace UpdateCommand {
namespace {

constexpr int32_t kHeaderBytes = 6; // ImageValue32 and ImageValue16 go in the update start
const char* const kUpdated = "Микрокод успешно обновлен.";

} // namespace

std::optional<std::string> LoadImage(const std::string& Path, FirmwareUpdate::TImageState& Image) {
    CliWindow::TCliWindow window(nullptr, 0);
    if (FirmwareImage::AcceptImageFile(Path, Image, window))
        return std::nullopt;
    return Path + ": " + window.Messages();
}

int Update(Session::TSession& Session, Output::TOutput& Out, FirmwareUpdate::TImageState& Image) {
    const std::size_t bodyBytes = Image.FirmwareImage.size() - kHeaderBytes;
    CliWindow::TCliWindow window(&Session, bodyBytes);
    const auto start = std::chrono::steady_clock::now();
    FirmwareUpdate::StartUpdate(Image, Session.Commands(), Session.Engine(), window);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // An image without a body sends no block, and the window then says nothing either way.
    const bool completed = window.Showed(kUpdated) || (bodyBytes == 0 && window.Messages().empty());
    if (!completed) {
        // The transfer stops at the first block that fails, and the progress counts that one too.
        const std::size_t acknowledged = window.BlocksDone() > 0 ? window.BlocksDone() - 1 : 0;
        if (Session.Stopped())
            return Out.Fail(ExitCodes::Interrupted,
                            "interrupted (Ctrl+C) after " + std::to_string(acknowledged) + " of " +
                                std::to_string(window.Blocks()) + " blocks: the update did not complete");
        const uint8_t flags = Session.Engine().ErrorFlags;
        const bool refused = (flags & (uDispenser::TDispenserLL::kNak | uDispenser::TDispenserLL::kEot)) != 0;
        return Out.Fail(refused ? ExitCodes::Refused : ExitCodes::NoAnswer, window.Messages());
    }
    Out.Text(bodyBytes == 0 ? "The image has no body: the update start was sent, no block." : kUpdated);
    Out.Object(
        {{"completed", true}, {"blocks", window.Blocks()}, {"bytes", bodyBytes}, {"seconds", seconds}});
    return ExitCodes::Success;
}

} // namespace UpdateCommand
