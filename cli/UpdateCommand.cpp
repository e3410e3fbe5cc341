#include "cli/UpdateCommand.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <utility>

#include "cli/CliObserver.h"
#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"
#include "cli/Failure.h"
#include "cli/Progress.h"
#include "firmware/FirmwareImage.h"
#include "serial/SystemPath.h"
#include "service/FirmwareUpdate.h"
#include "service/Scan.h"
#include "service/Texts.h"
#include "service/TransferTime.h"

namespace UpdateCommand {
namespace {

// The update's failure as the window words it; a failed configuration read says why first.
std::string FailureLine(const Outcome::TUpdateOutcome& Update) {
    const std::string message = Texts::AfterUpdate(Update).value_or(Texts::kUpdateFailed);
    if (Update.Step == Outcome::TUpdateOutcome::TStep::ConfigurationRead)
        return Texts::kReadFailed + Texts::Reason(Update.Reason) + " " + message;
    if (Update.FailedBlock) {
        const std::string reason = Texts::Reason(Update.Reason);
        return message + " " + CliTexts::FailedBlock(Update) + (reason.empty() ? "" : " " + reason);
    }
    return message;
}

const char* Verdict(FirmwareImage::TCheck Check) {
    switch (Check) {
    case FirmwareImage::TCheck::Accepted:
        return "ok";
    case FirmwareImage::TCheck::ChecksumMismatch:
        return "checksum_mismatch";
    case FirmwareImage::TCheck::TooShort:
        return "too_short";
    case FirmwareImage::TCheck::TooLarge:
        return "too_large";
    case FirmwareImage::TCheck::Unreadable:
        break;
    }
    return "unreadable";
}

} // namespace

std::optional<std::string> LoadImage(const std::string& Path, FirmwareImage::TImageState& Image) {
    FirmwareImage::TLoaded loaded = FirmwareImage::LoadImageFile(Path);
    if (loaded.Result != FirmwareImage::TCheck::Accepted)
        return Path + ": " + Texts::ImageRefusal(loaded);
    Image = std::move(loaded.Image);
    return std::nullopt;
}

int Inspect(const std::string& Path, Output::TOutput& Out) {
    const FirmwareImage::TLoaded loaded = FirmwareImage::LoadImageFile(Path);
    if (loaded.Result == FirmwareImage::TCheck::Unreadable)
        return Out.Fail(ExitCodes::Usage, Path + ": " + Texts::ImageRefusal(loaded));
    std::error_code error;
    const auto size = std::filesystem::file_size(SystemPath::Native(Path), error);
    const bool accepted = loaded.Result == FirmwareImage::TCheck::Accepted;
    Out.Text(
        CliTexts::ImageSummary(Path, size, accepted ? CliTexts::kImageGood : Texts::ImageRefusal(loaded)));
    Output::Json object = {{"file", Path}, {"size", size}, {"verdict", Verdict(loaded.Result)}};
    if (accepted) {
        const std::size_t blocks = TransferTime::Blocks(loaded.Image);
        Out.Text(CliTexts::TransferHeader(blocks));
        Output::Json times = Output::Json::array();
        for (const uint32_t speed : Connection::kWindowSpeeds) {
            const double standard = TransferTime::Seconds(loaded.Image, speed, false),
                         fast = TransferTime::Seconds(loaded.Image, speed, true);
            Out.Text(CliTexts::TransferRow(speed, standard, fast));
            times.push_back({{"speed", speed}, {"standard_s", standard}, {"fast_s", fast}});
        }
        object["blocks"] = blocks;
        object["transfer"] = times;
    }
    Out.Object(object);
    if (!accepted)
        return Out.Fail(ExitCodes::Usage, Path + ": " + Texts::ImageRefusal(loaded));
    return ExitCodes::Success;
}

int Update(Connection::TConnection& Line, Output::TOutput& Out, FirmwareImage::TImageState& Image,
           Safety::TSafety& Safety, int Attempts) {
    const std::size_t bodyBytes = Image.FirmwareImage.size() - FirmwareImage::kHeaderBytes;
    Outcome::TUpdateOutcome update;
    double seconds = 0;
    {
        Progress::TProgressLine line(std::cerr, Progress::StandardErrorIsTerminal(), bodyBytes);
        CliObserver::TCliObserver front(Line, &line, &Safety);
        Safeguard::TGuard guard(front, Safety.Change());
        const auto start = std::chrono::steady_clock::now();
        update = FirmwareUpdate::Update(Image, Line.Commands(), Line.Engine(), guard, Attempts);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Safety.Change().Ended(Journal::Word(update.Result));
    Safety.Change().SetAttempts(update.Attempts);
    if (update.Result == Outcome::TResult::Interrupted)
        return Failure::Interrupted(Out, CliTexts::kAfterBlocks + std::to_string(update.BlocksAcknowledged) +
                                             CliTexts::kOfBlocks + std::to_string(update.Blocks) +
                                             CliTexts::kUpdateIncomplete);
    if (Safety.Change().Failure())
        return Safety.CopyFailed();
    if (!update.Succeeded())
        return Out.Fail(ExitCodes::For(update.Result), FailureLine(update));
    // An image without a body sends no block, and the window then says nothing either way.
    Out.Text(bodyBytes == 0 ? CliTexts::kNoBody : Texts::kUpdated);
    Out.Object({{"completed", true},
                {"blocks", update.Blocks},
                {"bytes", bodyBytes},
                {"seconds", seconds},
                {"attempts", update.Attempts}});
    return ExitCodes::Success;
}

} // namespace UpdateCommand
