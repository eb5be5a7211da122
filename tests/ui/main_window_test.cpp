// The real main window under Wine: its layout at 96 DPI, texts, the list view over
// ItemList, tips, menus, the tray, and the wiring of the toolbar and menu commands.
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "adapters/win32/folder.h"
#include "items/item_file.h"
#include "support/recorded_messages.h"
#include "text/fixed_texts.h"
#include "ui/main_window_texts.h"
#include "ui/ui_messages.h"
#include "widgets/tray_icon.h"
#include "win32/code_page.h"

namespace pagorin::ui {
namespace {

using widgets::kTrayIconId;
using win32::FromWide;
using win32::ToWide;

struct Recorder : monitor::MonitorCommands, app::EntryCommands {
    std::vector<std::string> calls;
    void StartMonitoring() override { calls.push_back("start"); }
    void StopMonitoring() override { calls.push_back("stop"); }
    void ElapsedTick() override { calls.push_back("tick"); }
    void onAddClicked() override { calls.push_back("add"); }
    void onModifyClicked() override { calls.push_back("modify"); }
    void onDeleteClicked() override { calls.push_back("delete"); }
    void onItemListDoubleClicked() override { calls.push_back("double"); }
    void onAboutClicked() override { calls.push_back("about"); }
};

std::wstring temporaryDirectory() {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    std::wstring path =
        std::wstring(base) + L"pagorin-main-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::string textOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return FromWide(text);
}

// The items of the popup menu that `open` shows, read from the menu window while its
// modal loop runs on this thread, then closed as Escape would.
std::vector<std::string> itemsOfMenuShownBy(const std::function<void()>& open) {
    static std::vector<std::string>* shown = nullptr;
    std::vector<std::string> items;
    shown = &items;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (menuWindow == nullptr || !IsWindowVisible(menuWindow)) return;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int position = 0; position < GetMenuItemCount(menu); ++position) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
            shown->push_back(FromWide(text));
        }
        EndMenu();
    });
    open();
    KillTimer(nullptr, timer);
    return items;
}

// Whether the notification area holds the window's icon: changing nothing in it
// succeeds only for an icon that is there.
bool trayIconPresent(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// What the window asks of the notification area, recorded on its way there.
struct NotifyCall {
    DWORD message;
    UINT flags;
    HICON icon;
    DWORD infoFlags;
    std::wstring infoTitle;
    std::wstring info;
};
std::vector<NotifyCall> notifyCalls;
BOOL WINAPI RecordNotify(DWORD message, PNOTIFYICONDATAW data) {
    notifyCalls.push_back(
        {message, data->uFlags, data->hIcon, data->dwInfoFlags, data->szInfoTitle, data->szInfo});
    return Shell_NotifyIconW(message, data);
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        window.setCommands(recorder, recorder);
        ASSERT_TRUE(window.createAndShow(SW_SHOWNORMAL));
        pump();
    }
    void TearDown() override {
        if (IsWindow(window.hwnd())) DestroyWindow(window.hwnd());
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        DeleteFileW((directory + L"\\" + ToWide(items::kItemFileName)).c_str());
        RemoveDirectoryW(directory.c_str());
    }
    HWND control(int id) { return GetDlgItem(window.hwnd(), id); }
    RECT clientRect(HWND child) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    items::ItemList list;
    std::wstring directory = temporaryDirectory();
    adapters::Win32Folder folder{directory};
    test_support::RecordedMessages messages;
    app::ItemFileCommands itemFile{list, folder, messages};
    app::TipsState tips;
    Recorder recorder;
    MainWindow window{list, itemFile, tips};
};

TEST_F(MainWindowTest, TitleSizeAndPlace) {
    EXPECT_EQ(textOf(window.hwnd()), kMainTitle);
    RECT rect;
    GetWindowRect(window.hwnd(), &rect);
    EXPECT_EQ(rect.right - rect.left, kMainWidth);
    EXPECT_EQ(rect.bottom - rect.top, kMainHeight);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - kMainWidth) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - kMainHeight) / 2);
    const LONG style = GetWindowLongW(window.hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);  // not resizable
}

