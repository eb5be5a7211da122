// The about window as a real window (opened through Win32EntryDialogs, driven from a
// second thread), and the picture decoder on known bytes.
#include "ui/about_window.h"

#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <thread>
#include <vector>

#include "dialog_driver.h"
#include "text/gbk_texts.h"
#include "ui/entry_dialogs.h"
#include "ui/resources/resource_ids.h"

namespace pagorin::ui {
namespace {

using namespace dialog_test;
using win32::DecodePicture;
using win32::Picture;
using win32::ResourceBytes;

constexpr const wchar_t* kClass = L"PagorinAboutWindow";
const std::wstring kTitle = L"关于程序";

// A 2 x 1 PNG: an opaque red pixel, then blue at alpha 128.
constexpr BYTE kRedBluePng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xF4,
    0x22, 0x7F, 0x8A, 0x00, 0x00, 0x00, 0x0E, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xF8,
    0xCF, 0xC0, 0x00, 0x42, 0x0D, 0x00, 0x0F, 0x7A, 0x03, 0x7E, 0x6A, 0x81, 0x31, 0xE1, 0x00,
    0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};

// One pixel of a decoded picture as B, G, R, A.
std::array<int, 4> PixelAt(const Picture& picture, int x, int y) {
    DIBSECTION section{};
    if (GetObjectW(picture.bitmap.get(), sizeof section, &section) != sizeof section) return {};
    const auto* bits = static_cast<const BYTE*>(section.dsBm.bmBits) +
                       static_cast<size_t>(y) * static_cast<size_t>(section.dsBm.bmWidthBytes) +
                       static_cast<size_t>(x) * 4;
    return {bits[0], bits[1], bits[2], bits[3]};
}

TEST(DecodePictureTest, DecodesPngIntoPremultipliedPixelsScaledToFit) {
    const Picture picture = DecodePicture(kRedBluePng, 100, 100);
    ASSERT_TRUE(picture.bitmap);
    EXPECT_EQ(picture.width, 100);
    EXPECT_EQ(picture.height, 50);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(picture.bitmap.get(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 100);
    EXPECT_EQ(info.bmHeight, 50);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(PixelAt(picture, 5, 25), (std::array<int, 4>{0, 0, 255, 255}));
    // Blue at half coverage, premultiplied: 255 * 128 / 255.
    const std::array<int, 4> blue = PixelAt(picture, 95, 25);
    EXPECT_NEAR(blue[0], 128, 1);
    EXPECT_EQ(blue[1], 0);
    EXPECT_EQ(blue[2], 0);
    EXPECT_EQ(blue[3], 128);
}

TEST(DecodePictureTest, KeepsTheProportionsWithinEitherBound) {
    const Picture wide = DecodePicture(kRedBluePng, 200, 201);
    EXPECT_EQ(wide.width, 200);
    EXPECT_EQ(wide.height, 100);
    const Picture low = DecodePicture(kRedBluePng, 50, 10);
    EXPECT_EQ(low.width, 20);
    EXPECT_EQ(low.height, 10);
    const Picture odd = DecodePicture(kRedBluePng, 7, 7);  // 3.5 rounds up
    EXPECT_EQ(odd.width, 7);
    EXPECT_EQ(odd.height, 4);
}

TEST(DecodePictureTest, BytesThatAreNoPictureGiveNothing) {
    const BYTE text[] = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'};
    const Picture garbage = DecodePicture(text, 100, 100);
    EXPECT_FALSE(garbage.bitmap);
    EXPECT_EQ(garbage.width, 0);
    // A PNG cut short after its header.
    const Picture cut = DecodePicture(std::span<const BYTE>(kRedBluePng, 40), 100, 100);
    EXPECT_FALSE(cut.bitmap);
    EXPECT_FALSE(DecodePicture({}, 100, 100).bitmap);
    EXPECT_FALSE(DecodePicture(kRedBluePng, 0, 100).bitmap);
}

// COM is undone after the decode only when the decode did it.
TEST(DecodePictureTest, LeavesTheThreadsComStateAsItFoundIt) {
    std::thread([] {
        EXPECT_TRUE(DecodePicture(kRedBluePng, 10, 10).bitmap);
        // Still single-threaded apartment here would refuse the multithreaded one.
        const HRESULT after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_EQ(after, S_OK) << "the decode left COM initialised";
        if (SUCCEEDED(after)) CoUninitialize();
    }).join();
    std::thread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_TRUE(DecodePicture(kRedBluePng, 10, 10).bitmap) << "decodes in the MTA too";
        const HRESULT after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_EQ(after, S_FALSE) << "the thread's own initialisation was undone";
        if (SUCCEEDED(after)) CoUninitialize();
        CoUninitialize();
    }).join();
}

