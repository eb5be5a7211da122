// The program's one icon in the notification area, removed when its owner goes.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string_view>

namespace pagorin::widgets {

// The mouse actions the icon reports.
enum class TrayAction {
    None,         // any other message
    Click,        // left click
    DoubleClick,  // left double-click
    MenuRequest,  // right click or the context-menu key
};

TrayAction TrayActionOf(LPARAM mouseMessage);

// The icon's identifier beside its owner window: the system knows the icon by the two.
inline constexpr UINT kTrayIconId = 1;

class TrayIcon {
  public:
    // Shell_NotifyIconW; tests put a recorder in front of it.
    using Notify = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
    static void SetNotifyForTests(Notify notify);

    TrayIcon(HWND owner, UINT callbackMessage) : owner_(owner), callbackMessage_(callbackMessage) {}
    ~TrayIcon() { remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon, or replaces the image and tip of the one there. False when the
    // notification area refused it.
    bool set(HICON icon, std::string_view gbkTip);
    // After "TaskbarCreated": the taskbar restarted and forgot the icon, or only the
    // display scale changed and the icon is still there. Changed if it is, added if not.
    bool restore();
    // A balloon on the icon, without sound; only the first call of the icon's life shows
    // one. False when it was not shown.
    bool noticeOnce(std::string_view gbkTitle, std::string_view gbkText);
    void remove();
    bool present() const { return present_; }

  private:
    // The icon's data, with `flags` and what they name filled in.
    NOTIFYICONDATAW data(UINT flags) const;

    HWND owner_;
    UINT callbackMessage_;
    HICON icon_ = nullptr;
    wchar_t tip_[128] = {};
    bool present_ = false;
    bool noticeShown_ = false;
};

}  // namespace pagorin::widgets
