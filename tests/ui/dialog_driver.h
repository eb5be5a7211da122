// Driving a modal window from a second thread: the test thread opens it (and blocks in
// its message loop) while a script on another thread finds it, reads it, clicks and
// types into it with messages, and closes it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/wait_until.h"
#include "widgets/layout.h"
#include "win32/code_page.h"
#include "win32/unique_resource.h"

namespace pagorin::ui::dialog_test {

using namespace std::chrono_literals;

// Generous: a loaded window system can take seconds to show a window.
inline constexpr auto kWindowTimeout = 20s;

struct WindowTraits {
    using Type = HWND;
    static Type invalid() { return nullptr; }
    static void close(Type window) { ::DestroyWindow(window); }
};
using UniqueWindow = win32::UniqueResource<WindowTraits>;

// A plain visible top-level window on the test thread, standing for the main window.
class OwnerWindow {
  public:
    OwnerWindow() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        windowClass.lpszClassName = L"PagorinTestOwner";
        RegisterClassExW(&windowClass);  // fails harmlessly from the second test on
        window_.reset(CreateWindowExW(0, L"PagorinTestOwner", L"owner",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 240, 160, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr));
        SetForegroundWindow(window_.get());
    }
    HWND hwnd() const { return window_.get(); }

  private:
    UniqueWindow window_;
};

