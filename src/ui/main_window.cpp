// The main window: layout, wiring of every event, the list view over ItemList, the
// tips, and the notification-area icon.
#include "ui/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/main_window_texts.h"
#include "ui/resources/resource_ids.h"
#include "ui/ui_messages.h"
#include "win32/code_page.h"

namespace pagorin::ui {
namespace {

constexpr DWORD kButtonStyle = BS_OWNERDRAW | WS_TABSTOP;

const widgets::ControlPlacement kLayout[] = {
    {"添加", WC_BUTTONW, kIdAdd, 2, 3, 58, 72, kButtonStyle, 0, kCaptionAdd, 0},
    {"修改", WC_BUTTONW, kIdModify, 68, 3, 58, 72, kButtonStyle, 0, kCaptionModify, 0},
    {"删除", WC_BUTTONW, kIdDelete, 134, 3, 58, 72, kButtonStyle, 0, kCaptionDelete, 0},
    {"开始监控", WC_BUTTONW, kIdStart, 200, 3, 58, 72, kButtonStyle, 0, kCaptionStart, 0},
    {"停止监控", WC_BUTTONW, kIdStop, 266, 3, 58, 72, kButtonStyle, 0, kCaptionStop, 0},
    {"关于", WC_BUTTONW, kIdAbout, 332, 3, 58, 72, kButtonStyle, 0, kCaptionAbout, 0},
    {"分组框1", WC_BUTTONW, kIdElapsedGroup, 528, 8, 144, 58, BS_GROUPBOX, 0, kElapsedGroup, 0},
    {"编辑框1", WC_EDITW, kIdElapsedBox, 8, 14, 128, 36, ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP,
     WS_EX_STATICEDGE, kElapsedZero, kIdElapsedGroup},
    {"超级列表框1", WC_LISTVIEWW, kIdItemList, 6, 76, 666, 244,
     LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE,
     "", 0},
    {"分组框2", WC_BUTTONW, kIdTipsGroup, 6, 327, 666, 40, BS_GROUPBOX, 0, kTipsGroup, 0},
    {"标签1", WC_STATICW, kIdTipsLabel, 58, 13, 570, 20,
     SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, 0, app::kWelcomeText, kIdTipsGroup},
};

constexpr int kButtonIds[6] = {kIdAdd, kIdModify, kIdDelete, kIdStart, kIdStop, kIdAbout};
constexpr int kButtonIcons[6] = {IDI_ADD, IDI_MODIFY, IDI_DELETE, IDI_START, IDI_STOP, IDI_ABOUT};
constexpr int kColumnFormats[items::kColumnCount] = {LVCFMT_LEFT,   LVCFMT_CENTER, LVCFMT_LEFT,
                                                     LVCFMT_LEFT,   LVCFMT_CENTER, LVCFMT_CENTER,
                                                     LVCFMT_CENTER, LVCFMT_CENTER};
constexpr COLORREF kElapsedColor = RGB(0, 128, 192);
constexpr COLORREF kTipsColor = RGB(128, 128, 128);

void appendMenuItem(HMENU menu, int id, std::string_view gbkCaption) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), win32::ToWide(gbkCaption).c_str());
}

}  // namespace

std::span<const widgets::ControlPlacement> MainWindowLayout() {
    return kLayout;
}

MainWindow::MainWindow(items::ItemList& list, app::ItemFileCommands& itemFile, app::TipsState& tips)
    : list_(list), itemFile_(itemFile), tips_(tips) {}

MainWindow::~MainWindow() {
    list_.setObserver(nullptr);
}

bool MainWindow::createAndShow(int showCommand) {
    programIcon_ = widgets::LoadResourceIcon(IDI_PROGRAM, GetSystemMetrics(SM_CXICON));
    // The notification area shows small icons: one drawn at that size stays sharp.
    trayIcon_ = widgets::LoadResourceIcon(IDI_PROGRAM, GetSystemMetrics(SM_CXSMICON));
    if (!create({.className = L"PagorinMainWindow",
                 .title = kMainTitle,
                 .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                 .exStyle = WS_EX_CONTROLPARENT,
                 .width = kMainWidth,
                 .height = kMainHeight,
                 .controls = kLayout,
                 .icon = programIcon_.get()})) {
        return false;
    }
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    return true;
}

