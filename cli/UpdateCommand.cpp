#include "cli/UpdateCommand.h"

#include <chrono>
#include <iostream>
#include <utility>

#include "cli/CliObserver.h"
#include "cli/ExitCodes.h"
#include "cli/Progress.h"
#include "firmware/FirmwareImage.h"
#include "service/FirmwareUpdate.h"
#include "service/Texts.h"

namespace UpdateCommand {
namespace {

// The update's failure as the window words it; a failed configuration read says why first.
std::string FailureLine(const Outcome::TUpdateOutcome& Update) {
    const std::string message = Texts::AfterUpdate(Update).value_or(Texts::kUpdateFailed);
    if (Update.Step == Outcome::TUpdateOutcome::TStep::ConfigurationRead)
        return Texts::kReadFailed + Texts::Reason(Update.Reason) + " " + message;
    return message;
}

} // namespace

std::optional<std::string> LoadImage(const std::string& Path, FirmwareImage::TImageState& Image) {
    FirmwareImage::TLoaded loaded = FirmwareImage::LoadImageFile(Path);
    if (loaded.Result != FirmwareImage::TCheck::Accepted)
        return Path + ": " + Texts::ImageRefusal(loaded);
    Image = std::move(loaded.Image);
    return std::nullopt;
}

int Update(Connection::TConnection& Line, Output::TOutput& Out, FirmwareImage::TImageState& Image,
           Safeguard::TSafeguard& Guard) {
    const std::size_t bodyBytes = Image.FirmwareImage.size() - FirmwareImage::kHeaderBytes;
    Outcome::TUpdateOutcome update;
    double seconds = 0;
    {
        Progress::TProgressLine line(std::cerr, Progress::StandardErrorIsTerminal(), bodyBytes);
        CliObserver::TCliObserver front(Line, &line, &Guard);
        const auto start = std::chrono::steady_clock::now();
        update = FirmwareUpdate::Update(Image, Line.Commands(), Line.Engine(), front);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (update.Result == Outcome::TResult::Interrupted)
        return Out.Fail(ExitCodes::Interrupted,
                        "interrupted (Ctrl+C) after " + std::to_string(update.BlocksAcknowledged) + " of " +
                            std::to_string(update.Blocks) + " blocks: the update did not complete");
    if (Guard.Failed())
        return ExitCodes::BackupFailed;
    if (!update.Succeeded())
        return Out.Fail(ExitCodes::For(update.Result), FailureLine(update));
    // An image without a body sends no block, and the window then says nothing either way.
    Out.Text(bodyBytes == 0 ? "The image has no body: the update start was sent, no block."
                            : Texts::kUpdated);
    Out.Object({{"completed", true}, {"blocks", update.Blocks}, {"bytes", bodyBytes}, {"seconds", seconds}});
    return ExitCodes::Success;
}

} // namespace UpdateCommand
