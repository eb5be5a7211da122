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
using Finds = std::vector<FoundTarget>;

}  // namespace

// Readable failures: texts shown as gtest shows strings (escaped bytes).
void PrintTo(const FoundTarget& find, std::ostream* out) {
    *out << testing::PrintToString(find.targetText) << " " << testing::PrintToString(find.modeTag);
}

namespace {

Finds match(std::string_view page, std::string_view keywordText, std::string_view mode) {
    return MatchPage(page, SplitKeywords(keywordText), keywordText, mode);
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
    // The keyword as listed, not as it appears on the page.
    EXPECT_EQ(match("SALE now", "sale", kModeAny), (Finds{any("sale")}));
    // A keyword may span a line break.
    EXPECT_EQ(match("a\r\nb", "a\r\nb", kModeAny), (Finds{any("a\r\nb")}));
}

TEST(MatchAll, OneFindWithTheWholeKeywordText) {
    EXPECT_EQ(match("only a", "a|b", kModeAll), Finds{});
    EXPECT_EQ(match("b\r\nthen\r\na", "a|b", kModeAll), (Finds{all("a|b")}));
    EXPECT_EQ(match("xab", "a||b|", kModeAll), (Finds{all("a||b|")}));
    // An empty list misses nothing.
    EXPECT_EQ(MatchPage("x", {}, "", kModeAll), (Finds{all("")}));
}

TEST(MatchSameLine, OnlyCrLfEndsALine) {
    EXPECT_EQ(match("x\ny\n", "x|y", kModeSameLine), (Finds{sameLine("x|y")}));
    EXPECT_EQ(match("x\ry", "x|y", kModeSameLine), (Finds{sameLine("x|y")}));
    EXPECT_EQ(match("x\r\ny", "x|y", kModeSameLine), Finds{});
    EXPECT_EQ(match("x y\r\n\r\ny x\r\n", "x|y", kModeSameLine),
              (Finds{sameLine("x|y"), sameLine("x|y")}));
    EXPECT_EQ(match("a\r\nb", "a\r\nb", kModeSameLine), Finds{});
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