TEST_F(MainWindowTest, EveryControlWhereTheLayoutPutsIt) {
    const auto layout = MainWindowLayout();
    ASSERT_EQ(layout.size(), 11u);
    for (const widgets::ControlPlacement& placement : layout) {
        HWND child = control(placement.id);
        ASSERT_NE(child, nullptr) << placement.formName;
        const RECT expected = widgets::ControlRect(layout, placement);
        const RECT actual = clientRect(child);
        EXPECT_EQ(actual.left, expected.left) << placement.formName;
        EXPECT_EQ(actual.top, expected.top) << placement.formName;
        EXPECT_EQ(actual.right - actual.left, placement.width) << placement.formName;
        EXPECT_EQ(actual.bottom - actual.top, placement.height) << placement.formName;
    }
    // Inside their group boxes: 编辑框1 at 528+8, 8+14 and 标签1 at 6+58, 327+13.
    EXPECT_EQ(clientRect(control(kIdElapsedBox)).left, 536);
    EXPECT_EQ(clientRect(control(kIdElapsedBox)).top, 22);
    EXPECT_EQ(clientRect(control(kIdTipsLabel)).left, 64);
    EXPECT_EQ(clientRect(control(kIdTipsLabel)).top, 340);
}

TEST_F(MainWindowTest, InitialTextsAndCaptions) {
    EXPECT_EQ(textOf(control(kIdElapsedBox)), "00:00:00");
    EXPECT_EQ(textOf(control(kIdTipsLabel)), app::kWelcomeText);
    EXPECT_EQ(textOf(control(kIdAdd)), kCaptionAdd);
    EXPECT_EQ(textOf(control(kIdStart)), kCaptionStart);
    EXPECT_EQ(textOf(control(kIdElapsedGroup)), kElapsedGroup);
    EXPECT_EQ(textOf(control(kIdTipsGroup)), kTipsGroup);
    EXPECT_TRUE(GetWindowLongW(control(kIdElapsedBox), GWL_STYLE) & ES_CENTER);
}

TEST_F(MainWindowTest, ListViewColumnsAndStyles) {
    HWND listView = control(kIdItemList);
    const LONG style = GetWindowLongW(listView, GWL_STYLE);
    EXPECT_TRUE(style & LVS_REPORT);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & LVS_NOSORTHEADER);  // header items look like buttons
    const DWORD extended = ListView_GetExtendedListViewStyle(listView);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
    EXPECT_TRUE(extended & LVS_EX_HEADERDRAGDROP);
    const int formats[] = {LVCFMT_LEFT,   LVCFMT_CENTER, LVCFMT_LEFT,   LVCFMT_LEFT,
                           LVCFMT_CENTER, LVCFMT_CENTER, LVCFMT_CENTER, LVCFMT_CENTER};
    for (int column = 0; column < items::kColumnCount; ++column) {
        wchar_t title[64] = {};
        LVCOLUMNW columnInfo{};
        columnInfo.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        columnInfo.pszText = title;
        columnInfo.cchTextMax = 64;
        ASSERT_TRUE(ListView_GetColumn(listView, column, &columnInfo));
        EXPECT_EQ(FromWide(title), items::kColumnLayout[static_cast<size_t>(column)].header);
        EXPECT_EQ(columnInfo.cx, items::kColumnLayout[static_cast<size_t>(column)].width);
        EXPECT_EQ(columnInfo.fmt & LVCFMT_JUSTIFYMASK, formats[column]) << column;
    }
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(listView, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(font.lfHeight, -12);
}

TEST_F(MainWindowTest, TheListShowsItemListItself) {
    HWND listView = control(kIdItemList);
    EXPECT_EQ(ListView_GetItemCount(listView), 0);
    for (int i = 0; i < 100000; ++i) list.appendRow(text::IntToText(i + 1));
    list.setCellText(99999, items::kStatus, text::kMonitoring);
    pump();
    EXPECT_EQ(ListView_GetItemCount(listView), 100000);
    wchar_t cell[64] = {};
    ListView_GetItemText(listView, 99999, items::kStatus, cell, 64);
    EXPECT_EQ(FromWide(cell), text::kMonitoring);
    // A worker's write from another thread repaints without any call on the window.
    std::thread([&] { list.setCellText(0, items::kStatus, text::kStopped); }).join();
    pump();
    ListView_GetItemText(listView, 0, items::kStatus, cell, 64);
    EXPECT_EQ(FromWide(cell), text::kStopped);
    // Selecting in the view selects in ItemList; deleting moves both.
    ListView_SetItemState(listView, 5, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.selectedRow(), 5);
    list.deleteRow(5);
    pump();
    EXPECT_EQ(list.selectedRow(), -1);
    EXPECT_EQ(ListView_GetNextItem(listView, -1, LVNI_SELECTED), -1);
    EXPECT_EQ(ListView_GetItemCount(listView), 99999);
}

