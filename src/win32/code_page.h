// Text in a code page to UTF-16 and back, at the window and file-name boundary, and UTF-8
// pages to GBK. The code page is always explicit: the program must not depend on the
// system locale.
#pragma once

#include <string>
#include <string_view>

#include "text/gbk_text.h"

namespace pagorin::win32 {

inline constexpr unsigned kGbkCodePage = 936;
inline constexpr unsigned kUtf8CodePage = 65001;

// Bytes that the code page cannot decode become the platform's replacement character.
std::wstring ToWide(std::string_view bytes, unsigned codePage = kGbkCodePage);

// Characters the code page lacks become '?'.
std::string FromWide(std::wstring_view wide, unsigned codePage = kGbkCodePage);

// The two stages of a page's UTF-8 to GBK conversion, on wide buffers held in bytes.

// A text (up to its first NUL) in `codePage` as UTF-16 code units in bytes, with the
// terminating zero unit included; empty for the empty text or when it cannot convert.
std::string TextToWide(std::string_view text, unsigned codePage);

// UTF-16 code units in bytes (up to the first zero unit) as bytes of `codePage`,
// without a terminator; characters the code page lacks become '?'.
std::string WideToText(std::string_view wideBytes, unsigned codePage);

// The same characters in GBK; invalid UTF-8 comes back as replacement characters and
// characters GBK lacks as '?'. Empty when nothing can be converted.
text::Text Utf8ToGbk(std::string_view utf8);

}  // namespace pagorin::win32
