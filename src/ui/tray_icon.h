// The program's one icon in the notification area, removed when its owner goes.
#pragma once

#include <windows.h>

#include <string_view>

namespace pagorin::ui {

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
    TrayIcon(HWND owner, UINT callbackMessage) : owner_(owner), callbackMessage_(callbackMessage) {}
    ~TrayIcon() { remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon, or replaces the image and tip of the one there. False when the
    // notification area refused it.
    bool set(HICON icon, std::string_view gbkTip);
    // After the taskbar restarted: the icon it forgot is added again.
    bool restore();
    void remove();
    bool present() const { return present_; }

  private:
    HWND owner_;
    UINT callbackMessage_;
    HICON icon_ = nullptr;
    wchar_t tip_[128] = {};
    bool present_ = false;
};

}  // namespace pagorin::ui
