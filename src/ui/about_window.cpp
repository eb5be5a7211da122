// The about window: its layout, the grey text boxes and the picture from the resources.
#include "ui/about_window.h"

#include <commctrl.h>

#include <cstdint>

#include "text/gbk_texts.h"
#include "ui/resources/resource_ids.h"
#include "win32/picture.h"

namespace pagorin::ui {
namespace {

constexpr DWORD kTextBoxStyle = ES_MULTILINE | ES_AUTOVSCROLL | ES_LEFT | WS_TABSTOP;

const widgets::ControlPlacement kLayout[] = {
    {"分组框1", WC_BUTTONW, kIdAboutDescriptionGroup, 8, 8, 400, 192, BS_GROUPBOX, 0,
     kAboutDescriptionGroup, 0},
    {"编辑框1", WC_EDITW, kIdAboutDescription, 8, 15, 384, 168, kTextBoxStyle, WS_EX_STATICEDGE,
     kAboutDescription, kIdAboutDescriptionGroup},
    {"分组框2", WC_BUTTONW, kIdAboutInformationGroup, 232, 210, 176, 142, BS_GROUPBOX, 0,
     kAboutInformationGroup, 0},
    {"编辑框2", WC_EDITW, kIdAboutInformation, 8, 15, 160, 119, kTextBoxStyle, WS_EX_STATICEDGE,
     kAboutInformation, kIdAboutInformationGroup},
    {"分组框3", WC_BUTTONW, kIdAboutPictureGroup, 8, 210, 216, 222, BS_GROUPBOX, 0,
     kAboutPictureGroup, 0},
    {"图片框1", WC_STATICW, kIdAboutPicture, 8, 13, 200, 201, SS_OWNERDRAW, WS_EX_STATICEDGE, "",
     kIdAboutPictureGroup},
    {"按钮1", WC_BUTTONW, kIdAboutOk, 320, 400, 88, 32, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0,
     kAboutOk, 0},
};

constexpr int kGroupBoxIds[] = {kIdAboutDescriptionGroup, kIdAboutInformationGroup,
                                kIdAboutPictureGroup};
constexpr COLORREF kAboutGroupCaptionColor = RGB(0, 0, 0);

struct MemoryDcTraits {
    using Type = HDC;
    static Type invalid() { return nullptr; }
    static void close(Type dc) { ::DeleteDC(dc); }
};
using UniqueMemoryDc = win32::UniqueResource<MemoryDcTraits>;

// Puts the DC's previous object back, so the bitmap is never deleted while selected.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace

AboutWindow::~AboutWindow() {
    endModal();
}

void AboutWindow::run(HWND owner) {
    editBrush_.reset(CreateSolidBrush(kAboutEditBackground));
    if (!create({.className = L"PagorinAboutWindow",
                 .title = kAboutTitle,
                 .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                 .exStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT,
                 .width = kAboutWidth,
                 .height = kAboutHeight,
                 .controls = kLayout,
                 .owner = owner})) {
        return;
    }
    setIcon(IDI_PROGRAM);
    runModal(owner, control(kIdAboutOk));
}

void AboutWindow::setupControls() {
    colorGroupCaptions(kGroupBoxIds, kAboutGroupCaptionColor);
    RECT area;
    GetClientRect(control(kIdAboutPicture), &area);
    // Without the resource or a decoder the frame simply stays empty.
    picture_ = win32::DecodePicture(win32::ResourceBytes(IDR_ABOUT_PICTURE), area.right - area.left,
                                    area.bottom - area.top);
}

void AboutWindow::drawPicture(const DRAWITEMSTRUCT& item) const {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (!picture_.bitmap) return;
    const UniqueMemoryDc memory(CreateCompatibleDC(item.hDC));
    if (!memory) return;
    const Selection selection(memory.get(), picture_.bitmap.get());
    const int left = item.rcItem.left + (item.rcItem.right - item.rcItem.left - picture_.width) / 2;
    const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - picture_.height) / 2;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(item.hDC, left, top, picture_.width, picture_.height, memory.get(), 0, 0,
                  picture_.width, picture_.height, blend);
}

void AboutWindow::onAboutOkClicked() {
    endModal();
}

LRESULT AboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            setupControls();
            return 0;
        case WM_COMMAND:
            // Escape and the close box come as IDCANCEL and close the window the same way.
            if (LOWORD(wParam) == kIdAboutOk || LOWORD(wParam) == IDCANCEL) onAboutOkClicked();
            return 0;
        case WM_CTLCOLOREDIT: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, kAboutEditBackground);
            return reinterpret_cast<LRESULT>(editBrush_.get());
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlID != kIdAboutPicture) break;
            drawPicture(item);
            return TRUE;
        }
        default:
            break;
    }
    return widgets::ModalWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace pagorin::ui
