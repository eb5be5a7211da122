// MessageBoxW with one OK button and the information (64) or warning icon.
#include "adapters/win32/message_box_messages.h"

#include "win32/message_box.h"

namespace pagorin::adapters {

void MessageBoxMessages::show(std::string_view text, std::string_view caption,
                              system::MessageIcon icon) {
    const UINT flags =
        MB_OK | (icon == system::MessageIcon::kWarning ? MB_ICONWARNING : MB_ICONINFORMATION);
    // The window the user is working in owns the message: the open dialog when one is
    // open (so the message stays above it and it takes no input meanwhile), else the
    // main window.
    HWND active = GetActiveWindow();
    win32::ShowMessageBox(active != nullptr ? active : owner_, text, caption, flags);
}

}  // namespace pagorin::adapters
