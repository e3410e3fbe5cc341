#include "service/Texts.h"

#include <cstdio>

#include "protocol/CommandSet.h"
#include "serial/Hex.h"

namespace Texts {
namespace {

std::string N(int Value) {
    return std::to_string(Value);
}

std::string Hex8(int Value) {
    return Hex::Byte(static_cast<uint8_t>(Value));
}

std::string Bytes(int Count) {
    const int last = Count % 10, lastTwo = Count % 100;
    if (last == 1 && lastTwo != 11)
        return N(Count) + " байт";
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return N(Count) + " байта";
    return N(Count) + " байт";
}

// The exchange a command-protocol reason belongs to: "GetParam, параметр 1 Addr1".
std::string Exchange(const PtnLL::TFailure& Failure) {
    const CommandSet::TCommand* command = CommandSet::FindCommand(Failure.Command);
    std::string text = command ? command->Name : "команда " + Hex8(Failure.Command);
    if (Failure.Parameter) {
        text += ", параметр " + N(*Failure.Parameter);
        if (const CommandSet::TParameter* parameter = CommandSet::FindParameter(*Failure.Parameter))
            text += std::string(" ") + parameter->Name;
    }
    return text;
}

std::string What(const CommandFrame::TVerdict& Verdict) {
    using CommandFrame::TFault;
    switch (Verdict.Fault) {
    case TFault::None:
        return "";
    case TFault::NotSent:
        return "Запрос не удалось составить";
    case TFault::WriteFailed:
        return "Запрос ушел в линию не целиком";
    case TFault::NoAnswer:
        return "Нет ответа";
    case TFault::Overrun:
        return "Ответ занял все 256 байт чтения";
    case TFault::TooShort:
        return "Ответ длиной " + Bytes(Verdict.Got) + " короче наименьшего (" + Bytes(Verdict.Wanted) + ")";
    case TFault::Checksum:
        return "Ошибка контрольной суммы: получена " + Hex::Word(Verdict.Received) + ", вычислена " +
               Hex::Word(Verdict.Computed);
    case TFault::Trailer:
        return "Ответ кончается на " + Hex8(Verdict.Trailer[0]) + " " + Hex8(Verdict.Trailer[1]) +
               ", а не на 03 FF";
    case TFault::WrongAddress:
        return "Ответ с адреса " + N(Verdict.Got) + ", а запрос шел на адрес " + N(Verdict.Wanted);
    case TFault::WrongCommand:
        return "Ответ на команду " + Hex8(Verdict.Got) + ", а запрос был " + Hex8(Verdict.Wanted);
    case TFault::WrongLength:
        return "Длина ответа " + N(Verdict.Got) + ", а ожидалась " + N(Verdict.Wanted);
    case TFault::LengthBeyondData:
        return "Байт длины обещает " + Bytes(Verdict.Wanted) + " данных, а пришло " + N(Verdict.Got);
    case TFault::ValueTooShort:
        return "В значении " + Bytes(Verdict.Got) + " из " + N(Verdict.Wanted);
    }
    return "";
}

std::string What(const LinkFrame::TReplyVerdict& Verdict) {
    using LinkFrame::TReplyFault;
    switch (Verdict.Fault) {
    case TReplyFault::None:
        return "";
    case TReplyFault::NotSent:
        return "Транзакция не помещается ни в один кадр";
    case TReplyFault::WriteFailed:
        return "Кадр ушел в линию не целиком";
    case TReplyFault::NoReply:
        return "Нет ответа";
    case TReplyFault::TooShort:
        return "Ответ длиной " + Bytes(Verdict.Got) + " короче управляющего кадра";
    case TReplyFault::WrongLength:
        return "Ответ длиной " + Bytes(Verdict.Got) + ", а нужно " + N(Verdict.Wanted);
    case TReplyFault::OtherAddress:
        return "Ответ с адреса " + Hex8(Verdict.Got) + ", а кадр шел на " + Hex8(Verdict.Wanted);
    case TReplyFault::NoStopFlag:
        return "Ответ не кончается на FA";
    case TReplyFault::Nak:
        return "Контроллер отказал (NAK)";
    case TReplyFault::Eot:
        return "Контроллер завершил обмен (EOT)";
    case TReplyFault::OtherTx:
        return "Подтвержден кадр TX " + N(Verdict.Got) + ", а послан TX " + N(Verdict.Wanted);
    case TReplyFault::UnknownKind:
        return "Ответ неизвестного вида " + Hex8(Verdict.Got);
    case TReplyFault::NotEot:
        return "Управляющий кадр " + Hex8(Verdict.Got) + " вместо EOT";
    case TReplyFault::NotData:
        return "Ответ длиной " + Bytes(Verdict.Got) + " не является кадром данных";
    case TReplyFault::BadCrc:
        return "Ошибка CRC: получена " + Hex::Word(Verdict.Received) + ", вычислена " +
               Hex::Word(Verdict.Computed);
    }
    return "";
}

} // namespace

std::string NotOneOf(const char* First, const char* Second) {
    return std::string("должно быть \"") + First + "\" или \"" + Second + "\", а не ";
}

std::string CopyNotSaved(const std::string& Folder, const std::string& Problem) {
    return std::string("Не удалось сохранить резервную копию конфигурации") +
           (Folder.empty() ? "" : " в папку " + Folder) + ".\n" + Problem + "\nКонтроллер не изменен.";
}

std::string ImageRefusal(const FirmwareImage::TLoaded& Loaded) {
    switch (Loaded.Result) {
    case FirmwareImage::TCheck::Accepted:
        return "";
    case FirmwareImage::TCheck::ChecksumMismatch:
        return kImageChecksum;
    case FirmwareImage::TCheck::TooShort:
        return kImageTooShort;
    case FirmwareImage::TCheck::TooLarge:
        return kImageTooLarge;
    case FirmwareImage::TCheck::Unreadable:
        return Loaded.Reason;
    }
    return Loaded.Reason;
}

std::optional<std::string> AfterUpdate(const Outcome::TUpdateOutcome& Update) {
    using TStep = Outcome::TUpdateOutcome::TStep;
    if (Update.Result == Outcome::TResult::NoImage)
        return kNoImage;
    if (Update.Succeeded())
        return Update.Blocks > 0 ? std::optional<std::string>(kUpdated) : std::nullopt;
    switch (Update.Step) {
    case TStep::Image:
    case TStep::ConfigurationRead:
    case TStep::EnterUpdateMode:
        return kNoUpdateMode;
    case TStep::UpdateStart:
    case TStep::Blocks:
        break;
    }
    return kUpdateFailed;
}

std::string Reason(const Outcome::TReason& Reason) {
    if (const auto* command = std::get_if<PtnLL::TFailure>(&Reason))
        return What(command->Verdict) + " (" + Exchange(*command) + ").";
    if (const auto* link = std::get_if<LinkFrame::TReplyVerdict>(&Reason))
        return What(*link) + (link->ToPoll ? " (опрос)." : " (кадр данных).");
    return "";
}

} // namespace Texts
