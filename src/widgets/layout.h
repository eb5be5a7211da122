// Window layouts as data: each control's form name, class, place and style, in pixels at
// 96 DPI, created in one pass and scaled to the screen's DPI.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "win32/unique_resource.h"

namespace pagorin::widgets {

struct ControlPlacement {
    const char* formName;  // the control's name in the form, for tests and readers
    const wchar_t* className;
    int id;
    int left, top, width, height;  // relative to the client area, or to `group`
    DWORD style;
    DWORD exStyle;
    std::string_view text;  // GBK
    int group;              // id of the enclosing group box, 0 for the client area
};

// Pixels at 96 DPI to pixels on this screen.
class Scale {
  public:
    explicit Scale(int dpi) : dpi_(dpi) {}
    static Scale ofScreen();
    int operator()(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    int dpi() const { return dpi_; }

  private:
    int dpi_;
};

// The top-left corner that centres a window of `width` by `height` on the primary screen.
POINT CentredOnScreen(int width, int height);

// The 12-pixel GB2312 font of every window's controls, at `scale`.
win32::UniqueFont CreateControlFont(const Scale& scale);

// The program's icon resource `id`, drawn at `size` pixels; empty when there is none.
win32::UniqueIcon LoadResourceIcon(int id, int size);

// Creates every control of `placements` in `parent` (controls inside a group box are its
// siblings, placed by the group's offset, so their notifications reach `parent`), with
// `font` set on each. Returns false when one could not be created.
bool CreateControls(HWND parent, std::span<const ControlPlacement> placements, const Scale& scale,
                    HFONT font);

// The rectangle of `placement` in the parent's client area at 96 DPI.
RECT ControlRect(std::span<const ControlPlacement> placements, const ControlPlacement& placement);

}  // namespace pagorin::widgets
