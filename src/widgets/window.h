// A top-level window as an object, made from a WindowCreation: `this` is stored at
// WM_NCCREATE and every message goes to the object's HandleMessage.
#pragma once

#include <windows.h>

#include <atomic>
#include <span>
#include <string_view>

#include "widgets/layout.h"
#include "win32/unique_resource.h"

namespace pagorin::widgets {

// What a top-level window is made with, named field by field at the call.
struct WindowCreation {
    const wchar_t* className = nullptr;
    std::string_view title;  // GBK
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = 0;
    int width = 0;  // outer size, pixels at 96 DPI
    int height = 0;
    std::span<const ControlPlacement> controls;  // the layout table, made at WM_CREATE
    HWND owner = nullptr;
    HICON icon = nullptr;  // the class's: title bar and taskbar; none leaves the system's
};

class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Read by workers too (to post a repaint) while the window's thread may clear it.
    HWND hwnd() const { return hwnd_.load(); }

  protected:
    // The one way the program's windows are made: the size scaled to the screen's DPI,
    // centred on the primary screen, the class registered once. At WM_CREATE, before
    // HandleMessage sees it, the control font and the layout's controls are made, in the
    // table's order. False when any of it failed.
    bool create(const WindowCreation& creation);

    // The screen's scale, from create on.
    const Scale& scale() const { return scale_; }

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool createControls();

    std::atomic<HWND> hwnd_{nullptr};
    Scale scale_{96};
    win32::UniqueFont controlFont_;
    std::span<const ControlPlacement> controls_;
};

}  // namespace pagorin::widgets
