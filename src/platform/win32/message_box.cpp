// MessageBoxW with one OK button and the information (64) or warning icon.
#include "platform/win32/message_box.h"

#include "platform/win32/wide_text.h"

namespace pagorin::platform {

void MessageBoxMessages::show(std::string_view text, std::string_view caption, MessageIcon icon) {
    const UINT flags =
        MB_OK | (icon == MessageIcon::kWarning ? MB_ICONWARNING : MB_ICONINFORMATION);
    // The window the user is working in owns the message: the open dialog when one is
    // open (so the message stays above it and it takes no input meanwhile), else the
    // main window.
    HWND active = GetActiveWindow();
    MessageBoxW(active != nullptr ? active : owner_, ToWide(text).c_str(), ToWide(caption).c_str(),
                flags);
}

}  // namespace pagorin::platform
