// The toolbar's flat image buttons: an icon above the caption, a thin border, no focus
// rectangle; the caption turns blue on white under the mouse.
#pragma once

#include <windows.h>

namespace pagorin::widgets {

inline constexpr COLORREF kCaptionNormal = RGB(0, 0, 0);
inline constexpr COLORREF kCaptionHot = RGB(0, 136, 255);
inline constexpr COLORREF kBackgroundHot = RGB(255, 255, 255);
inline constexpr COLORREF kBackgroundFocus = RGB(247, 247, 247);

struct ImageButtonState {
    HICON icon = nullptr;
    bool hot = false;
};

// Makes an owner-drawn button track the mouse; `state` must outlive the button.
void InstallImageButton(HWND button, ImageButtonState& state);

// WM_DRAWITEM of an image button.
void DrawImageButton(const DRAWITEMSTRUCT& item, int iconSize);

}  // namespace pagorin::widgets