struct Expected {
    int id;
    RECT rect;  // client area, 96 DPI
};

// Worked out by hand from the form: each control's offset plus its box's offset.
constexpr Expected kExpectedControls[] = {
    {kIdAboutDescriptionGroup, {8, 8, 408, 200}},
    {kIdAboutDescription, {16, 23, 400, 191}},
    {kIdAboutInformationGroup, {232, 210, 408, 352}},
    {kIdAboutInformation, {240, 225, 400, 344}},
    {kIdAboutPictureGroup, {8, 210, 224, 432}},
    {kIdAboutPicture, {16, 223, 216, 424}},
    {kIdAboutOk, {320, 400, 408, 432}},
};

class AboutWindowTest : public ::testing::Test {
  protected:
    OwnerWindow owner_;
    Win32EntryDialogs dialogs_{owner_.hwnd()};
    DWORD testThread_ = GetCurrentThreadId();
};

TEST_F(AboutWindowTest, HasTheFormsFrameControlsAndTexts) {
    Driver driver(kClass, [&] {
        HWND window = WaitForWindow(testThread_, kClass, kTitle);
        ASSERT_NE(window, nullptr);
        RECT outer;
        GetWindowRect(window, &outer);
        const RECT size = Scaled({0, 0, 420, 468});
        EXPECT_EQ(outer.right - outer.left, size.right);
        EXPECT_EQ(outer.bottom - outer.top, size.bottom);
        EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - size.right) / 2);
        EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - size.bottom) / 2);
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        EXPECT_NE(style & WS_SYSMENU, 0);
        EXPECT_NE(style & WS_MINIMIZEBOX, 0);
        EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
        EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
        EXPECT_FALSE(IsWindowEnabled(owner_.hwnd()));

        for (const Expected& expected : kExpectedControls) {
            HWND control = GetDlgItem(window, expected.id);
            ASSERT_NE(control, nullptr) << expected.id;
            ExpectRect(RectInParent(control), Scaled(expected.rect), expected.id);
        }
        EXPECT_EQ(WideText(GetDlgItem(window, kIdAboutDescriptionGroup)), L"程序说明");
        EXPECT_EQ(WideText(GetDlgItem(window, kIdAboutInformationGroup)), L"程序信息");
        EXPECT_EQ(WideText(GetDlgItem(window, kIdAboutPictureGroup)), L"打赏作者[支持微信/支付宝]");
        EXPECT_EQ(WideText(GetDlgItem(window, kIdAboutOk)), L"确定");

        for (int id : {kIdAboutDescription, kIdAboutInformation}) {
            HWND edit = GetDlgItem(window, id);
            const LONG_PTR editStyle = GetWindowLongPtrW(edit, GWL_STYLE);
            EXPECT_NE(editStyle & ES_MULTILINE, 0) << id;
            EXPECT_NE(editStyle & ES_AUTOVSCROLL, 0) << id;
            EXPECT_EQ(editStyle & (ES_CENTER | ES_RIGHT | ES_READONLY | WS_VSCROLL | WS_HSCROLL), 0)
                << id;
            EXPECT_NE(GetWindowLongPtrW(edit, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0) << id;
        }
        EXPECT_NE(
            GetWindowLongPtrW(GetDlgItem(window, kIdAboutPicture), GWL_EXSTYLE) & WS_EX_STATICEDGE,
            0);

        const std::string description = GbkText(GetDlgItem(window, kIdAboutDescription));
        EXPECT_EQ(description, kAboutDescription);
        EXPECT_EQ(description.size(), 710u);
        EXPECT_EQ(description.rfind("    \xA1\xB6Pagorin\xA1\xB7", 0), 0u);  // 《Pagorin》
        // Two paragraphs, each ending in CR LF, the second opened by four spaces.
        const size_t firstEnd = description.find("\r\n");
        ASSERT_NE(firstEnd, std::string::npos);
        EXPECT_EQ(description.substr(firstEnd, 6), "\r\n    ");
        EXPECT_EQ(description.find("\r\n", firstEnd + 2), description.size() - 2);
        EXPECT_EQ(WideText(GetDlgItem(window, kIdAboutDescription)).substr(0, 16),
                  L"    《Pagorin》是一款");

        const std::wstring information = WideText(GetDlgItem(window, kIdAboutInformation));
        EXPECT_EQ(information.rfind(L"\r\n\r\n程序版本： v3.0.1230\r\n", 0), 0u) << "starts so";
        EXPECT_EQ(GbkText(GetDlgItem(window, kIdAboutInformation)), kAboutInformation);
        PauseForScreenshot("about-window");
        SendMessageW(GetDlgItem(window, kIdAboutOk), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindow(window)) << "确定 closes";
    });
    dialogs_.showAboutWindow();
    driver.join();
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd()));
    ExpectOwnerActive(owner_.hwnd());
}

