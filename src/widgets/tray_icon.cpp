// Shell_NotifyIconW for the one icon.
#include "widgets/tray_icon.h"

#include "win32/code_page.h"

namespace pagorin::widgets {
namespace {

TrayIcon::Notify notifyShell = Shell_NotifyIconW;

template <size_t N>
void copyText(wchar_t (&target)[N], const wchar_t* source) {
    lstrcpynW(target, source, static_cast<int>(N));
}

}  // namespace

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

void TrayIcon::SetNotifyForTests(Notify notify) {
    notifyShell = notify != nullptr ? notify : Shell_NotifyIconW;
}

NOTIFYICONDATAW TrayIcon::data(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    data.uFlags = flags;
    if (flags & NIF_MESSAGE) data.uCallbackMessage = callbackMessage_;
    if (flags & NIF_ICON) data.hIcon = icon_;
    if (flags & NIF_TIP) copyText(data.szTip, tip_);
    return data;
}

bool TrayIcon::set(HICON icon, std::string_view gbkTip) {
    icon_ = icon;
    copyText(tip_, win32::ToWide(gbkTip).c_str());
    if (present_) {
        NOTIFYICONDATAW modified = data(NIF_ICON | NIF_TIP);
        if (notifyShell(NIM_MODIFY, &modified)) return true;
        present_ = false;  // gone (the taskbar restarted): add it again
    }
    NOTIFYICONDATAW added = data(NIF_ICON | NIF_TIP | NIF_MESSAGE);
    present_ = notifyShell(NIM_ADD, &added) != FALSE;
    return present_;
}

bool TrayIcon::restore() {
    NOTIFYICONDATAW icon = data(NIF_ICON | NIF_TIP | NIF_MESSAGE);
    present_ = notifyShell(NIM_MODIFY, &icon) != FALSE || notifyShell(NIM_ADD, &icon) != FALSE;
    return present_;
}

bool TrayIcon::noticeOnce(std::string_view gbkTitle, std::string_view gbkText) {
    if (noticeShown_ || !present_) return false;
    NOTIFYICONDATAW notice = data(NIF_INFO);
    copyText(notice.szInfoTitle, win32::ToWide(gbkTitle).c_str());
    copyText(notice.szInfo, win32::ToWide(gbkText).c_str());
    notice.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    noticeShown_ = notifyShell(NIM_MODIFY, &notice) != FALSE;
    return noticeShown_;
}

void TrayIcon::remove() {
    if (!present_) return;
    NOTIFYICONDATAW removed = data(0);
    notifyShell(NIM_DELETE, &removed);
    present_ = false;
}

}  // namespace pagorin::widgets
