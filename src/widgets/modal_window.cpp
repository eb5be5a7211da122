// The modal run: the owner disabled, the dialog manager's keys, the focus kept, the icon.
#include "widgets/modal_window.h"

#include <uxtheme.h>

#include <algorithm>

#include "widgets/layout.h"
#include "win32/system_library.h"

namespace pagorin::widgets {

ModalWindow::~ModalWindow() {
    if (hwnd() != nullptr) endModal();
}

void ModalWindow::setIcon(int iconId) {
    bigIcon_ = LoadResourceIcon(iconId, GetSystemMetrics(SM_CXICON));
    smallIcon_ = LoadResourceIcon(iconId, GetSystemMetrics(SM_CXSMICON));
    if (bigIcon_) {
        SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    }
    if (smallIcon_) {
        SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    }
}

void ModalWindow::colorGroupCaptions(std::span<const int> ids, COLORREF color) {
    groupCaptionIds_ = ids;
    groupCaptionColor_ = color;
    // The theme library from the system folder, when the first dialog opens.
    static const auto setTheme =
        win32::SystemProcedure<decltype(&SetWindowTheme)>(L"uxtheme.dll", "SetWindowTheme");
    static const auto getTheme =
        win32::SystemProcedure<decltype(&GetWindowTheme)>(L"uxtheme.dll", "GetWindowTheme");
    if (setTheme == nullptr || getTheme == nullptr) return;  // no themes: drawn classic anyway
    for (int id : ids) {
        HWND box = GetDlgItem(hwnd(), id);
        setTheme(box, L"", L"");
        // Some uxtheme versions refuse the empty names; a class list that names no theme
        // class has the same effect.
        if (getTheme(box) != nullptr) setTheme(box, L" ", L" ");
    }
}

void ModalWindow::runModal(HWND owner, HWND focus) {
    owner_ = owner;
    if (owner_ != nullptr && IsWindowEnabled(owner_)) {
        EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
    }
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
    if (focus != nullptr) SetFocus(focus);
    UpdateWindow(hwnd());

    MSG message;
    while (hwnd() != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The program is ending: close, and leave the quit to the outer loop.
            endModal();
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (hwnd() == nullptr || !IsDialogMessageW(hwnd(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        rememberFocus();
    }
    giveBackOwner();  // also when the window went another way (its owner destroyed, ...)
}

void ModalWindow::giveBackOwner() {
    if (ownerDisabled_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
    ownerDisabled_ = false;
}

void ModalWindow::endModal() {
    if (hwnd() == nullptr) return;
    // Before the window goes: a still-disabled owner would let the activation pass to
    // another program's window.
    giveBackOwner();
    if (owner_ != nullptr && IsWindow(owner_) && GetActiveWindow() == hwnd()) {
        SetActiveWindow(owner_);
    }
    DestroyWindow(hwnd());
    // The run may be waiting in GetMessage (the close came in a sent message): wake it.
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

bool ModalWindow::rememberFocus() {
    HWND focus = GetFocus();
    if (hwnd() == nullptr || focus == nullptr || !IsChild(hwnd(), focus)) return false;
    lastFocus_ = focus;
    return true;
}

void ModalWindow::moveFocus(WPARAM target, bool isHandle) {
    // What the dialog manager asks of a dialog procedure: the arrow keys name the next
    // control of the group (radios it turns on by itself), a plain request means the next
    // or previous tab stop.
    HWND next = isHandle ? reinterpret_cast<HWND>(target)
                         : GetNextDlgTabItem(hwnd(), GetFocus(), target != 0);
    if (next != nullptr && IsChild(hwnd(), next)) SetFocus(next);
}

bool ModalWindow::isGroupCaption(HWND control) const {
    return std::ranges::find(groupCaptionIds_, GetDlgCtrlID(control)) != groupCaptionIds_.end();
}

LRESULT ModalWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                rememberFocus();
                break;
            }
            // Back to the control that had the focus, unless one has it already.
            if (rememberFocus()) return 0;
            if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
                SetFocus(lastFocus_);
                return 0;
            }
            break;
        case WM_CLOSE:
            endModal();
            return 0;
        case WM_NEXTDLGCTL:
            moveFocus(wParam, LOWORD(lParam) != 0);
            return 0;
        case WM_CTLCOLORSTATIC:
            // Group boxes ask for their caption's colour here.
            if (isGroupCaption(reinterpret_cast<HWND>(lParam))) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, groupCaptionColor_);
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        default:
            break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace pagorin::widgets