TEST_F(AboutWindowTest, TextBoxesAreBlackOnLightGreyAndCaptionsBlack) {
    Driver driver(kClass, [&] {
        HWND window = WaitForWindow(testThread_, kClass, kTitle);
        ASSERT_NE(window, nullptr);
        const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        for (int id : {kIdAboutDescription, kIdAboutInformation}) {
            SetTextColor(dc.get(), RGB(1, 2, 3));
            SetBkColor(dc.get(), RGB(4, 5, 6));
            const auto brush = reinterpret_cast<HBRUSH>(
                SendMessageW(window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
                             reinterpret_cast<LPARAM>(GetDlgItem(window, id))));
            EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 0)) << id;
            EXPECT_EQ(GetBkColor(dc.get()), RGB(236, 236, 236)) << id;
            LOGBRUSH painted{};
            ASSERT_EQ(GetObjectW(brush, sizeof painted, &painted),
                      static_cast<int>(sizeof painted));
            EXPECT_EQ(painted.lbColor, RGB(236, 236, 236)) << id;

            // As the box paints itself: its grey everywhere but under the text.
            const Rendering box = RenderClient(GetDlgItem(window, id));
            ASSERT_FALSE(box.pixels.empty());
            const auto grey = std::count(box.pixels.begin(), box.pixels.end(), RGB(236, 236, 236));
            EXPECT_GT(grey * 2, static_cast<long long>(box.pixels.size())) << id;
            EXPECT_EQ(std::count(box.pixels.begin(), box.pixels.end(), kUnpainted), 0) << id;
        }
        for (int id : {kIdAboutDescriptionGroup, kIdAboutInformationGroup, kIdAboutPictureGroup}) {
            SetTextColor(dc.get(), RGB(1, 2, 3));
            SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
            EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 0)) << id;

            // The caption as painted: dark text, nothing bluish.
            const Rendering box = RenderClient(GetDlgItem(window, id));
            ASSERT_GT(box.height, 14);
            int dark = 0, bluish = 0;
            for (int y = 0; y < 14; ++y) {
                for (int x = 0; x < box.width; ++x) {
                    const COLORREF pixel = box.at(x, y);
                    if (GetRValue(pixel) < 80 && GetGValue(pixel) < 80 && GetBValue(pixel) < 80) {
                        ++dark;
                    }
                    if (GetBValue(pixel) > GetRValue(pixel) + 40) ++bluish;
                }
            }
            EXPECT_GT(dark, 10) << id;
            EXPECT_EQ(bluish, 0) << id;
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitGone(window)) << "the close box closes";
    });
    dialogs_.showAboutWindow();
    driver.join();
}

