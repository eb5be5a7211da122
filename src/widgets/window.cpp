// Making a Window, and its message routing.
#include "widgets/window.h"

#include <exception>

#include "win32/code_page.h"

namespace pagorin::widgets {

Window::~Window() {
    if (const HWND window = hwnd_.load(); window != nullptr) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

bool Window::create(const WindowCreation& creation) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!GetClassInfoExW(instance, creation.className, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = creation.icon;
        windowClass.hIconSm = creation.icon;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = creation.className;
        if (RegisterClassExW(&windowClass) == 0) return false;
    }
    scale_ = Scale::ofScreen();
    controls_ = creation.controls;
    const int width = scale_(creation.width);
    const int height = scale_(creation.height);
    const auto [left, top] = CentredOnScreen(width, height);
    return CreateWindowExW(creation.exStyle, creation.className,
                           win32::ToWide(creation.title).c_str(), creation.style, left, top, width,
                           height, creation.owner, nullptr, instance, this) != nullptr;
}

bool Window::createControls() {
    controlFont_ = CreateControlFont(scale_);
    return CreateControls(hwnd_.load(), controls_, scale_, controlFont_.get());
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_.load(), message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result;
    try {
        // The controls are there by the time the window's own WM_CREATE runs.
        if (message == WM_CREATE && !self->createControls()) {
            result = -1;
        } else {
            result = self->HandleMessage(message, wParam, lParam);
        }
    } catch (const std::exception&) {
        // A handler that fails (memory, most likely) drops its message; no exception may
        // cross into the system's code, and the entries in memory must not be lost.
        result = DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace pagorin::widgets
