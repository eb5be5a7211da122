// The about window: its layout, the grey text boxes and the picture from the resources.
#include "ui/about_window.h"

#include <commctrl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>

#include "platform/win32/com_ptr.h"
#include "platform/win32/wide_text.h"
#include "ui/about_texts.h"
#include "ui/resources/resource_ids.h"

namespace pagorin::ui {
namespace {

using platform::ComPtr;

constexpr DWORD kTextBoxStyle = ES_MULTILINE | ES_AUTOVSCROLL | ES_LEFT | WS_TABSTOP;

const ControlPlacement kLayout[] = {
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

// COM for the calling thread, undone only when this call did it (S_OK or S_FALSE).
// A thread already in the multithreaded apartment keeps it: the imaging component
// works there too.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    HRESULT result_;
};

struct MemoryDcTraits {
    using Type = HDC;
    static Type invalid() { return nullptr; }
    static void close(Type dc) { ::DeleteDC(dc); }
};
using UniqueMemoryDc = platform::UniqueResource<MemoryDcTraits>;

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

// The largest size within the bounds with the source's proportions, at least 1 x 1.
SIZE FitInside(UINT width, UINT height, int maxWidth, int maxHeight) {
    const int64_t w = width, h = height;
    int64_t fitWidth = maxWidth, fitHeight = maxHeight;
    if (w * maxHeight > h * maxWidth) {
        fitHeight = (h * maxWidth + w / 2) / w;  // width is the limit
    } else {
        fitWidth = (w * maxHeight + h / 2) / h;
    }
    return SIZE{static_cast<LONG>(std::max<int64_t>(fitWidth, 1)),
                static_cast<LONG>(std::max<int64_t>(fitHeight, 1))};
}

}  // namespace

std::span<const BYTE> ResourceBytes(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);  // module memory: nothing to free
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    return {static_cast<const BYTE*>(bytes), SizeofResource(module, found)};
}

Picture DecodePicture(std::span<const BYTE> bytes, int maxWidth, int maxHeight) {
    if (bytes.empty() || bytes.size() > UINT32_MAX || maxWidth <= 0 || maxHeight <= 0) return {};
    const ComApartment apartment;  // declared first: every COM object below goes before it
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put())))) {
        return {};
    }
    // The imaging component's own stream reads the bytes where they are, without a copy.
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    ComPtr<IWICBitmapScaler> scaler;
    UINT width = 0, height = 0;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&width, &height)) ||
        width == 0 || height == 0 || FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return {};
    }
    const SIZE fit = FitInside(width, height, maxWidth, maxHeight);
    if (FAILED(factory->CreateBitmapScaler(scaler.put())) ||
        FAILED(scaler->Initialize(converter.get(), static_cast<UINT>(fit.cx),
                                  static_cast<UINT>(fit.cy), WICBitmapInterpolationModeFant))) {
        return {};
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = fit.cx;
    info.bmiHeader.biHeight = -fit.cy;  // top-down, as the scaler writes its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    Picture picture;
    picture.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!picture.bitmap || pixels == nullptr) return {};
    const UINT stride = static_cast<UINT>(fit.cx) * 4;
    if (FAILED(scaler->CopyPixels(nullptr, stride, stride * static_cast<UINT>(fit.cy),
                                  static_cast<BYTE*>(pixels)))) {
        return {};
    }
    GdiFlush();  // the pixels were written behind GDI's back
    picture.width = fit.cx;
    picture.height = fit.cy;
    return picture;
}

AboutWindow::~AboutWindow() {
    endModal();
}

void AboutWindow::run(HWND owner) {
    scale_ = Scale::ofScreen();
    const int width = scale_(kAboutWidth);
    const int height = scale_(kAboutHeight);
    const auto [left, top] = CentredOnScreen(width, height);
    if (!create(L"PagorinAboutWindow", platform::ToWide(kAboutTitle).c_str(),
                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, left, top, width, height, owner, nullptr)) {
        return;
    }
    setProgramIcon();
    runModal(owner, control(kIdAboutOk));
}

bool AboutWindow::createControls() {
    font_.reset(CreateControlFont(scale_));
    editBrush_.reset(CreateSolidBrush(kAboutEditBackground));
    if (!CreateControls(hwnd(), kLayout, scale_, font_.get())) return false;
    drawGroupBoxesUnthemed(kGroupBoxIds);
    RECT area;
    GetClientRect(control(kIdAboutPicture), &area);
    // Without the resource or a decoder the frame simply stays empty.
    picture_ = DecodePicture(ResourceBytes(IDR_ABOUT_PICTURE), area.right - area.left,
                             area.bottom - area.top);
    return true;
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
            return createControls() ? 0 : -1;
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
        case WM_CTLCOLORSTATIC: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (std::find(std::begin(kGroupBoxIds), std::end(kGroupBoxIds), id) ==
                std::end(kGroupBoxIds)) {
                break;
            }
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
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
    return ModalWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace pagorin::ui
