// The window-independent rules: failure texts, the page/record mapping, the spin-box rule and the
// code-page conversion.
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "app/SpinEdit.h"
#include "app/fMain.h"
#include "service/ConfigPage.h"

namespace {

struct MessageRow {
    uint32_t Errors;
    const char* Expected;
};

class ReadFailureMessageTest : public testing::TestWithParam<MessageRow> {};

TEST_P(ReadFailureMessageTest, AppendsBitTextsAndEndsInFullStop) {
    EXPECT_EQ(ConfigPage::ReadFailureMessage(GetParam().Errors), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ReadFailureMessageTest,
    testing::Values(
        MessageRow{0x00, "Неудалось получить конфигурацию. "},
        MessageRow{0x80, "Неудалось получить конфигурацию. "}, // not a read's bit
        MessageRow{0x09, "Неудалось получить конфигурацию. Нет ответа, Ошибка CRC."},
        MessageRow{0x04, "Неудалось получить конфигурацию. Ошибка в ответе."},
        MessageRow{0x0C, "Неудалось получить конфигурацию. Ошибка в ответе: Ошибка CRC."},
        MessageRow{0x7F, "Неудалось получить конфигурацию. Нет ответа, Невертый номер транзакции, "
                         "Ошибка в ответе: Ошибка CRC, Неправильный адрес, Ошибочная команда, "
                         "Неверная длинна сообщения."},
        MessageRow{0x30, "Неудалось получить конфигурацию. Неправильный адрес, Ошибочная команда."}));

class WriteFailureMessageTest : public testing::TestWithParam<MessageRow> {};

TEST_P(WriteFailureMessageTest, AppendsBitTextsInWriteOrder) {
    EXPECT_EQ(ConfigPage::WriteFailureMessage(GetParam().Errors), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, WriteFailureMessageTest,
    testing::Values(
        MessageRow{0x00, "Неудалось сохранить конфигурацию. "},
        MessageRow{0x78, "Неудалось сохранить конфигурацию. "}, // bits a write does not report
        MessageRow{0x82, "Неудалось сохранить конфигурацию. Невертый номер транзакции, Невозможно выполнить "
                         "операцию в текущем состоянии."},
        MessageRow{0x04, "Неудалось сохранить конфигурацию. Ошибка в ответе."},
        MessageRow{0x85,
                   "Неудалось сохранить конфигурацию. Нет ответа, Невозможно выполнить операцию в текущем "
                   "состоянии, Ошибка в ответе."}));

TEST(WriteOutcomeTest, AnswerErrorFromAnotherAddressCountsAsSaved) {
    EXPECT_TRUE(ConfigPage::WriteSucceeded(true, 0));
    EXPECT_TRUE(ConfigPage::WriteSucceeded(false, 0x14));
    EXPECT_TRUE(ConfigPage::WriteSucceeded(false, 0x1F));
    EXPECT_FALSE(ConfigPage::WriteSucceeded(false, 0x04));
    EXPECT_FALSE(ConfigPage::WriteSucceeded(false, 0x10));
    EXPECT_FALSE(ConfigPage::WriteSucceeded(false, 0));
}

TEST(DecimalsTest, ControllerCodesAndShownCounts) {
    const struct {
        uint8_t Code;
        int Shown;
    } read[] = {{0, 2}, {1, 1}, {2, 0}, {3, 2}, {255, 2}};
    for (const auto& row : read) {
        EXPECT_EQ(ConfigPage::DecimalsShown(row.Code), row.Shown) << int(row.Code);
    }
    const struct {
        int Shown;
        uint8_t Code;
    } write[] = {{0, 2}, {1, 1}, {2, 0}};
    for (const auto& row : write) {
        EXPECT_EQ(ConfigPage::DecimalsCode(row.Shown), row.Code) << row.Shown;
    }
}

TEST(PageMappingTest, RecordToPageAndBack) {
    PtnLL::TCfgStruct cfg;
    cfg.Addr1 = 7;
    cfg.Addr2 = 9;
    cfg.NoFillTO1 = 11;
    cfg.NoFillTO2 = 12;
    cfg.NoMaster = 13;
    cfg.MinVoltage = 14;
    cfg.PricePoint = 0;
    cfg.AmoPoint = 3;
    cfg.Recalc = true;
    cfg.ElType = false;
    cfg.SerialNo = "1234567890";
    const ConfigPage::TPageValues page = ConfigPage::PageFromRecord(cfg);
    EXPECT_EQ(page.Addr1, 7);
    EXPECT_EQ(page.Addr2, 9);
    EXPECT_EQ(page.NoFillTO1, 11);
    EXPECT_EQ(page.NoFillTO2, 12);
    EXPECT_EQ(page.NoMaster, 13);
    EXPECT_EQ(page.MinVoltage, 14);
    EXPECT_EQ(page.Price, 2);
    EXPECT_EQ(page.AmoPoint, 2);
    EXPECT_TRUE(page.Recalc);
    EXPECT_EQ(page.ElTypeItem, 1);

    PtnLL::TCfgStruct back;
    back.SerialNo = "0000000001";
    ConfigPage::RecordFromPage(page, back);
    EXPECT_EQ(back.Addr1, 7);
    EXPECT_EQ(back.NoMaster, 13);
    EXPECT_EQ(back.PricePoint, 0);
    EXPECT_EQ(back.AmoPoint, 0); // the code 3 came back as "two decimals"
    EXPECT_FALSE(back.ElType);
    EXPECT_EQ(back.SerialNo, "0000000001"); // texts are never written

    ConfigPage::TPageValues qv1 = page;
    qv1.ElTypeItem = 0;
    ConfigPage::RecordFromPage(qv1, back);
    EXPECT_TRUE(back.ElType);
}

TEST(PageMappingTest, MemoLinesAndAddressQuestion) {
    PtnLL::TCfgStruct cfg;
    cfg.FwVersion = "0102030405";
    cfg.SerialNo = "1234567890";
    EXPECT_EQ(ConfigPage::MemoLines(cfg),
              (std::vector<std::string>{"Версия микрокода: 0102030405", "Серийный номер: 1234567890"}));
    EXPECT_EQ(ConfigPage::AddressesQuestion(5, 6), "Получены адреса: 5 6. Применить адреса?");
    EXPECT_EQ(ConfigPage::AddressesQuestion(0, 0), "Получены адреса: 0 0. Применить адреса?");
    EXPECT_EQ(ConfigPage::AddressesQuestion(255, 10), "Получены адреса: 255 10. Применить адреса?");
}

struct SpinRow {
    const char* Text;
    int Min, Max, Value;
};

class SpinRuleTest : public testing::TestWithParam<SpinRow> {};

TEST_P(SpinRuleTest, ReadsIntegerInRangeOrMinimum) {
    const SpinRow& row = GetParam();
    EXPECT_EQ(SpinEdit::ValueFromText(row.Text, row.Min, row.Max), row.Value);
}

INSTANTIATE_TEST_SUITE_P(Texts, SpinRuleTest,
                         testing::Values(SpinRow{"5", 0, 255, 5}, SpinRow{" 7 ", 0, 255, 7},
                                         SpinRow{"+8", 0, 255, 8}, SpinRow{"300", 0, 255, 255},
                                         SpinRow{"-3", 0, 255, 0}, SpinRow{"", 0, 254, 0},
                                         SpinRow{"", 3, 9, 3}, SpinRow{"abc", 1, 9, 1},
                                         SpinRow{"12x", 0, 255, 0}, SpinRow{"-", 0, 255, 0},
                                         SpinRow{"99999999999999999999999", 0, 254, 254},
                                         SpinRow{"-99999999999999999999999", 2, 254, 2}));

TEST(SpinEditTest, SettingAndLeavingBringIntoRange) {
    SpinEdit::TSpinEdit box;
    box.setRange(0, 254);
    box.setValue(255);
    EXPECT_EQ(box.Value(), 254);
    EXPECT_EQ(box.text(), "254");
    box.setValue(-4);
    EXPECT_EQ(box.Value(), 0);

    box.selectAll();
    QTest::keyClicks(&box, "300");
    EXPECT_EQ(box.text(), "300"); // typing may leave the range for a while
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&box, &leave);
    EXPECT_EQ(box.text(), "254");
    EXPECT_EQ(box.value(), 254);

    box.clear();
    EXPECT_EQ(box.Value(), 0); // no integer: the minimum
    box.setRange(5, 254);
    box.clear();
    QApplication::sendEvent(&box, &leave);
    EXPECT_EQ(box.text(), "5");
}

} // namespace
