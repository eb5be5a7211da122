// The tips rotation.
#include "app/tips.h"

namespace pagorin::app {

void PrepareTips(TipsState& state) {
    state.helpText = text::Text(kHelpText);
    state.tipsLines = text::SplitText(state.helpText, kTipSeparator);
}

const text::Text* NextTip(TipsState& state) {
    const auto count = static_cast<int32_t>(state.tipsLines.size());
    if (state.tipsIndex < count) {
        state.tipsIndex += 1;
        return &state.tipsLines[static_cast<size_t>(state.tipsIndex - 1)];
    }
    state.tipsIndex = 0;
    return nullptr;
}

}  // namespace pagorin::app
