// zur-cli's Russian words for the reason an exchange failed, and the window's message after an
// update, for each result it can have.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "service/Texts.h"

namespace {

using CommandFrame::TFault;
using LinkFrame::TReplyFault;

struct TReasonRow {
    const char* Name;
    Outcome::TReason Reason;
    const char* Words;
};

void PrintTo(const TReasonRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

PtnLL::TFailure Command(uint8_t Code, std::optional<uint8_t> Parameter, CommandFrame::TVerdict Verdict) {
    return {.Command = Code, .Parameter = Parameter, .Verdict = Verdict};
}

LinkFrame::TReplyVerdict Link(TReplyFault Fault, bool ToPoll, int Got = 0, int Wanted = 0) {
    LinkFrame::TReplyVerdict verdict;
    verdict.Fault = Fault;
    verdict.ToPoll = ToPoll;
    verdict.Got = Got;
    verdict.Wanted = Wanted;
    return verdict;
}

class ReasonTest : public testing::TestWithParam<TReasonRow> {};

TEST_P(ReasonTest, OneSentenceNamingTheExchange) {
    EXPECT_EQ(Texts::Reason(GetParam().Reason), GetParam().Words);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, ReasonTest,
    testing::Values(
        TReasonRow{"None", std::monostate{}, ""},
        TReasonRow{"NoAnswer", Command(0x0F, 1, {.Fault = TFault::NoAnswer}),
                   "Нет ответа (GetParam, параметр 1 Addr1)."},
        TReasonRow{"TooShort",
                   Command(0x01, std::nullopt, {.Fault = TFault::TooShort, .Got = 4, .Wanted = 8}),
                   "Ответ длиной 4 байта короче наименьшего (8 байт) (GetState)."},
        TReasonRow{
            "Checksum", Command(0x10, 3, {.Fault = TFault::Checksum, .Received = 0x12AB, .Computed = 0x0F00}),
            "Ошибка контрольной суммы: получена 12AB, вычислена 0F00 (SetParam, параметр 3 NoFillTO1)."},
        TReasonRow{"Trailer",
                   Command(0x85, std::nullopt, {.Fault = TFault::Trailer, .Trailer = {0x03, 0xFE}}),
                   "Ответ кончается на 03 FE, а не на 03 FF (GetAddresses)."},
        TReasonRow{"WrongAddress", Command(0x0F, 101, {.Fault = TFault::WrongAddress, .Got = 2, .Wanted = 1}),
                   "Ответ с адреса 2, а запрос шел на адрес 1 (GetParam, параметр 101 SerialNo)."},
        TReasonRow{"LengthBeyondData",
                   Command(0x0F, 100, {.Fault = TFault::LengthBeyondData, .Got = 3, .Wanted = 21}),
                   "Байт длины обещает 21 байт данных, а пришло 3 (GetParam, параметр 100 FwVersion)."},
        TReasonRow{"UnknownCommand", Command(0x77, std::nullopt, {.Fault = TFault::NoAnswer}),
                   "Нет ответа (команда 77)."},
        TReasonRow{"Nak", Link(TReplyFault::Nak, false), "Контроллер отказал (NAK) (кадр данных)."},
        TReasonRow{"WrongLength", Link(TReplyFault::WrongLength, false, 21, 3),
                   "Ответ длиной 21 байт, а нужно 3 (кадр данных)."},
        TReasonRow{"OtherTx", Link(TReplyFault::OtherTx, false, 3, 2),
                   "Подтвержден кадр TX 3, а послан TX 2 (кадр данных)."},
        TReasonRow{"PollFromElsewhere", Link(TReplyFault::OtherAddress, true, 0xFE, 0xFF),
                   "Ответ с адреса FE, а кадр шел на FF (опрос)."}),
    [](const testing::TestParamInfo<TReasonRow>& Info) { return std::string(Info.param.Name); });

Outcome::TUpdateOutcome Update(Outcome::TResult Result, Outcome::TUpdateOutcome::TStep Step,
                               std::size_t Blocks) {
    Outcome::TUpdateOutcome update;
    update.Result = Result;
    update.Step = Step;
    update.Blocks = Blocks;
    return update;
}

TEST(AfterUpdateTest, TheWindowsMessageForEachEnd) {
    using Outcome::TResult;
    using TStep = Outcome::TUpdateOutcome::TStep;
    EXPECT_EQ(Texts::AfterUpdate(Update(TResult::NoImage, TStep::Image, 0)), "Не выбран файл микрокода!");
    EXPECT_EQ(Texts::AfterUpdate(Update(TResult::Success, TStep::Blocks, 3)), "Микрокод успешно обновлен.");
    // An image without a body: the update start went through and nothing is said.
    EXPECT_EQ(Texts::AfterUpdate(Update(TResult::Success, TStep::Blocks, 0)), std::nullopt);
    EXPECT_EQ(Texts::AfterUpdate(Update(TResult::NoAnswer, TStep::ConfigurationRead, 3)),
              "Не удалось войти в режим обновнения.");
    EXPECT_EQ(Texts::AfterUpdate(Update(TResult::CorruptAnswer, TStep::EnterUpdateMode, 3)),
              "Не удалось войти в режим обновнения.");
    EXPECT_EQ(Texts::AfterUpdate(Update(TResult::Refused, TStep::UpdateStart, 3)),
              "Неудалось обновить микрокод.");
    EXPECT_EQ(Texts::AfterUpdate(Update(TResult::Refused, TStep::Blocks, 3)), "Неудалось обновить микрокод.");
}

TEST(ImageRefusalTest, AsTheWindowSaysIt) {
    FirmwareImage::TLoaded loaded;
    loaded.Result = FirmwareImage::TCheck::ChecksumMismatch;
    EXPECT_EQ(Texts::ImageRefusal(loaded), "Ошибка контрольной суммы!");
    loaded.Result = FirmwareImage::TCheck::Unreadable;
    loaded.Reason = "No such file or directory";
    EXPECT_EQ(Texts::ImageRefusal(loaded), "No such file or directory");
    loaded.Result = FirmwareImage::TCheck::Accepted;
    EXPECT_EQ(Texts::ImageRefusal(loaded), "");
}

} // namespace
