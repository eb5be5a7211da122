// The tips line of the main window: the help text, its eight tips and the rotation that
// shows one every 20 seconds. Process-wide state, made at start-up, kept to the end.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/gbk_text.h"
#include "text/gbk_texts.h"

namespace pagorin::app {

inline constexpr int32_t kTipsIntervalMilliseconds = 20000;

// kWelcomeText and kHelpText, the eight tips joined by this separator, are in
// chinese_texts.txt.
inline constexpr std::string_view kTipSeparator = "{";

struct TipsState {
    text::Text helpText;
    text::TextList tipsLines;
    int32_t tipsIndex = 0;
};

// The window's creation: the help text and its tips.
void PrepareTips(TipsState& state);

// One tick: the next tip, or, after the last, only the counter back to 0 (the last tip
// stays for a second tick). Returns the text to show, or nothing to keep the label.
const text::Text* NextTip(TipsState& state);

}  // namespace pagorin::app