TEST_F(AboutWindowTest, ShowsThePictureFromTheResources) {
    if (ResourceBytes(IDR_ABOUT_PICTURE).empty()) {
        GTEST_SKIP() << "this test program carries no IDR_ABOUT_PICTURE resource";
    }
    Driver driver(kClass, [&] {
        HWND window = WaitForWindow(testThread_, kClass, kTitle);
        ASSERT_NE(window, nullptr);
        const Rendering frame = RenderClient(GetDlgItem(window, kIdAboutPicture));
        ASSERT_FALSE(frame.pixels.empty());
        EXPECT_EQ(std::count(frame.pixels.begin(), frame.pixels.end(), kUnpainted), 0);
        std::vector<COLORREF> distinct(frame.pixels);
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        EXPECT_GT(distinct.size(), 20u) << "a picture, not a plain fill";

        // The opaque picture, fitted to the frame and centred in it, pixel for pixel.
        const Picture expected =
            DecodePicture(ResourceBytes(IDR_ABOUT_PICTURE), frame.width, frame.height);
        ASSERT_TRUE(expected.bitmap);
        EXPECT_EQ(std::max(expected.width, expected.height), std::min(frame.width, frame.height));
        const int left = (frame.width - expected.width) / 2;
        const int top = (frame.height - expected.height) / 2;
        int differing = 0;
        for (int y = 0; y < expected.height; ++y) {
            for (int x = 0; x < expected.width; ++x) {
                const std::array<int, 4> bgra = PixelAt(expected, x, y);
                if (frame.at(left + x, top + y) != RGB(bgra[2], bgra[1], bgra[0])) ++differing;
            }
        }
        EXPECT_EQ(differing, 0);
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = 0; y < frame.height; ++y) {  // the rest of the frame: the window's grey
            for (int x = 0; x < frame.width; ++x) {
                const bool inside =
                    x >= left && x < left + expected.width && y >= top && y < top + expected.height;
                if (!inside) {
                    EXPECT_EQ(frame.at(x, y), face) << x << "," << y;
                }
            }
        }
        SendMessageW(GetDlgItem(window, kIdAboutOk), BM_CLICK, 0, 0);
    });
    dialogs_.showAboutWindow();
    driver.join();
}

TEST_F(AboutWindowTest, EscapeClosesAndEachOpeningIsFresh) {
    const std::wstring typed = L"改过的说明";
    Driver first(kClass, [&] {
        HWND window = WaitForWindow(testThread_, kClass, kTitle);
        ASSERT_NE(window, nullptr);
        HWND description = GetDlgItem(window, kIdAboutDescription);
        SetText(description, typed);
        EXPECT_EQ(WideText(description), typed) << "the boxes are editable";
        // Escape in the multi-line box, taken by the run's dialog manager.
        PostMessageW(description, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        EXPECT_TRUE(WaitGone(window));
    });
    dialogs_.showAboutWindow();
    first.join();

    Driver second(kClass, [&] {
        HWND window = WaitForWindow(testThread_, kClass, kTitle);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GbkText(GetDlgItem(window, kIdAboutDescription)), kAboutDescription);
        // Escape on the focused button.
        HWND ok = GetDlgItem(window, kIdAboutOk);
        ASSERT_TRUE(WaitUntil([&] { return FocusInFront(window, testThread_) == ok; }));
        PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        EXPECT_TRUE(WaitGone(window));
    });
    dialogs_.showAboutWindow();
    second.join();
    EXPECT_TRUE(IsWindowEnabled(owner_.hwnd()));
}

}  // namespace
}  // namespace pagorin::ui