// An imported line without "，" can leave a cell of tens of megabytes: the list shows its
// beginning, converted as any cell is, and only that much is read at each repaint.
TEST_F(MainWindowTest, AHugeCellShowsItsBeginning) {
    std::string huge;
    while (huge.size() < (size_t{50} << 20))
        huge +=
            "\xBC\xE0\xBF\xD8"
            "ab";  // 监控ab
    list.appendRow("1");
    list.setCellText(0, items::kUrl, huge);
    pump();
    wchar_t cell[300] = {};
    ListView_GetItemText(control(kIdItemList), 0, items::kUrl, cell, 300);
    std::wstring expected;
    while (expected.size() < 299) expected += L"监控ab";
    expected.resize(299);
    EXPECT_EQ(std::wstring(cell), expected);
}

TEST_F(MainWindowTest, TipsRotateEveryTick) {
    for (int tick = 1; tick <= 8; ++tick) {
        SendMessageW(window.hwnd(), WM_TIMER, kTipsTimerId, 0);
        EXPECT_EQ(textOf(control(kIdTipsLabel)), tips.tipsLines[static_cast<size_t>(tick - 1)]);
    }
    SendMessageW(window.hwnd(), WM_TIMER, kTipsTimerId, 0);  // 180 s: tip 8 stays
    EXPECT_EQ(textOf(control(kIdTipsLabel)), tips.tipsLines[7]);
    SendMessageW(window.hwnd(), WM_TIMER, kTipsTimerId, 0);
    EXPECT_EQ(textOf(control(kIdTipsLabel)), tips.tipsLines[0]);
}

TEST_F(MainWindowTest, MenusHoldTheirCommands) {
    // A right click on the list, and a right click on the tray icon.
    NMHDR rightClick{control(kIdItemList), static_cast<UINT_PTR>(kIdItemList), NM_RCLICK};
    EXPECT_EQ(itemsOfMenuShownBy([&] {
                  SendMessageW(window.hwnd(), WM_NOTIFY, kIdItemList,
                               reinterpret_cast<LPARAM>(&rightClick));
              }),
              (std::vector<std::string>{std::string(kMenuImport), std::string(kMenuExport)}));
    EXPECT_EQ(
        itemsOfMenuShownBy([&] { SendMessageW(window.hwnd(), WM_APP_TRAY, 0, WM_RBUTTONUP); }),
        (std::vector<std::string>{std::string(kMenuShowMain), std::string(kMenuExit)}));
}

TEST_F(MainWindowTest, ButtonsAndMenusReachTheirCommands) {
    for (int id : {kIdAdd, kIdModify, kIdDelete, kIdStart, kIdStop, kIdAbout}) {
        SendMessageW(control(id), BM_CLICK, 0, 0);
    }
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"add", "modify", "delete", "start", "stop", "about"}));
    // Export of an empty list is refused; with a row it reaches the file, import reads it.
    SendMessageW(window.hwnd(), WM_COMMAND, kIdExport, 0);
    EXPECT_EQ(messages.texts.size(), 1u);
    list.appendRow("1");
    SendMessageW(window.hwnd(), WM_COMMAND, kIdExport, 0);
    EXPECT_EQ(folder.readFile(items::kItemFileName),
              "1\xA3\xAC\xA3\xAC\xA3\xAC\xA3\xAC\xA3\xAC\xA3\xAC\xA3\xAC\r\n");
    SendMessageW(window.hwnd(), WM_COMMAND, kIdImport, 0);
    EXPECT_EQ(list.rowCount(), 2);
    // The elapsed timer drives the engine's tick.
    window.setElapsedTimerInterval(1000);
    SendMessageW(window.hwnd(), WM_TIMER, kElapsedTimerId, 0);
    EXPECT_EQ(recorder.calls.back(), "tick");
    window.setElapsedText("12:34:56");
    EXPECT_EQ(textOf(control(kIdElapsedBox)), "12:34:56");
}

