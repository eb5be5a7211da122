// GBK (or another code page) to UTF-16 and back, at the window and file-name boundary.
// The code page is always explicit: the program must not depend on the system locale.
#pragma once

#include <string>
#include <string_view>

namespace pagorin::platform {

inline constexpr unsigned kGbkCodePage = 936;

// Bytes that the code page cannot decode become the platform's replacement character.
std::wstring ToWide(std::string_view bytes, unsigned codePage = kGbkCodePage);

// Characters the code page lacks become '?'.
std::string FromWide(std::wstring_view wide, unsigned codePage = kGbkCodePage);

}  // namespace pagorin::platform
