// The tips: eight lines from the help text, and the rotation of nine ticks a cycle.
#include "app/tips.h"

#include <gtest/gtest.h>

namespace pagorin::app {
namespace {

TEST(Tips, EightLinesEachStartingWithTheMarker) {
    TipsState state;
    PrepareTips(state);
    ASSERT_EQ(state.tipsLines.size(), 8u);
    for (const text::Text& line : state.tipsLines) EXPECT_EQ(line.substr(0, 4), ">>> ");
    // Tip 3 keeps its "|" between full-width quotes: “|” is A1 B0 7C A1 B1.
    EXPECT_NE(state.tipsLines[2].find("\xA1\xB0|\xA1\xB1"), std::string::npos);
    // Tip 8 holds the ASCII "PT".
    EXPECT_NE(state.tipsLines[7].find("PT"), std::string::npos);
    EXPECT_EQ(state.helpText, kHelpText);
    EXPECT_EQ(state.tipsIndex, 0);
}

TEST(Tips, NineTicksACycleWithTheLastTipShownTwice) {
    TipsState state;
    PrepareTips(state);
    // Ticks at 20 s, 40 s, ... 160 s show tips 1 to 8.
    for (size_t tick = 0; tick < 8; ++tick) {
        const text::Text* tip = NextTip(state);
        ASSERT_NE(tip, nullptr) << tick;
        EXPECT_EQ(*tip, state.tipsLines[tick]);
    }
    // 180 s: the label keeps tip 8; 200 s: tip 1 again.
    EXPECT_EQ(NextTip(state), nullptr);
    EXPECT_EQ(state.tipsIndex, 0);
    const text::Text* again = NextTip(state);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(*again, state.tipsLines[0]);
}

TEST(Tips, NoLinesOnlyResetsTheCounter) {
    TipsState state;
    EXPECT_EQ(NextTip(state), nullptr);
    EXPECT_EQ(NextTip(state), nullptr);
    EXPECT_EQ(state.tipsIndex, 0);
}

}  // namespace
}  // namespace pagorin::app
