// The about window: what the program does, its version and licence, and a picture
// decoded from the program's resources.
#pragma once

#include <windows.h>

#include <span>

#include "widgets/layout.h"
#include "widgets/modal_window.h"
#include "win32/picture.h"
#include "win32/unique_resource.h"

namespace pagorin::ui {

inline constexpr int kAboutWidth = 420;  // outer size, pixels at 96 DPI
inline constexpr int kAboutHeight = 468;
inline constexpr COLORREF kAboutEditBackground = RGB(236, 236, 236);

enum AboutControlId : int {
    kIdAboutDescriptionGroup = 3101,
    kIdAboutDescription,
    kIdAboutInformationGroup,
    kIdAboutInformation,
    kIdAboutPictureGroup,
    kIdAboutPicture,
    kIdAboutOk = IDOK,  // Enter on the focused button, through the dialog manager
};

class AboutWindow : public widgets::ModalWindow {
  public:
    AboutWindow() = default;
    ~AboutWindow() override;

    // Opens a fresh window centred on the screen over `owner` (may be null) and returns
    // when it has closed.
    void run(HWND owner);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // At WM_CREATE, once the layout's controls are there.
    void setupControls();
    void onAboutOkClicked();
    void drawPicture(const DRAWITEMSTRUCT& item) const;
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }

    win32::UniqueBrush editBrush_;
    win32::Picture picture_;
};

}  // namespace pagorin::ui
