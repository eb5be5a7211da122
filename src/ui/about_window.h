// The about window: what the program does, its version and licence, and a picture
// decoded from the program's resources.
#pragma once

#include <windows.h>

#include <span>

#include "platform/win32/picture.h"
#include "platform/win32/unique_resource.h"
#include "ui/layout.h"
#include "ui/modal_window.h"

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

class AboutWindow : public ModalWindow {
  public:
    AboutWindow() = default;
    ~AboutWindow() override;

    // Opens a fresh window centred on the screen over `owner` (may be null) and returns
    // when it has closed.
    void run(HWND owner);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool createControls();
    void onAboutOkClicked();
    void drawPicture(const DRAWITEMSTRUCT& item) const;
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }

    Scale scale_ = Scale(96);
    platform::UniqueFont font_;
    platform::UniqueBrush editBrush_;
    platform::Picture picture_;
};

}  // namespace pagorin::ui
