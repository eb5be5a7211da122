// The UTF-8 to GBK conversion of pages, on the window-boundary converters.
#include "platform/win32/text_encoding.h"

#include <cstring>

#include "platform/win32/wide_text.h"

namespace pagorin::platform {

std::string TextToWide(std::string_view text, unsigned codePage) {
    const std::wstring wide = ToWide(text::TextFromBytes(text), codePage);
    if (wide.empty()) return {};
    std::string bytes(reinterpret_cast<const char*>(wide.c_str()),
                      (wide.size() + 1) * sizeof(wchar_t));  // with the zero unit
    return bytes;
}

std::string WideToText(std::string_view wideBytes, unsigned codePage) {
    std::wstring wide(wideBytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), wideBytes.data(), wide.size() * sizeof(wchar_t));
    wide.resize(wide.find(L'\0') == std::wstring::npos ? wide.size() : wide.find(L'\0'));
    return text::TextFromBytes(FromWide(wide, codePage));
}

text::Text Utf8ToGbk(std::string_view utf8) {
    return text::TextFromBytes(WideToText(TextToWide(utf8, kUtf8CodePage), kGbkCodePage));
}

}  // namespace pagorin::platform
