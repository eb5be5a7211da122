// MatchPage in the three modes, and SplitKeywords.
#include "monitor/keyword_match.h"

#include <gtest/gtest.h>

#include <random>

#include "text/fixed_texts.h"

namespace pagorin::monitor {
namespace {

using text::kModeAll;
using text::kModeAny;
using text::kModeSameLine;
using Finds = FindList;

}  // namespace

// Readable failures: texts shown as gtest shows strings (escaped bytes).
void PrintTo(const FoundTarget& find, std::ostream* out) {
    *out << testing::PrintToString(find.targetText) << " " << testing::PrintToString(find.modeTag);
}

namespace {

Finds match(std::string_view page, std::string_view keywordText, std::string_view mode) {
    return MatchPage(page, SplitKeywords(keywordText), keywordText, mode);
}

// Past 16 keywords all are searched at once: lists made that long, with the same results.
constexpr std::string_view kAbsent = "|#1|#2|#3|#4|#5|#6|#7|#8|#9|#10|#11|#12|#13|#14|#15|#16";
std::string repeated(std::string_view keywordText, int times) {
    std::string text(keywordText);
    for (int i = 1; i < times; ++i) text.append("|").append(keywordText);
    return text;
}

FoundTarget any(std::string keyword) {
    return {std::move(keyword), Text(text::kTagAny)};
}
FoundTarget all(std::string keywordText) {
    return {std::move(keywordText), Text(text::kTagAll)};
}
FoundTarget sameLine(std::string keywordText) {
    return {std::move(keywordText), Text(text::kTagSameLine)};
}

// The finds one at a time, as the alarms are raised from them.
std::vector<FoundTarget> oneByOne(const Finds& finds) {
    std::vector<FoundTarget> seen;
    for (const FoundTarget& find : finds) seen.push_back(find);
    return seen;
}

TEST(SplitKeywords, PiecesAsTheyStand) {
    EXPECT_EQ(SplitKeywords("a|"), (KeywordList{"a"}));
    EXPECT_EQ(SplitKeywords("|"), (KeywordList{""}));
    EXPECT_EQ(SplitKeywords(" a | b"), (KeywordList{" a ", " b"}));
    EXPECT_EQ(SplitKeywords(""), KeywordList{});
    // 亅 (81 7C) holds a "|" as its second byte and is one keyword.
    EXPECT_EQ(SplitKeywords("\x81\x7C|x"), (KeywordList{"\x81\x7C", "x"}));
}

TEST(MatchAny, EveryFoundKeywordInListOrder) {
    EXPECT_EQ(match("c then a", "a|b|c", kModeAny), (Finds{any("a"), any("c")}));
    EXPECT_EQ(match("xyz", "a|b|c", kModeAny), Finds{});
    // The empty middle keyword is found in any non-empty page.
    EXPECT_EQ(match("xyz", "a||b", kModeAny), (Finds{any("")}));
    EXPECT_EQ(match("xbz", "a||b", kModeAny), (Finds{any(""), any("b")}));
    // A keyword listed twice in a row is found twice.
    EXPECT_EQ(oneByOne(match("ab", "b|a|a|b", kModeAny)),
              (std::vector<FoundTarget>{any("b"), any("a"), any("a"), any("b")}));
    // The keyword as listed, not as it appears on the page.
    EXPECT_EQ(match("SALE now", "sale", kModeAny), (Finds{any("sale")}));
    // A keyword may span a line break.
    EXPECT_EQ(match("a\r\nb", "a\r\nb", kModeAny), (Finds{any("a\r\nb")}));
    EXPECT_EQ(match("xa\r\nb", "q|a\r\nb|r|s|t" + std::string(kAbsent), kModeAny),
              (Finds{any("a\r\nb")}));
    // Shared prefixes:
    EXPECT_EQ(match("xx ABCD yy", "abcx|abcd|abc|ab|abce|b" + std::string(kAbsent), kModeAny),
              (Finds{any("abcd"), any("abc"), any("ab"), any("b")}));
    // Keywords that end or begin other keywords:
    EXPECT_EQ(match("ABCD", "cd|bcd|abcd|d|abcde|e|dd" + std::string(kAbsent), kModeAny),
              (Finds{any("cd"), any("bcd"), any("abcd"), any("d")}));
    // Duplicates (also in another case) and the empty keyword, each listed find kept:
    EXPECT_EQ(match("xa", "a|A||a|zz|q" + std::string(kAbsent), kModeAny),
              (Finds{any("a"), any("A"), any(""), any("a")}));
    // Keywords ending in a lead byte (a keyword text holds one only last, so listed here).
    // A lead byte alone at the page's end begins no character, so nothing starts there.
    KeywordList leads = SplitKeywords(kAbsent.substr(1));
    leads.insert(leads.begin(), {"x\xB0", "\xB0"});
    EXPECT_EQ(MatchPage("x\xB0", leads, "", kModeAny), (Finds{any("x\xB0")}));
    EXPECT_EQ(MatchPage("x\xB0\xA1", leads, "", kModeAny), (Finds{any("x\xB0"), any("\xB0")}));
    // A1 B2 at an odd offset inside double-byte text straddles two characters: no find;
    // at a character's start: found.
    EXPECT_EQ(match("\xB0\xA1\xB2\xA3", "\xA1\xB2" + std::string(kAbsent), kModeAny), Finds{});
    EXPECT_EQ(match("\xB0\xA1\xA1\xB2", "\xA1\xB2" + std::string(kAbsent), kModeAny),
              (Finds{any("\xA1\xB2")}));
    EXPECT_EQ(match("y\xA1\xB2", "\xA1\xB2" + std::string(kAbsent), kModeAny),
              (Finds{any("\xA1\xB2")}));
}

TEST(MatchAny, ThousandKeywordsOneAtTheLastByte) {
    std::string keywordText;
    for (int i = 0; i < 999; ++i) keywordText += "kw" + std::to_string(i) + "|";
    std::string page;
    // Over 64 KiB, so the page is read in parts; the find is in the last.
    for (int i = 0; i < 6000; ++i) page += "kw kW\xB0\xA1 ";
    EXPECT_EQ(match(page + "!", keywordText + "!", kModeAny), (Finds{any("!")}));
    EXPECT_EQ(match(page + "!", keywordText + "!", kModeAll), Finds{});
    EXPECT_EQ(match(page + "!", keywordText + "!", kModeSameLine), Finds{});
    // The same place holding a lone lead byte: not a character, so no find.
    EXPECT_EQ(match(page + "\xC4", keywordText + "\xC4", kModeAny), Finds{});
    EXPECT_EQ(match(page + "\xC4\xE3", keywordText + "\xC4", kModeAny), (Finds{any("\xC4")}));
    // Such a page is read in eight parts side by side, each started a keyword's length
    // early: a keyword across the start of the second part is found.
    std::string plain(66000, '.');
    plain.replace(66000 / 8 - 3, 7, "needle!");
    EXPECT_EQ(match(plain, keywordText + "needle!", kModeAny), (Finds{any("needle!")}));
    // Double-byte characters only: where each starts follows from the part's start alone,
    // and every other part starts at an odd place. A1 B0 is there only across two
    // characters, far into each part, then once as a character of its own at the end.
    std::string wide;
    for (int i = 0; i < 33005; ++i) wide += "\xC4\xE3";
    for (size_t at = 2000; at < wide.size(); at += 4000) wide.replace(at, 4, "\xB0\xA1\xB0\xA1");
    EXPECT_EQ(match(wide, keywordText + "\xA1\xB0", kModeAny), Finds{});
    EXPECT_EQ(match(wide + "\xA1\xB0", keywordText + "\xA1\xB0", kModeAny),
              (Finds{any("\xA1\xB0")}));
}

TEST(MatchAll, OneFindWithTheWholeKeywordText) {
    EXPECT_EQ(match("only a", "a|b", kModeAll), Finds{});
    EXPECT_EQ(match("b\r\nthen\r\na", "a|b", kModeAll), (Finds{all("a|b")}));
    EXPECT_EQ(match("xab", "a||b|", kModeAll), (Finds{all("a||b|")}));
    EXPECT_EQ(match("ab\r\ncdef", repeated("a|b|c|d|e|f", 3), kModeAll),
              (Finds{all(repeated("a|b|c|d|e|f", 3))}));
    EXPECT_EQ(match("ab\r\ncdef", repeated("a|b|c|d|e|f", 3) + "|g", kModeAll), Finds{});
    EXPECT_EQ(match("ab\r\ncdef", repeated("a|b|c|d|e|f", 2) + "|g|" + repeated("f", 6), kModeAll),
              Finds{});
    EXPECT_EQ(match("abcd", repeated("a|b||c|d|D", 3), kModeAll),
              (Finds{all(repeated("a|b||c|d|D", 3))}));
    // An empty list misses nothing.
    EXPECT_EQ(MatchPage("x", {}, "", kModeAll), (Finds{all("")}));
    // Thousands of stops at keywords already found, before the last two turn up: the
    // states of found keywords stop being marked, those of the others stay marked.
    std::string many;
    for (int i = 0; i < 999; ++i) many += "kw" + std::to_string(i) + "|";
    std::string page = repeated("kw0 kw1 kw", 3000) + "\r\n";
    for (int i = 2; i < 999; ++i) page += "kw" + std::to_string(i) + " ";
    EXPECT_EQ(match(page + "!", many + "!", kModeAll), (Finds{all(many + "!")}));
    EXPECT_EQ(match(page, many + "!", kModeAll), Finds{});
}

TEST(MatchSameLine, OnlyCrLfEndsALine) {
    EXPECT_EQ(match("x\ny\n", "x|y", kModeSameLine), (Finds{sameLine("x|y")}));
    EXPECT_EQ(match("x\ry", "x|y", kModeSameLine), (Finds{sameLine("x|y")}));
    EXPECT_EQ(match("x\r\ny", "x|y", kModeSameLine), Finds{});
    EXPECT_EQ(match("x y\r\n\r\ny x\r\n", "x|y", kModeSameLine),
              (Finds{sameLine("x|y"), sameLine("x|y")}));
    EXPECT_EQ(match("a\r\nb", "a\r\nb", kModeSameLine), Finds{});
    EXPECT_EQ(match("xyza\r\nb", "a\r\nb|" + repeated("x|y|z|a", 4), kModeSameLine), Finds{});
    EXPECT_EQ(match("xyzwa\r\nxyz\r\nawzyx", repeated("x|y|z|w|a", 4), kModeSameLine),
              (Finds{sameLine(repeated("x|y|z|w|a", 4)), sameLine(repeated("x|y|z|w|a", 4))}));
    EXPECT_EQ(match("x y\r\n\r\ny\r\nYX", repeated("x||y|X|y", 4), kModeSameLine),
              (Finds{sameLine(repeated("x||y|X|y", 4)), sameLine(repeated("x||y|X|y", 4))}));
    // The states of keywords found on a long line stop being marked, and are marked again
    // for the next line.
    std::string many;
    for (int i = 0; i < 999; ++i) many += "kw" + std::to_string(i) + "|";
    std::string line = "!";
    for (int i = 1; i < 999; ++i) line += " kw" + std::to_string(i);
    const std::string page = line + repeated(" kw1", 3000) + "\r\nkw0 " + line;
    EXPECT_EQ(match(page, many + "!", kModeSameLine), (Finds{sameLine(many + "!")}));
    // Every matching line is a find of its own, met in turn, each with the whole text.
    const std::string threeLines = "y x\r\nx\r\nxy\r\n\r\nyy xx";
    EXPECT_EQ(oneByOne(match(threeLines, "x|y", kModeSameLine)),
              (std::vector<FoundTarget>{sameLine("x|y"), sameLine("x|y"), sameLine("x|y")}));
    EXPECT_EQ(match(threeLines, "x|y", kModeSameLine).size(), 3u);
    const std::string longText = "\xBC\xDB\xB8\xF1|" + repeated("x|y", 20);
    EXPECT_EQ(oneByOne(match("\xBC\xDB\xB8\xF1xy\r\nyx\xBC\xDB\xB8\xF1", longText, kModeSameLine)),
              (std::vector<FoundTarget>{sameLine(longText), sameLine(longText)}));
    // The keyword of one line and the start of the next do not make a match.
    EXPECT_EQ(match("x ab\r\ncd y", "abcd|" + repeated("x|y|ab|cd", 4), kModeSameLine), Finds{});
}

TEST(MatchSameLine, LineBreaksInsideCharactersDoNotCount) {
    // The lead byte B0 takes the CR, so the page is one line.
    EXPECT_EQ(match("x\xB0\r\ny", "x|y", kModeSameLine), (Finds{sameLine("x|y")}));
}

TEST(MatchSameLine, NoKeywordsGiveNoFind) {
    // A find naming no keyword would only be a false alarm.
    EXPECT_EQ(MatchPage("x\r\ny", {}, "", kModeSameLine), Finds{});
}

TEST(MatchPage, EmptyPageGivesNoFindInAnyMode) {
    for (auto mode : {kModeAny, kModeAll, kModeSameLine}) {
        EXPECT_EQ(match("", "a", mode), Finds{});
        EXPECT_EQ(match("", "|", mode), Finds{});
    }
}

TEST(MatchPage, OtherModeTextsSelectNoTest) {
    const std::string page = "a b c";
    for (std::string mode :
         {std::string(), std::string(" ").append(kModeAny), std::string(kModeAny) + " ",
          std::string("\xBB"), std::string(kModeSameLine.substr(0, 4)), std::string("or")}) {
        EXPECT_EQ(match(page, "a", mode), Finds{}) << mode;
    }
}

TEST(MatchSameLine, AgreesWithLineByLineTestingOnGeneratedPages) {
    // The page-wide search must give exactly the finds of testing every line in turn.
    const unsigned char alphabet[] = {'a', 'b', 'A', '\r', '\n', '\r', '\n', 0xB0, 0x0D, ' '};
    std::mt19937 random(99);
    auto pick = [&](size_t length) {
        std::string s;
        for (size_t i = 0; i < length; ++i) {
            s.push_back(static_cast<char>(alphabet[random() % sizeof alphabet]));
        }
        return s;
    };
    for (int round = 0; round < 5000; ++round) {
        const std::string page = pick(random() % 60);
        std::string keywordText = pick(1 + random() % 3);
        if (round % 3 == 0) keywordText += "|" + pick(1 + random() % 2);
        const KeywordList keywords = SplitKeywords(keywordText);
        size_t expected = 0;
        if (!keywords.empty()) {
            for (const Text& line : text::SplitText(page, "\r\n")) {
                bool all = true;
                for (const Text& keyword : keywords)
                    all = all && text::FindText(line, keyword) != -1;
                expected += all;
            }
        }
        ASSERT_EQ(MatchPage(page, keywords, keywordText, kModeSameLine).size(), expected)
            << "round " << round;
    }
}

TEST(MatchPage, ChineseKeywordsOnAGbkPage) {
    // 价格 (BC DB B8 F1) and 降价 (BD B5 BC DB) on a page that mixes both scripts.
    const std::string page = "\xC9\xCC\xC6\xB7 ABC \xBD\xB5\xBC\xDB\r\n\xBC\xDB\xB8\xF1: 100";
    EXPECT_EQ(match(page, "\xBC\xDB\xB8\xF1|\xBD\xB5\xBC\xDB", kModeAny),
              (Finds{any("\xBC\xDB\xB8\xF1"), any("\xBD\xB5\xBC\xDB")}));
    EXPECT_EQ(match(page, "abc|\xBD\xB5\xBC\xDB", kModeSameLine),
              (Finds{sameLine("abc|\xBD\xB5\xBC\xDB")}));
    // "B5 BC" straddles 降 and 价: no find.
    EXPECT_EQ(match(page, "\xB5\xBC", kModeAny), Finds{});
}

}  // namespace
}  // namespace pagorin::monitor
