// FindText: case folding, character alignment and the block-wise candidate search,
// the last checked against a plain reading of the rule on many generated texts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/gbk_text.h"

namespace pagorin::text {
namespace {

// The rule read literally: walk the characters, try each start, fold ASCII letters.
int64_t referenceFind(const std::string& text, const std::string& keyword) {
    if (text.empty()) return -1;
    if (keyword.empty()) return 1;
    auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    size_t pos = 0;
    while (pos < text.size()) {
        bool lead = static_cast<unsigned char>(text[pos]) >= 0x80;
        if (lead && pos + 1 == text.size()) break;  // a lone lead byte ends the scan
        if (text.size() - pos >= keyword.size()) {
            size_t i = 0;
            while (i < keyword.size() && fold(static_cast<unsigned char>(text[pos + i])) ==
                                             fold(static_cast<unsigned char>(keyword[i]))) {
                ++i;
            }
            if (i == keyword.size()) return static_cast<int64_t>(pos) + 1;
        }
        pos += lead ? 2 : 1;
    }
    return -1;
}

TEST(FindText, EmptyTextsAndEmptyKeyword) {
    EXPECT_EQ(FindText("", ""), -1);
    EXPECT_EQ(FindText("", "a"), -1);
    EXPECT_EQ(FindText("x", ""), 1);
    EXPECT_EQ(FindText("\xB0", ""), 1);
}

TEST(FindText, AsciiLettersFoldBothWays) {
    EXPECT_EQ(FindText("xxabcxx", "ABC"), 3);
    EXPECT_EQ(FindText("xxAbCxx", "abc"), 3);
    EXPECT_EQ(FindText("xxAbCxx", "aBc"), 3);
    EXPECT_EQ(FindText("[at]", "@T"), -1);  // '@' and '`' are not the case pair of letters
    EXPECT_EQ(FindText("a[b", "A{B"), -1);
    EXPECT_EQ(FindText("abc", "abcd"), -1);
    EXPECT_EQ(FindText("abc", "abc"), 1);
}

TEST(FindText, FullWidthLettersAreNotHalfWidth) {
    EXPECT_EQ(FindText("ABC", "\xA3\xC1\xA3\xC2\xA3\xC3"), -1);  // ＡＢＣ
    EXPECT_EQ(FindText("\xA3\xC1\xA3\xC2\xA3\xC3", "ABC"), -1);
    EXPECT_EQ(FindText("\xA3\xE1\xA3\xE2", "\xA3\xC1\xA3\xC2"), -1);  // ａｂ vs ＡＢ
}

TEST(FindText, NeverStartsInsideADoubleByteCharacter) {
    // B0 41 is one character whose second byte looks like 'A'.
    EXPECT_EQ(FindText("\xB0\x41", "A"), -1);
    EXPECT_EQ(FindText("\xB0\x41"
                       "A",
                       "A"),
              3);
    EXPECT_EQ(FindText("\xB0\x7C", "|"), -1);
    // D6 D0 B9 FA: the pair "D0 B9" straddles two characters.
    EXPECT_EQ(FindText("\xD6\xD0\xB9\xFA", "\xD0\xB9"), -1);
    EXPECT_EQ(FindText("a\xD6\xD0\xB9\xFA", "\xB9\xFA"), 4);
    // A long run of double-byte characters before the match.
    std::string run;
    for (int i = 0; i < 1001; ++i) run += "\xC4\xE3";
    EXPECT_EQ(FindText(run + "\xE3\xC4", "\xE3\xC4"), 2003);
    EXPECT_EQ(FindText(run + "x\xC4", "\xE3x"), -1);
}

TEST(FindText, SecondByteFoldsLikeALetter) {
    // Folding is byte by byte, so the second byte of B0 41 also equals 'a'.
    EXPECT_EQ(FindText("\xB0\x41", "\xB0\x61"), 1);
}

TEST(FindText, LoneLeadByteAtTheEndIsNoCharacter) {
    EXPECT_EQ(FindText("ab\xB0", "\xB0"), -1);
    EXPECT_EQ(FindText("\xB0", "\xB0"), -1);
    EXPECT_EQ(FindText("ab\xB0\xB1", "\xB0"), 3);  // a lead byte may match on its own
    EXPECT_EQ(FindText("ab\xB0", "b"), 2);
}

TEST(FindText, FindsTheFirstOccurrence) {
    EXPECT_EQ(FindText("abab", "ab"), 1);
    EXPECT_EQ(FindText("xaBab", "ab"), 2);
    std::string page(100000, 'x');
    page += "Needle";
    page += std::string(50, 'y');
    page += "needle";
    EXPECT_EQ(FindText(page, "NEEDLE"), 100001);
}

TEST(FindText, AgreesWithTheRuleOnGeneratedTexts) {
    // A small alphabet makes matches, near misses, letter-like second bytes and
    // lone lead bytes frequent; lengths cross the sixteen-byte blocks.
    const unsigned char alphabet[] = {'a',  'A',  'b',  '|',  '\r', '\n', 0x41, 0x61,
                                      0xB0, 0xC1, 0xA1, 0xE1, 0x80, 0xFF, '1'};
    std::mt19937 random(12345);
    auto pick = [&](size_t length) {
        std::string s;
        for (size_t i = 0; i < length; ++i) {
            s.push_back(static_cast<char>(alphabet[random() % sizeof alphabet]));
        }
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string text = pick(random() % 70);
        std::string keyword = pick(1 + random() % 4);
        ASSERT_EQ(FindText(text, keyword), referenceFind(text, keyword)) << "round " << round;
    }
}

}  // namespace
}  // namespace pagorin::text
