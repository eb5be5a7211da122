// Creating a window's controls from its layout table.
#include "widgets/layout.h"

#include "win32/code_page.h"

namespace pagorin::widgets {

Scale Scale::ofScreen() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return Scale(dpi > 0 ? dpi : 96);
}

RECT ControlRect(std::span<const ControlPlacement> placements, const ControlPlacement& placement) {
    RECT rect{placement.left, placement.top, placement.left + placement.width,
              placement.top + placement.height};
    if (placement.group != 0) {
        for (const ControlPlacement& group : placements) {
            if (group.id != placement.group) continue;
            const RECT outer = ControlRect(placements, group);
            OffsetRect(&rect, outer.left, outer.top);
        }
    }
    return rect;
}

bool CreateControls(HWND parent, std::span<const ControlPlacement> placements, const Scale& scale,
                    HFONT font) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlPlacement& placement : placements) {
        const RECT rect = ControlRect(placements, placement);
        HWND control = CreateWindowExW(
            placement.exStyle, placement.className, win32::ToWide(placement.text).c_str(),
            placement.style | WS_CHILD | WS_VISIBLE, scale(rect.left), scale(rect.top),
            scale(rect.right) - scale(rect.left), scale(rect.bottom) - scale(rect.top), parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(placement.id)), instance, nullptr);
        if (control == nullptr) return false;
        if (font != nullptr)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return true;
}

POINT CentredOnScreen(int width, int height) {
    return POINT{(GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

win32::UniqueIcon LoadResourceIcon(int id, int size) {
    return win32::UniqueIcon(static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

win32::UniqueFont CreateControlFont(const Scale& scale) {
    return win32::UniqueFont(CreateFontW(-scale(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                         GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                         DEFAULT_QUALITY, DEFAULT_PITCH, L""));
}

}  // namespace pagorin::widgets
