#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "service/AnsiText.h"

namespace {

TEST(AnsiToWideTest, ConvertsCodePage1251) {
    EXPECT_EQ(AnsiText::AnsiToWide("", 1251), u"");
    EXPECT_EQ(AnsiText::AnsiToWide("abc 09", 1251), u"abc 09");
    // "Идет обновление..." as the transfer builds it
    EXPECT_EQ(AnsiText::AnsiToWide("\xC8\xE4\xE5\xF2 \xEE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5...", 1251),
              u"Идет обновление...");
    EXPECT_EQ(AnsiText::AnsiToWide("\xC0\xDF\xE0\xFF\xA8\xB8", 1251), u"АЯаяЁё");
    EXPECT_EQ(AnsiText::AnsiToWide("\x80\x88\x98\xA0\xB9\xBF", 1251), u"Ђ€\u0098\u00A0№ї");
    EXPECT_EQ(AnsiText::AnsiToWide("abc", 9999), u""); // a code page no system has
}

TEST(AnsiToWideTest, EveryUpperByteHasItsOwnCharacter) {
    std::string upper;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        upper.push_back(static_cast<char>(byte));
    }
    std::u16string wide = AnsiText::AnsiToWide(upper, 1251);
    ASSERT_EQ(wide.size(), 128u);
    EXPECT_EQ(std::count_if(wide.begin(), wide.end(), [](char16_t c) { return c < 0x80; }), 0);
    std::sort(wide.begin(), wide.end());
    EXPECT_EQ(std::adjacent_find(wide.begin(), wide.end()), wide.end());
}

TEST(Utf16Test, ConvertsTheToolsOwnTexts) {
    EXPECT_EQ(AnsiText::Utf16(""), u"");
    EXPECT_EQ(AnsiText::Utf16("Идет выполнение операции..."), u"Идет выполнение операции...");
    EXPECT_EQ(AnsiText::Utf16("ТРК №1 \u00e9"), u"ТРК №1 \u00e9");
    // A byte that starts no character, and a character cut short, each stand for U+FFFD.
    EXPECT_EQ(AnsiText::Utf16("a\xFF"
                              "b"),
              u"a\uFFFDb");
    EXPECT_EQ(AnsiText::Utf16("a\xD0"), u"a\uFFFD");
}

} // namespace