// Runs `script` on its own thread. When the script ends, early (a failed ASSERT) or not,
// every window of `className` it left open on the test thread is sent WM_CLOSE, so the
// test thread never stays in a modal loop.
class Driver {
  public:
    Driver(const wchar_t* className, std::function<void()> script)
        : className_(className), testThread_(GetCurrentThreadId()) {
        thread_ = std::thread([this, script = std::move(script)] {
            script();
            closeLeftovers();
        });
    }
    ~Driver() { join(); }
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    void join() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    void closeLeftovers() {
        EnumThreadWindows(
            testThread_,
            [](HWND window, LPARAM self) {
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                if (std::wstring(name) == reinterpret_cast<Driver*>(self)->className_) {
                    ADD_FAILURE() << "the script left its window open";
                    PostMessageW(window, WM_CLOSE, 0, 0);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(this));
    }

    std::wstring className_;
    DWORD testThread_;
    std::thread thread_;
};

// The visible top-level window of this class and title on `thread`; null after the
// timeout. Only that thread's windows count: other test programs running at the same
// time open windows with the same titles.
inline HWND WaitForWindow(DWORD thread, const wchar_t* className, const std::wstring& title) {
    struct Search {
        const wchar_t* className;
        const std::wstring& title;
        HWND found = nullptr;
    } search{className, title};
    const auto end = std::chrono::steady_clock::now() + kWindowTimeout;
    while (std::chrono::steady_clock::now() < end) {
        EnumThreadWindows(
            thread,
            [](HWND window, LPARAM data) {
                auto& wanted = *reinterpret_cast<Search*>(data);
                wchar_t name[64] = {};
                wchar_t text[64] = {};
                GetClassNameW(window, name, 64);
                InternalGetWindowText(window, text, 64);
                if (IsWindowVisible(window) && std::wstring(name) == wanted.className &&
                    text == wanted.title) {
                    wanted.found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        std::this_thread::sleep_for(20ms);
    }
    return nullptr;
}

// For effects of posted messages, which the test thread handles in its own time.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::steady_clock::duration timeout = kWindowTimeout) {
    return test_support::WaitUntil(condition, timeout);
}

// True once `window` is gone, within the timeout.
inline bool WaitGone(HWND window) {
    return WaitUntil([=] { return !IsWindow(window); });
}

// The focused window of a thread.
inline HWND FocusOf(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// Keyboard focus belongs to the foreground window, which another test program on the same
// display may take at any moment. This brings `window` back to the front (its thread then
// gives the focus back to the control that had it) and names the focused control.
inline HWND FocusInFront(HWND window, DWORD thread) {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    return FocusOf(thread);
}

// Presses `key` in `control` of `window` as typed: in front, with the focus on the
// control, through the window's message loop. Pressed again when it went astray because
// the window lost the front meanwhile, until `arrived` holds.
template <typename Arrived>
bool PressKey(HWND window, HWND control, WPARAM key, Arrived arrived) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        SetForegroundWindow(window);
        SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        PostMessageW(control, WM_KEYDOWN, key, 0x00000001);
        if (WaitUntil(arrived, 2s)) return true;
    }
    return false;
}

// A control's outer rectangle in its parent's client area.
inline RECT RectInParent(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline void ExpectRect(const RECT& actual, const RECT& expected, int id) {
    EXPECT_EQ(actual.left, expected.left) << id;
    EXPECT_EQ(actual.top, expected.top) << id;
    EXPECT_EQ(actual.right, expected.right) << id;
    EXPECT_EQ(actual.bottom, expected.bottom) << id;
}

inline std::wstring WideText(HWND window) {
    wchar_t buffer[4096] = {};
    const LRESULT length = SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer));
    return std::wstring(buffer, static_cast<size_t>(length));
}

// The text as the program sees it: GBK bytes.
inline std::string GbkText(HWND window) {
    return win32::FromWide(WideText(window));
}

inline void SetText(HWND window, const std::wstring& text) {
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

inline bool Checked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

struct MemoryDcTraits {
    using Type = HDC;
    static Type invalid() { return nullptr; }
    static void close(Type dc) { ::DeleteDC(dc); }
};
using UniqueMemoryDc = win32::UniqueResource<MemoryDcTraits>;
using UniqueBitmap = win32::UniqueResource<win32::GdiObjectTraits<HBITMAP>>;

// What a control paints into its client area, row by row: the control's own painting
// code (WM_PRINTCLIENT, with its parent's colours and owner drawing), into memory, so
// windows of other programs on the same screen do not get in the way.
struct Rendering {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// Pixels the control leaves alone keep this colour, which no control paints.
inline constexpr COLORREF kUnpainted = RGB(255, 0, 255);

inline Rendering RenderClient(HWND control) {
    Rendering rendering;
    RECT client;
    if (!GetClientRect(control, &client) || client.right <= 0 || client.bottom <= 0) {
        return rendering;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap || bits == nullptr) return rendering;
    HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    const win32::UniqueBrush unpainted(CreateSolidBrush(kUnpainted));
    FillRect(dc.get(), &client, unpainted.get());
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    GdiFlush();
    rendering.width = client.right;
    rendering.height = client.bottom;
    const auto* bgra = static_cast<const BYTE*>(bits);
    for (int i = 0; i < client.right * client.bottom; ++i) {
        rendering.pixels.push_back(RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]));
    }
    SelectObject(dc.get(), previous);
    return rendering;
}

// After a modal window closed: the owner is the active window again, whenever this
// program has the foreground (another test program may have taken it meanwhile).
inline void ExpectOwnerActive(HWND owner) {
    DWORD process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &process);
    if (process == GetCurrentProcessId()) {
        EXPECT_EQ(GetActiveWindow(), owner);
    }
}

// With PAGORIN_SCREENSHOT_PAUSE_MS set (tools/dialog-screenshots.sh), announces `name` on
// stdout and holds the window still for that long so a screenshot can be taken.
inline void PauseForScreenshot(const char* name) {
    const char* pause = std::getenv("PAGORIN_SCREENSHOT_PAUSE_MS");
    if (pause == nullptr) return;
    std::printf("screenshot-ready %s\n", name);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(pause)));
}

// The rectangle, in pixels of this screen, that a control at `rect` (96 DPI) must have.
inline RECT Scaled(const RECT& rect) {
    const widgets::Scale scale = widgets::Scale::ofScreen();
    return RECT{scale(rect.left), scale(rect.top), scale(rect.right), scale(rect.bottom)};
}

}  // namespace pagorin::ui::dialog_test
