// Shell_NotifyIconW for the one icon.
#include "ui/tray_icon.h"

#include <shellapi.h>

#include "platform/win32/wide_text.h"

namespace pagorin::ui {
TrayAction TrayActionOf(LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
        case WM_LBUTTONUP:
            return TrayAction::Click;
        case WM_LBUTTONDBLCLK:
            return TrayAction::DoubleClick;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
            return TrayAction::MenuRequest;
        default:
            return TrayAction::None;
    }
}

bool TrayIcon::set(HICON icon, std::string_view gbkTip) {
    icon_ = icon;
    const std::wstring tip = platform::ToWide(gbkTip);
    lstrcpynW(tip_, tip.c_str(), static_cast<int>(sizeof tip_ / sizeof tip_[0]));
    if (present_) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = owner_;
        data.uID = kTrayIconId;
        data.uFlags = NIF_ICON | NIF_TIP;
        data.hIcon = icon_;
        lstrcpynW(data.szTip, tip_, static_cast<int>(sizeof data.szTip / sizeof data.szTip[0]));
        if (Shell_NotifyIconW(NIM_MODIFY, &data)) return true;
        present_ = false;  // gone (the taskbar restarted): add it again
    }
    return restore();
}

bool TrayIcon::restore() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_;
    lstrcpynW(data.szTip, tip_, static_cast<int>(sizeof data.szTip / sizeof data.szTip[0]));
    present_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return present_;
}

void TrayIcon::remove() {
    if (!present_) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    present_ = false;
}

}  // namespace pagorin::ui
