// UTF-8 to GBK through the Windows converters, stage by stage.
#include "win32/code_page.h"

#include <gtest/gtest.h>

namespace pagorin::win32 {
namespace {

TEST(Utf8ToGbk, ConvertsChineseAndKeepsAscii) {
    EXPECT_EQ(Utf8ToGbk(""), "");
    EXPECT_EQ(Utf8ToGbk("plain ASCII <b>1</b>"), "plain ASCII <b>1</b>");
    EXPECT_EQ(Utf8ToGbk("\xE4\xB8\xAD\xE6\x96\x87"), "\xD6\xD0\xCE\xC4");  // 中文
    EXPECT_EQ(Utf8ToGbk("a\xE7\x9A\x84z"), "a\xB5\xC4z");                  // 的
}

TEST(Utf8ToGbk, WhatGbkLacksBecomesAQuestionMark) {
    // U+1F600 is two UTF-16 units, each becoming '?'.
    EXPECT_EQ(Utf8ToGbk("x\xF0\x9F\x98\x80y"), "x??y");
}

TEST(Utf8ToGbk, GbkInputIsNotPassedThrough) {
    // D6 D0 CE C4 is not valid UTF-8: the characters do not survive, ASCII does.
    const std::string converted = Utf8ToGbk("A\xD6\xD0\xCE\xC4Z");
    EXPECT_NE(converted, "A\xD6\xD0\xCE\xC4Z");
    EXPECT_EQ(converted.front(), 'A');
    EXPECT_EQ(converted.back(), 'Z');
}

TEST(Utf8ToGbk, StopsAtTheFirstNul) {
    EXPECT_EQ(Utf8ToGbk(std::string_view("ab\0\xE4\xB8\xAD", 6)), "ab");
}

TEST(TextToWide, IncludesTheTerminatingUnit) {
    EXPECT_EQ(TextToWide("", kUtf8CodePage), "");
    const std::string wide = TextToWide(
        "\xD6\xD0"
        "a",
        936);
    EXPECT_EQ(wide, std::string("\x2D\x4E"
                                "a\0\0\0",
                                6));  // U+4E2D 'a' 0, little-endian
}

TEST(WideToText, StopsAtTheFirstZeroUnitAndAddsNoTerminator) {
    EXPECT_EQ(WideToText(std::string("\x2D\x4E\0\0\x61\0", 6), 936), "\xD6\xD0");
    EXPECT_EQ(WideToText(std::string("\x61\0", 2), 936), "a");  // no terminator given
    EXPECT_EQ(WideToText("", 936), "");
    EXPECT_EQ(WideToText("\x61", 936), "");  // half a unit is nothing
}

}  // namespace
}  // namespace pagorin::win32
