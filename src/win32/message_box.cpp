// GBK texts to UTF-16 at the call, so a box reads right on any system locale.
#include "win32/message_box.h"

#include "win32/code_page.h"

namespace pagorin::win32 {

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags) {
    return MessageBoxW(owner, ToWide(text).c_str(), ToWide(caption).c_str(), flags);
}

}  // namespace pagorin::win32