void MainWindow::setupControls() {
    elapsedFont_.reset(CreateFontW(-scale()(24), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH, L"Cambria"));
    SendMessageW(control(kIdElapsedBox), WM_SETFONT, reinterpret_cast<WPARAM>(elapsedFont_.get()),
                 FALSE);
    for (size_t i = 0; i < buttonStates_.size(); ++i) {
        buttonIcons_[i] = widgets::LoadResourceIcon(kButtonIcons[i], scale()(32));
        buttonStates_[i].icon = buttonIcons_[i].get();
        widgets::InstallImageButton(control(kButtonIds[i]), buttonStates_[i]);
    }
    setupItemList();

    contextMenu_.reset(CreatePopupMenu());  // 右键菜单
    appendMenuItem(contextMenu_.get(), kIdImport, kMenuImport);
    appendMenuItem(contextMenu_.get(), kIdExport, kMenuExport);
    trayMenu_.reset(CreatePopupMenu());  // 托盘菜单
    appendMenuItem(trayMenu_.get(), kIdShowMainWindow, kMenuShowMain);
    appendMenuItem(trayMenu_.get(), kIdExit, kMenuExit);
    tray_ = std::make_unique<widgets::TrayIcon>(hwnd(), WM_APP_TRAY);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
}

void MainWindow::setupItemList() {
    HWND listView = control(kIdItemList);
    ListView_SetExtendedListViewStyle(
        listView, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP);
    for (int column = 0; column < items::kColumnCount; ++column) {
        std::wstring title =
            win32::ToWide(items::kColumnLayout[static_cast<size_t>(column)].header);
        LVCOLUMNW columnInfo{};
        columnInfo.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        columnInfo.fmt = kColumnFormats[column];
        columnInfo.cx = scale()(items::kColumnLayout[static_cast<size_t>(column)].width);
        columnInfo.pszText = title.data();
        columnInfo.iSubItem = column;
        ListView_InsertColumn(listView, column, &columnInfo);
    }
    list_.setObserver(this);
    refreshList();
}

void MainWindow::onMainWindowCreated() {
    app::PrepareTips(tips_);
    SetTimer(hwnd(), kTipsTimerId, app::kTipsIntervalMilliseconds, nullptr);
}

void MainWindow::onTipsTick() {
    if (const text::Text* tip = app::NextTip(tips_)) {
        SetWindowTextW(control(kIdTipsLabel), win32::ToWide(*tip).c_str());
    }
}

void MainWindow::setElapsedText(std::string_view text) {
    SetWindowTextW(control(kIdElapsedBox), win32::ToWide(text).c_str());
}

void MainWindow::setElapsedTimerInterval(int32_t milliseconds) {
    if (milliseconds > 0) {
        SetTimer(hwnd(), kElapsedTimerId, static_cast<UINT>(milliseconds), nullptr);
    } else {
        KillTimer(hwnd(), kElapsedTimerId);
    }
}

void MainWindow::onRowsChanged(int32_t) {
    requestListRefresh();
}
void MainWindow::onCellChanged(int32_t, int32_t) {
    requestListRefresh();
}
void MainWindow::onSelectionChanged(int32_t) {
    requestListRefresh();
}

void MainWindow::requestListRefresh() {
    // However many cells change at once (an import of many rows, three workers), one
    // message is queued: the queue never fills and the list repaints once.
    if (refreshPending_.exchange(true)) return;
    const HWND window = hwnd();
    // A post that fails (a full queue) must not leave the flag set: no later change
    // would ever ask for a repaint again.
    if (window == nullptr || !PostMessageW(window, WM_APP_LIST_CHANGED, 0, 0)) {
        refreshPending_.store(false);
    }
}

