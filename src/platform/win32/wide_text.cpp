// Code-page conversion with the two-call sizing of the Windows converters.
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <climits>

namespace pagorin::platform {

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

}  // namespace pagorin::platform
