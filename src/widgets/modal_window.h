// A top-level window run modally over its owner, as the add, modify and about windows are.
#pragma once

#include <windows.h>

#include <span>

#include "widgets/window.h"
#include "win32/unique_resource.h"

namespace pagorin::widgets {

// A top-level window run modally over its owner: the owner is disabled while it is
// open, and the run returns once the window is gone.
class ModalWindow : public Window {
  public:
    ~ModalWindow() override;

  protected:
    // Disables `owner` (when it was enabled), shows the created window with the focus on
    // `focus`, and dispatches messages, Tab and Escape through the dialog manager, until
    // the window is destroyed. A WM_QUIT closes the window and is posted again for the
    // caller's loop.
    void runModal(HWND owner, HWND focus);

    // Gives the owner back its input and activation, then destroys the window.
    void endModal();

    // Keeps the focused control across deactivation, moves the focus for the dialog
    // manager's arrow keys, closes on WM_CLOSE.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Sets icon resource `iconId` on the title bar and the taskbar button (none when the
    // program carries no such resource).
    void setIcon(int iconId);

    // Group boxes `ids` draw their captions in `color` on the button face. Visual styles
    // would draw a caption in the theme's colour whatever WM_CTLCOLORSTATIC says, so these
    // boxes are drawn without them. `ids` must outlive the window.
    void colorGroupCaptions(std::span<const int> ids, COLORREF color);

  private:
    void giveBackOwner();
    void moveFocus(WPARAM target, bool isHandle);
    // Notes the focused control (true when one of this window's has the focus), so that
    // coming back to the window brings the user back to it.
    bool rememberFocus();
    bool isGroupCaption(HWND control) const;

    HWND owner_ = nullptr;
    bool ownerDisabled_ = false;
    HWND lastFocus_ = nullptr;
    win32::UniqueIcon bigIcon_;
    win32::UniqueIcon smallIcon_;
    std::span<const int> groupCaptionIds_;
    COLORREF groupCaptionColor_ = 0;
};

}  // namespace pagorin::widgets
