// Code-page conversion with the two-call sizing of the Windows converters; the page
// stages are built on the same two calls.
#include "win32/code_page.h"

#include <windows.h>

#include <climits>
#include <cstring>

namespace pagorin::win32 {

std::wstring ToWide(std::string_view bytes, unsigned codePage) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int size = static_cast<int>(bytes.size());
    const int wideSize = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (wideSize <= 0) return {};
    std::wstring wide(static_cast<size_t>(wideSize), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), wideSize);
    return wide;
}

std::string FromWide(std::wstring_view wide, unsigned codePage) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int size = static_cast<int>(wide.size());
    const int byteSize =
        WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (byteSize <= 0) return {};
    std::string bytes(static_cast<size_t>(byteSize), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), byteSize, nullptr, nullptr);
    return bytes;
}

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

}  // namespace pagorin::win32
