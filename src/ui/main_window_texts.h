// The main window's own texts; the Chinese ones come from chinese_texts.txt.
#pragma once

#include <string_view>

#include "text/gbk_texts.h"

namespace pagorin::ui {

inline constexpr std::string_view kElapsedZero = "00:00:00";
inline constexpr std::string_view kTrayTip = "Pagorin";

}  // namespace pagorin::ui
