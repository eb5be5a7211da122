// A top-level window as an object: `this` is stored at WM_NCCREATE and every message
// goes to the object's HandleMessage.
#pragma once

#include <windows.h>

#include <atomic>
#include <string_view>

namespace pagorin::widgets {

// What a top-level window is made with, named field by field at the call.
struct WindowCreation {
    const wchar_t* className = nullptr;
    std::string_view title;  // GBK
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
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
    // Registers the class (once) and creates the window; false when that failed.
    bool create(const WindowCreation& creation);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::atomic<HWND> hwnd_{nullptr};
};

}  // namespace pagorin::widgets
