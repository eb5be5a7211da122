// A top-level window as an object: `this` is stored at WM_NCCREATE and every message
// goes to the object's HandleMessage.
#pragma once

#include <windows.h>

#include <atomic>

namespace pagorin::widgets {

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
    bool create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x,
                int y, int width, int height, HWND owner, HICON icon);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::atomic<HWND> hwnd_{nullptr};
};

}  // namespace pagorin::widgets