void MainWindow::refreshList() {
    refreshPending_.store(false);
    HWND listView = control(kIdItemList);
    const int count = list_.rowCount();
    if (ListView_GetItemCount(listView) != count) {
        ListView_SetItemCountEx(listView, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    }
    const int selected = list_.selectedRow();
    if (ListView_GetNextItem(listView, -1, LVNI_SELECTED) != selected) {
        ListView_SetItemState(listView, -1, 0, LVIS_SELECTED);
        if (selected >= 0) {
            ListView_SetItemState(listView, selected, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    InvalidateRect(listView, nullptr, FALSE);
}

void MainWindow::onItemListRightClick(POINT cursor) {
    TrackPopupMenu(contextMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x + 3,
                   cursor.y + 3, 0, hwnd(), nullptr);
}

void MainWindow::onMainWindowMoved() {
    if (!IsIconic(hwnd())) return;
    // The icon first: if the notification area refuses it, the window stays on the
    // taskbar instead of vanishing out of the user's reach.
    if (!tray_->set(trayIcon_.get(), kTrayTip)) return;
    ShowWindow(hwnd(), SW_HIDE);
    // Windows puts a new icon behind the "^" arrow, where a user who saw the window
    // vanish may not find it and start a second copy.
    tray_->noticeOnce(kTrayNoticeTitle, kTrayNoticeText);
}

void MainWindow::restoreAndCentre() {
    if (!IsWindowVisible(hwnd())) return;
    if (IsIconic(hwnd()) || IsZoomed(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    RECT rect;
    GetWindowRect(hwnd(), &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const auto [left, top] = widgets::CentredOnScreen(width, height);
    if (rect.left != left || rect.top != top) {
        SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::raise() {
    constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, kFlags);
    SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
}

void MainWindow::onTrayEvent(widgets::TrayAction action) {
    if (action == widgets::TrayAction::Click || action == widgets::TrayAction::DoubleClick) {
        ShowWindow(hwnd(), SW_SHOW);
        restoreAndCentre();
        raise();
    } else if (action == widgets::TrayAction::MenuRequest) {
        popUpTrayMenu();
    }
}

void MainWindow::popUpTrayMenu() {
    POINT cursor;
    GetCursorPos(&cursor);
    SetForegroundWindow(hwnd());
    TrackPopupMenu(trayMenu_.get(), TPM_RIGHTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x - 5,
                   cursor.y - 5, 0, hwnd(), nullptr);
    PostMessageW(hwnd(), WM_NULL, 0, 0);  // so the menu also closes on a click elsewhere
}

void MainWindow::onShowMainWindow() {
    ShowWindow(hwnd(), SW_SHOW);
    restoreAndCentre();
}

void MainWindow::onExitCommand() {
    DestroyWindow(hwnd());
}

void MainWindow::onCommand(int id) {
    switch (id) {
        case kIdAdd:
            if (entries_) entries_->onAddClicked();
            break;
        case kIdModify:
            if (entries_) entries_->onModifyClicked();
            break;
        case kIdDelete:
            if (entries_) entries_->onDeleteClicked();
            break;
        case kIdStart:
            if (monitor_) monitor_->StartMonitoring();
            break;
        case kIdStop:
            if (monitor_) monitor_->StopMonitoring();
            break;
        case kIdAbout:
            if (entries_) entries_->onAboutClicked();
            break;
        case kIdImport:
            itemFile_.importItems();
            break;
        case kIdExport:
            itemFile_.exportItems();
            break;
        case kIdShowMainWindow:
            onShowMainWindow();
            break;
        case kIdExit:
            onExitCommand();
            break;
        default:
            break;  // Enter and Escape (IDOK, IDCANCEL) do nothing here
    }
}

LRESULT MainWindow::onNotify(NMHDR* header) {
    if (header->idFrom != kIdItemList) return 0;
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
            if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
                // Only what the view can show is copied and converted: an imported cell
                // may be megabytes long, and this runs at every repaint. A GBK character
                // is at most two bytes and one UTF-16 unit.
                const size_t shown = 2 * static_cast<size_t>(item.cchTextMax);
                cellBuffer_ = win32::ToWide(list_.cellTextPrefix(item.iItem, item.iSubItem, shown));
                lstrcpynW(item.pszText, cellBuffer_.c_str(), item.cchTextMax);
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            if ((change->uChanged & LVIF_STATE) != 0 &&
                ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) != 0) {
                list_.selectRow(ListView_GetNextItem(header->hwndFrom, -1, LVNI_SELECTED));
            }
            return 0;
        }
        case NM_DBLCLK:
            if (entries_) entries_->onItemListDoubleClicked();
            return 0;
        case NM_RCLICK: {
            POINT cursor;
            GetCursorPos(&cursor);
            onItemListRightClick(cursor);
            return 0;
        }
        default:
            return 0;
    }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            setupControls();
            onMainWindowCreated();
            return 0;
        case WM_COMMAND:
            onCommand(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return onNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_DRAWITEM:
            widgets::DrawImageButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), scale()(32));
            return TRUE;
        case WM_CTLCOLOREDIT:
            if (reinterpret_cast<HWND>(lParam) == control(kIdElapsedBox)) {
                SetTextColor(reinterpret_cast<HDC>(wParam), kElapsedColor);
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == control(kIdTipsLabel)) {
                SetTextColor(reinterpret_cast<HDC>(wParam), kTipsColor);
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_TIMER:
            if (wParam == kElapsedTimerId && monitor_ != nullptr) monitor_->ElapsedTick();
            if (wParam == kTipsTimerId) onTipsTick();
            return 0;
        case WM_MOVE:
            onMainWindowMoved();
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) onMainWindowMoved();
            return 0;
        case WM_APP_TRAY:
            if (const widgets::TrayAction action = widgets::TrayActionOf(lParam);
                action != widgets::TrayAction::None) {
                onTrayEvent(action);
            }
            return 0;
        case WM_APP_LIST_CHANGED:
            refreshList();
            return 0;
        case WM_DESTROY:
            list_.setObserver(nullptr);
            KillTimer(hwnd(), kTipsTimerId);
            KillTimer(hwnd(), kElapsedTimerId);
            if (tray_) tray_->remove();
            PostQuitMessage(0);
            return 0;
        default:
            if (message == taskbarCreatedMessage_ && message != 0 && tray_ && tray_->present()) {
                // Also sent when only the display scale changed: then the icon is still there.
                tray_->restore();
                return 0;
            }
            break;
    }
    return widgets::Window::HandleMessage(message, wParam, lParam);
}

}  // namespace pagorin::ui
