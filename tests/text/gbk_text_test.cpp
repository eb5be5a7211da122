// The splitting rule, trimming, case and number rules on GBK bytes.
#include "text/gbk_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace pagorin::text {
namespace {

using List = TextList;

TEST(TextFromBytes, StopsAtTheFirstZeroByte) {
    EXPECT_EQ(TextFromBytes(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(TextFromBytes(std::string_view("\0ab", 3)), "");
    EXPECT_EQ(TextFromBytes("\xB0\xA1x"), "\xB0\xA1x");
    EXPECT_EQ(TextFromBytes(""), "");
    // Handed over, the bytes are cut in place.
    EXPECT_EQ(TextFromBytes(std::string("ab\0cd\0", 6)), "ab");
    EXPECT_EQ(TextFromBytes(std::string("\0", 1)), "");
    EXPECT_EQ(TextFromBytes(std::string("\xB0\xA1x")), "\xB0\xA1x");
}

TEST(SplitText, EverySeparatorClosesAPiece) {
    EXPECT_EQ(SplitText("a|b|c", "|"), (List{"a", "b", "c"}));
    EXPECT_EQ(SplitText("a||b", "|"), (List{"a", "", "b"}));
    EXPECT_EQ(SplitText("|a", "|"), (List{"", "a"}));
    EXPECT_EQ(SplitText("a|", "|"), (List{"a"}));
    EXPECT_EQ(SplitText("|", "|"), (List{""}));
    EXPECT_EQ(SplitText("||", "|"), (List{"", ""}));
    EXPECT_EQ(SplitText("a||", "|"), (List{"a", ""}));
    EXPECT_EQ(SplitText("", "|"), List{});
    EXPECT_EQ(SplitText("abc", "|"), (List{"abc"}));
}

TEST(SplitText, SeparatorsInsideDoubleByteCharactersDoNotCount) {
    // B0 7C is one character whose second byte is "|".
    EXPECT_EQ(SplitText("\xB0\x7C|x", "|"), (List{"\xB0\x7C", "x"}));
    EXPECT_EQ(SplitText("\xB0\x7C", "|"), (List{"\xB0\x7C"}));
    // The full-width comma A3 AC must begin a character to separate.
    EXPECT_EQ(SplitText("a\xA3\xAC"
                        "b",
                        "\xA3\xAC"),
              (List{"a", "b"}));
    EXPECT_EQ(SplitText("\xB0\xA3\xAC\xB1", "\xA3\xAC"), (List{"\xB0\xA3\xAC\xB1"}));
    // A lead byte swallows the CR after it, so that CR LF is no line break.
    EXPECT_EQ(SplitText("a\xB0\r\nb\r\nc", "\r\n"), (List{"a\xB0\r\nb", "c"}));
    // A lone lead byte at the end stays in the last piece.
    EXPECT_EQ(SplitText("a|\xB0", "|"), (List{"a", "\xB0"}));
}

TEST(SplitText, SeparatorsAreCaseSensitiveAndMultiByte) {
    EXPECT_EQ(SplitText("aXbxc", "x"), (List{"aXb", "c"}));
    EXPECT_EQ(SplitText("l1\r\nl2\nl3\rl4\r\n\r\n", "\r\n"), (List{"l1", "l2\nl3\rl4", ""}));
}

TEST(ForEachPiece, StopsWhenAsked) {
    List seen;
    ForEachPiece("a|b|c", "|", [&](std::string_view piece) {
        seen.emplace_back(piece);
        return seen.size() < 2;
    });
    EXPECT_EQ(seen, (List{"a", "b"}));
}

TEST(Trim, OnlyAsciiAndFullWidthSpaces) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\xA1\xA1 x\xA1\xA1 "), "x");
    EXPECT_EQ(Trim("\tx\r\n"), "\tx\r\n");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\xA1\xA1"), "");
    EXPECT_EQ(Trim(""), "");
}

TEST(Trim, NeverCutsIntoACharacter) {
    // B0 A1 then a lone A1: the last two bytes are not a full-width space.
    EXPECT_EQ(Trim("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
    // A1 A2 is a character of its own, not a space.
    EXPECT_EQ(Trim(" \xA1\xA2 "), "\xA1\xA2");
}

TEST(Case, ChangesAsciiLettersOnly) {
    EXPECT_EQ(ToLower("AbC\xA3\xC1z1"), "abc\xA3\xC1z1");
    EXPECT_EQ(ToUpper("aBc\xA3\xE1Z1"), "ABC\xA3\xE1Z1");
    // The second byte of B0 61 looks like 'a' but belongs to the character.
    EXPECT_EQ(ToUpper("\xB0\x61"
                      "a"),
              "\xB0\x61"
              "A");
    EXPECT_EQ(ToLower("\xB0\x41"
                      "A"),
              "\xB0\x41"
              "a");
}

TEST(FullWidthToHalfWidth, FoldsTheFullWidthForms) {
    EXPECT_EQ(FullWidthToHalfWidth("\xA3\xB1\xA3\xB2"), "12");           // １２
    EXPECT_EQ(FullWidthToHalfWidth("\xA3\xAD\xA3\xAB\xA1\xA1"), "-+ ");  // －＋ and the space
    EXPECT_EQ(FullWidthToHalfWidth("\xA3\xA1\xA3\xFE"), "!~");
    EXPECT_EQ(FullWidthToHalfWidth("\xB7\xD6\xD6\xD3"), "\xB7\xD6\xD6\xD3");  // 分钟 stays
    EXPECT_EQ(FullWidthToHalfWidth("\xA3"), "\xA3");
}

TEST(TextToInt, DigitsAfterBlanksAndOneSign) {
    EXPECT_EQ(TextToInt("3"), 3);
    EXPECT_EQ(TextToInt("  42abc"), 42);
    EXPECT_EQ(TextToInt("-5"), -5);
    EXPECT_EQ(TextToInt("+7"), 7);
    EXPECT_EQ(TextToInt("--7"), 0);
    EXPECT_EQ(TextToInt("- 7"), 0);
    EXPECT_EQ(TextToInt(""), 0);
    EXPECT_EQ(TextToInt("abc"), 0);
    EXPECT_EQ(TextToInt("3\xB7\xD6\xD6\xD3"), 3);  // 3分钟
    EXPECT_EQ(TextToInt("007"), 7);
    // The blanks skipped are the space and the control bytes tab to CR (09 to 0D), as
    // many as stand there; the bytes just outside that range stop the reading.
    EXPECT_EQ(TextToInt("\r5"), 5);
    EXPECT_EQ(TextToInt("\r\n7"), 7);
    EXPECT_EQ(TextToInt("\r\r\n\r-4"), -4);
    EXPECT_EQ(TextToInt(" \r+6\r"), 6);
    EXPECT_EQ(TextToInt("\t\v\f9"), 9);
    EXPECT_EQ(TextToInt("\x08"
                        "8"),
              0);
    EXPECT_EQ(TextToInt("\x0E"
                        "8"),
              0);
    EXPECT_EQ(TextToInt("\xA1\xA1\r\xA3\xB3"), 3);  // 　 CR ３
    EXPECT_EQ(TextToInt("-\r4"), 0);                // none after the sign
    EXPECT_EQ(TextToInt("1\r2"), 1);
}

TEST(TextToInt, FullWidthIsReadAsHalfWidth) {
    EXPECT_EQ(TextToInt("\xA3\xB1\xA3\xB0"), 10);          // １０
    EXPECT_EQ(TextToInt("\xA1\xA1\xA3\xAD\xA3\xB3"), -3);  // 　－３
    EXPECT_EQ(TextToInt("1\xA3\xB2"
                        "3"),
              123);
}

TEST(TextToInt, HugeNumbersSaturate) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(TextToInt("\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9"
                        "\xA3\xB9"),
              9999999999LL);
    EXPECT_EQ(TextToInt("9223372036854775807"), kMax);
    EXPECT_EQ(TextToInt("9223372036854775808"), kMax);
    EXPECT_EQ(TextToInt("99999999999999999999999"), kMax);
    EXPECT_EQ(TextToInt("-9223372036854775808"), kMin);
    EXPECT_EQ(TextToInt("-99999999999999999999999"), kMin);
}

TEST(IntToText, DecimalWithoutLeadingZeros) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(12), "12");
    EXPECT_EQ(IntToText(-3), "-3");
    EXPECT_EQ(IntToText(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

}  // namespace
}  // namespace pagorin::text
