// Hover tracking and drawing of the image buttons.
#include "widgets/image_button.h"

#include <commctrl.h>

#include <string>

#include "win32/unique_resource.h"

namespace pagorin::widgets {
namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR data) {
    auto* state = reinterpret_cast<ImageButtonState*>(data);
    switch (message) {
        case WM_MOUSEMOVE:
            if (!state->hot) {
                state->hot = true;
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, button, 0};
                TrackMouseEvent(&track);
                InvalidateRect(button, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            state->hot = false;
            InvalidateRect(button, nullptr, FALSE);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(button, buttonProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

void InstallImageButton(HWND button, ImageButtonState& state) {
    SetWindowLongPtrW(button, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    SetWindowSubclass(button, buttonProc, kSubclassId, reinterpret_cast<DWORD_PTR>(&state));
}

void DrawImageButton(const DRAWITEMSTRUCT& item, int iconSize) {
    const auto* state =
        reinterpret_cast<const ImageButtonState*>(GetWindowLongPtrW(item.hwndItem, GWLP_USERDATA));
    const bool hot = state != nullptr && state->hot;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;

    const COLORREF background =
        hot ? kBackgroundHot : (focused ? kBackgroundFocus : GetSysColor(COLOR_BTNFACE));
    const win32::UniqueBrush fill(CreateSolidBrush(background));
    FillRect(dc, &rect, fill.get());
    const win32::UniqueBrush frame(
        CreateSolidBrush(hot || pressed ? RGB(160, 190, 220) : RGB(210, 210, 210)));
    FrameRect(dc, &rect, frame.get());

    const int shift = pressed ? 1 : 0;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int iconTop = rect.top + (height * 8) / 72 + shift;
    if (state != nullptr && state->icon != nullptr) {
        DrawIconEx(dc, rect.left + (width - iconSize) / 2 + shift, iconTop, state->icon, iconSize,
                   iconSize, 0, nullptr, DI_NORMAL);
    }
    const int length = GetWindowTextLengthW(item.hwndItem);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(item.hwndItem, caption.data(), length + 1);
    caption.resize(static_cast<size_t>(length));
    RECT textRect{rect.left + 1 + shift, iconTop + iconSize + 2, rect.right - 1 + shift,
                  rect.bottom - 2};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, hot ? kCaptionHot : kCaptionNormal);
    DrawTextW(dc, caption.c_str(), length, &textRect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace pagorin::widgets