TEST_F(MainWindowTest, MinimiseHidesInTheTrayAndAClickBringsItBack) {
    notifyCalls.clear();
    widgets::TrayIcon::SetNotifyForTests(RecordNotify);
    SetWindowPos(window.hwnd(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pump();
    EXPECT_FALSE(trayIconPresent(window.hwnd()));  // moving a shown window makes no icon
    ShowWindow(window.hwnd(), SW_MINIMIZE);
    pump();
    ASSERT_TRUE(trayIconPresent(window.hwnd()));
    // The small icon, drawn at the small size; then one balloon, silent, saying where
    // the icon went.
    ASSERT_GE(notifyCalls.size(), 2u);
    EXPECT_EQ(notifyCalls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(IconWidth(notifyCalls[0].icon), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(notifyCalls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(notifyCalls[1].flags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(notifyCalls[1].infoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_NOSOUND));
    EXPECT_EQ(notifyCalls[1].infoTitle, ToWide(kTrayNoticeTitle));
    EXPECT_EQ(notifyCalls[1].info, ToWide(kTrayNoticeText));
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    SendMessageW(window.hwnd(), WM_APP_TRAY, 0, WM_LBUTTONUP);
    pump();
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    EXPECT_FALSE(IsIconic(window.hwnd()));
    RECT rect;
    GetWindowRect(window.hwnd(), &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - kMainWidth) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - kMainHeight) / 2);
    EXPECT_TRUE(trayIconPresent(window.hwnd()));  // the icon stays after a restore
    // Minimised again: still one icon, replaced rather than added.
    ShowWindow(window.hwnd(), SW_MINIMIZE);
    pump();
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    SendMessageW(window.hwnd(), WM_APP_TRAY, 0, WM_LBUTTONDBLCLK);
    pump();
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    // Later minimises explain nothing more.
    EXPECT_EQ(std::count_if(notifyCalls.begin(), notifyCalls.end(),
                            [](const NotifyCall& call) { return (call.flags & NIF_INFO) != 0; }),
              1);
    widgets::TrayIcon::SetNotifyForTests(nullptr);
    // "显示主界面" on a shown window restores and centres it.
    SetWindowPos(window.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(window.hwnd(), WM_COMMAND, kIdShowMainWindow, 0);
    GetWindowRect(window.hwnd(), &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - kMainWidth) / 2);
}

// Windows sends "TaskbarCreated" also when the display scale changes, with the icon still
// there: it is kept, minimising still hides the window, and the exit still removes it.
TEST_F(MainWindowTest, TaskbarCreatedWhileTheIconIsThereKeepsIt) {
    ShowWindow(window.hwnd(), SW_MINIMIZE);
    pump();
    ASSERT_TRUE(trayIconPresent(window.hwnd()));
    SendMessageW(window.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    pump();
    EXPECT_TRUE(trayIconPresent(window.hwnd()));
    SendMessageW(window.hwnd(), WM_APP_TRAY, 0, WM_LBUTTONUP);
    pump();
    ASSERT_TRUE(IsWindowVisible(window.hwnd()));
    ShowWindow(window.hwnd(), SW_MINIMIZE);
    pump();
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    HWND hwnd = window.hwnd();
    SendMessageW(hwnd, WM_COMMAND, kIdExit, 0);
    EXPECT_FALSE(trayIconPresent(hwnd));
}

TEST_F(MainWindowTest, ExitDestroysTheWindowAndRemovesTheIcon) {
    ShowWindow(window.hwnd(), SW_MINIMIZE);
    pump();
    ASSERT_TRUE(trayIconPresent(window.hwnd()));
    HWND hwnd = window.hwnd();
    SendMessageW(hwnd, WM_COMMAND, kIdExit, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace pagorin::ui
