// The baseline for start-up time and memory: a plain Win32 program with what the real
// main window is made of and nothing of the program itself. The same common controls
// (through the same manifest), the same font (a GB2312 one, so the Chinese glyphs are
// loaded), a list view in report style with eight Chinese column headers and a row of
// Chinese cells, six buttons, two group boxes and two labels; built and run the same way
// as the real program. What the program needs beyond this is what its own code adds.
#include <windows.h>

#include <commctrl.h>

namespace {

// 监控状态, 监控网址, … as UTF-16 escapes: the source stays ASCII.
constexpr const wchar_t* kHeaders[] = {L"\u5E8F\u53F7",
                                       L"\u76D1\u63A7\u72B6\u6001",
                                       L"\u76D1\u63A7\u7F51\u5740",
                                       L"\u76D1\u63A7\u5173\u952E\u8BCD",
                                       L"\u58F0\u97F3\u62A5\u8B66",
                                       L"\u5237\u65B0\u9891\u7387",
                                       L"\u76D1\u63A7\u65B9\u5F0F",
                                       L"\u53D1\u73B0\u76EE\u6807"};

HFONT font = nullptr;

HWND child(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
           int width, int height) {
    HWND made = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return made;
}

void createControls(HWND window) {
    font =
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"");
    for (int i = 0; i < 6; ++i) {
        child(window, L"BUTTON", kHeaders[i], BS_PUSHBUTTON, 5 + i * 60, 5, 56, 56);
    }
    child(window, L"BUTTON", kHeaders[6], BS_GROUPBOX, 370, 0, 140, 60);
    child(window, L"BUTTON", kHeaders[7], BS_GROUPBOX, 515, 0, 160, 60);
    child(window, L"STATIC", L"00:00:00", SS_CENTER, 380, 25, 120, 24);
    child(window, L"STATIC", kHeaders[2], SS_LEFT, 525, 25, 140, 24);
    HWND list =
        child(window, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SINGLESEL | WS_BORDER, 5, 65, 670, 300);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int column = 0; column < 8; ++column) {
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.cx = 80;
        info.pszText = const_cast<wchar_t*>(kHeaders[column]);
        ListView_InsertColumn(list, column, &info);
    }
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kHeaders[0]);
    ListView_InsertItem(list, &item);
    for (int column = 1; column < 8; ++column) {
        ListView_SetItemText(list, 0, column, const_cast<wchar_t*>(kHeaders[column]));
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        createControls(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"MinimalBaselineWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"MinimalBaselineWindow", L"baseline", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 684, 407, nullptr, nullptr,
                                  instance, nullptr);
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
