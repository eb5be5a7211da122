// UTF-8 pages to GBK text, in two stages through UTF-16 with the Windows converters.
#pragma once

#include <string>
#include <string_view>

#include "text/gbk_text.h"

namespace pagorin::platform {

inline constexpr unsigned kUtf8CodePage = 65001;

// A text (up to its first NUL) in `codePage` as UTF-16 code units in bytes, with the
// terminating zero unit included; empty for the empty text or when it cannot convert.
std::string TextToWide(std::string_view text, unsigned codePage);

// UTF-16 code units in bytes (up to the first zero unit) as bytes of `codePage`,
// without a terminator; characters the code page lacks become '?'.
std::string WideToText(std::string_view wideBytes, unsigned codePage);

// The same characters in GBK; invalid UTF-8 comes back as replacement characters and
// characters GBK lacks as '?'. Empty when nothing can be converted.
text::Text Utf8ToGbk(std::string_view utf8);

}  // namespace pagorin::platform
