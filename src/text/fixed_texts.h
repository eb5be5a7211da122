// The program's fixed texts: the Chinese ones come from chinese_texts.txt as GBK bytes,
// the few plain ones are here.
#pragma once

#include <string_view>

#include "text/gbk_texts.h"

namespace pagorin::text {

inline constexpr std::string_view kKeywordSeparator = "|";
inline constexpr std::string_view kLineBreak = "\r\n";

}  // namespace pagorin::text
