// Creating a window's controls from its layout table.
#include "ui/layout.h"

#include "platform/win32/wide_text.h"

namespace pagorin::ui {

Scale Scale::ofScreen() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return Scale(dpi > 0 ? dpi : 96);
}

RECT ControlRect(std::span<const ControlSpec> specs, const ControlSpec& spec) {
    RECT rect{spec.left, spec.top, spec.left + spec.width, spec.top + spec.height};
    if (spec.group != 0) {
        for (const ControlSpec& group : specs) {
            if (group.id != spec.group) continue;
            const RECT outer = ControlRect(specs, group);
            OffsetRect(&rect, outer.left, outer.top);
        }
    }
    return rect;
}

bool CreateControls(HWND parent, std::span<const ControlSpec> specs, const Scale& scale,
                    HFONT font) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlSpec& spec : specs) {
        const RECT rect = ControlRect(specs, spec);
        HWND control = CreateWindowExW(
            spec.exStyle, spec.className, platform::ToWide(spec.text).c_str(),
            spec.style | WS_CHILD | WS_VISIBLE, scale(rect.left), scale(rect.top),
            scale(rect.right) - scale(rect.left), scale(rect.bottom) - scale(rect.top), parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
        if (control == nullptr) return false;
        if (font != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return true;
}

}  // namespace pagorin::ui
