// The program driver: process and folder handling, window search, cross-process list
// view reads, message box reading with icon recognition, and screenshots as BMP files.
#include "journey/program_driver.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "items/monitor_item.h"
#include "support/top_windows.h"
#include "ui/ui_messages.h"
#include "win32/code_page.h"

namespace pagorin::journey {
namespace {

using test_support::ClassOf;
using test_support::TitleOf;

constexpr UINT kSendTimeoutMs = 10000;
constexpr int kCellCapacity = 4096;  // characters; the journeys' cells are far shorter

// What the list view calls need inside the program: the item and its text buffer.
struct RemoteCell {
    LVITEMW item;
    wchar_t text[kCellCapacity];
};

std::wstring ModulePath() {
    std::wstring path(260, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

// Every file in `folder` deleted, retried for a while: the program's image may stay
// locked for a moment after the process ended.
void DeleteFolder(const std::wstring& folder) {
    if (folder.empty()) return;
    const auto end = Clock::now() + 10s;
    for (;;) {
        bool left = false;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + L"\\" + name;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                    DeleteFolder(path);
                } else if (!DeleteFileW(path.c_str())) {
                    left = true;
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        if (!left && RemoveDirectoryW(folder.c_str())) return;
        if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        if (Clock::now() >= end) return;
        Sleep(100);
    }
}

void MakeFolders(const std::wstring& path) {
    // Each level in turn; existing ones are fine.
    for (size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos;
         at = path.find_first_of(L"\\/", at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(path.c_str(), nullptr);
}

// Under Wine a path from the Unix side ("/home/...") names a Unix file; Wine says which
// Windows path that is. On Windows the function is absent and the path is used as it is.
std::wstring WindowsPathOf(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    using DosName = WCHAR*(CDECL*)(LPCSTR);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto convert = reinterpret_cast<DosName>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")));
    if (convert == nullptr) return path;
    WCHAR* dos = convert(Narrow(path).c_str());
    if (dos == nullptr) return path;
    std::wstring result = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

struct ScreenPixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // row by row, top first, as RGB()
};

// The pixels of a rectangle of the screen as they are shown now.
ScreenPixels CaptureScreen(const RECT& area) {
    ScreenPixels result;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return result;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return result;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), raw.data(), &info,
                  DIB_RGB_COLORS) == height) {
        result.width = width;
        result.height = height;
        result.pixels.reserve(raw.size());
        for (DWORD bgr : raw) {
            result.pixels.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
        }
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

// `icon` drawn at its own size on `background`, as a static control draws it.
ScreenPixels DrawReference(HICON icon, int width, int height, COLORREF background) {
    ScreenPixels result;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    result.width = width;
    result.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) result.pixels.push_back(GetPixel(memory, x, y));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

// The share of pixels that are the same colour, within a small tolerance per channel.
double Similarity(const ScreenPixels& a, const ScreenPixels& b) {
    if (a.pixels.empty() || a.pixels.size() != b.pixels.size()) return 0.0;
    size_t same = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const COLORREF p = a.pixels[i];
        const COLORREF q = b.pixels[i];
        if (std::abs(GetRValue(p) - GetRValue(q)) <= 8 &&
            std::abs(GetGValue(p) - GetGValue(q)) <= 8 &&
            std::abs(GetBValue(p) - GetBValue(q)) <= 8) {
            ++same;
        }
    }
    return static_cast<double>(same) / static_cast<double>(a.pixels.size());
}

HWND IconControlOf(HWND box) {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM data) -> BOOL {
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            if (ClassOf(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON &&
                IsWindowVisible(child)) {
                reinterpret_cast<Search*>(data)->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::wstring BuiltProgramPath() {
    std::wstring relative = win32::ToWide(PAGORIN_PROGRAM_FROM_TESTS, CP_UTF8);
    for (wchar_t& c : relative) {
        if (c == L'/') c = L'\\';
    }
    return FolderOf(ModulePath()) + L"\\" + relative;
}

std::wstring ArtifactsFolder() {
    wchar_t value[4096] = {};
    const DWORD length = GetEnvironmentVariableW(L"PAGORIN_JOURNEY_ARTIFACTS", value, 4096);
    if (length > 0 && length < 4096) return WindowsPathOf(value);
    return FolderOf(ModulePath()) + L"\\journey-artifacts";
}

// ---- ProgramFolder ----

ProgramFolder::ProgramFolder() {
    static std::atomic<unsigned> made{0};
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    root_ = std::wstring(temporary) + L"pagorin-journey-" + std::to_wstring(GetCurrentProcessId()) +
            L"-" + std::to_wstring(made.fetch_add(1)) + L"-" + std::to_wstring(GetTickCount());
    program_ = root_ + L"\\program";
    elsewhere_ = root_ + L"\\elsewhere";
    if (!CreateDirectoryW(root_.c_str(), nullptr) || !CreateDirectoryW(program_.c_str(), nullptr) ||
        !CreateDirectoryW(elsewhere_.c_str(), nullptr)) {
        why_ = "cannot make " + Narrow(root_);
        return;
    }
    const std::wstring built = BuiltProgramPath();
    if (!CopyFileW(built.c_str(), programPath().c_str(), TRUE)) {
        why_ = "cannot copy " + Narrow(built) + " (error " + std::to_string(GetLastError()) + ")";
        return;
    }
    ready_ = true;
}

ProgramFolder::~ProgramFolder() {
    DeleteFolder(root_);
}

std::wstring ProgramFolder::programPath() const {
    return program_ + L"\\pagorin.exe";
}

std::wstring ProgramFolder::besideProgram(std::string_view gbkName) const {
    return program_ + L"\\" + win32::ToWide(gbkName);
}

std::vector<std::wstring> ProgramFolder::workingFolderFiles() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((elsewhere_ + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// ---- RunningProgram ----

RunningProgram::RunningProgram(const std::wstring& programPath, const std::wstring& workingFolder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + programPath + L"\"";
    if (!CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, workingFolder.c_str(), &startup, &info_)) {
        why_ = "cannot start " + Narrow(programPath) + " (error " + std::to_string(GetLastError()) +
               ")";
        info_ = {};
        return;
    }
    remote_ = VirtualAllocEx(info_.hProcess, nullptr, sizeof(RemoteCell), MEM_COMMIT | MEM_RESERVE,
                             PAGE_READWRITE);
    mainWindow_ = waitForWindow(L"PagorinMainWindow", nullptr, 60s);
    if (mainWindow_ == nullptr) why_ = "the main window did not appear within 60 s";
}

RunningProgram::~RunningProgram() {
    if (info_.hProcess == nullptr) return;
    if (running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool RunningProgram::running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> RunningProgram::waitForExit(std::chrono::milliseconds timeout) const {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void RunningProgram::clickToolbar(int id) const {
    PostMessageW(mainWindow_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(id)));
}

void RunningProgram::menuCommand(int id) const {
    PostMessageW(mainWindow_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::vector<HWND> RunningProgram::visibleWindows(const wchar_t* className) const {
    return test_support::TopWindowsOf(info_.dwProcessId, [&](HWND window) {
        return IsWindowVisible(window) && ClassOf(window) == className;
    });
}

HWND RunningProgram::waitForWindow(const wchar_t* className, const std::wstring* title,
                                   std::chrono::milliseconds timeout) const {
    HWND result = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : visibleWindows(className)) {
                if (title == nullptr || TitleOf(window) == *title) {
                    result = window;
                    return true;
                }
            }
            return !running();
        },
        timeout);
    return result;
}

std::vector<MessageBoxView> RunningProgram::openMessageBoxes() const {
    std::vector<MessageBoxView> boxes;
    for (HWND window : visibleWindows(L"#32770")) {
        MessageBoxView view;
        view.window = window;
        view.caption = win32::FromWide(TitleOf(window));
        // The text is the static with id 0xFFFF in every message box.
        view.text = WindowTextGbk(GetDlgItem(window, 0xFFFF));
        boxes.push_back(std::move(view));
    }
    return boxes;
}

MessageBoxView RunningProgram::waitForMessageBox(std::chrono::milliseconds timeout) const {
    MessageBoxView result;
    WaitUntil(
        [&] {
            const std::vector<MessageBoxView> boxes = openMessageBoxes();
            if (boxes.empty()) return !running();
            result = boxes.front();
            return true;
        },
        timeout);
    return result;
}

int RunningProgram::rowCount() const {
    return static_cast<int>(SendWithin(control(ui::kIdItemList), LVM_GETITEMCOUNT, 0, 0));
}

std::string RunningProgram::cellText(int row, int column) const {
    if (remote_ == nullptr) return "<no memory in the program>";
    auto* remote = static_cast<RemoteCell*>(remote_);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = remote->text;
    item.cchTextMax = kCellCapacity;
    SIZE_T done = 0;
    const wchar_t nothing = L'\0';
    if (!WriteProcessMemory(info_.hProcess, &remote->item, &item, sizeof item, &done) ||
        !WriteProcessMemory(info_.hProcess, remote->text, &nothing, sizeof nothing, &done)) {
        return "<cannot write into the program>";
    }
    const LRESULT length = SendWithin(control(ui::kIdItemList), LVM_GETITEMTEXTW,
                                      static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (!ReadProcessMemory(info_.hProcess, remote->text, text.data(), text.size() * sizeof(wchar_t),
                           &done)) {
        return "<cannot read the program's memory>";
    }
    return win32::FromWide(text);
}

std::vector<std::vector<std::string>> RunningProgram::allRows() const {
    std::vector<std::vector<std::string>> rows;
    const int count = rowCount();
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < items::kColumnCount; ++column) {
            cells.push_back(cellText(row, column));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

int RunningProgram::selectedRow() const {
    return static_cast<int>(SendWithin(control(ui::kIdItemList), LVM_GETNEXTITEM,
                                       static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// ---- windows ----

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

std::string WindowTextGbk(HWND window) {
    std::wstring text(8192, L'\0');
    const LRESULT length = SendWithin(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                      reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return win32::FromWide(text);
}

bool SetWindowTextGbk(HWND window, std::string_view gbk) {
    const std::wstring wide = win32::ToWide(gbk);
    return SendWithin(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str())) == TRUE;
}

void PressOk(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

bool WaitGoneOrHidden(HWND window, std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout);
}

BoxIcon IconOf(HWND box) {
    HWND control = IconControlOf(box);
    if (control == nullptr) return BoxIcon::kUnknown;
    const HICON information = LoadIconW(nullptr, IDI_INFORMATION);
    const HICON warning = LoadIconW(nullptr, IDI_WARNING);
    // A box that has only just appeared may not be painted yet: look again for a while.
    BoxIcon seen = BoxIcon::kUnknown;
    WaitUntil(
        [&] {
            RECT rect;
            GetWindowRect(control, &rect);
            const ScreenPixels shown = CaptureScreen(rect);
            if (shown.pixels.empty()) return false;
            const COLORREF background = shown.pixels.front();  // a transparent corner
            const double asInformation = Similarity(
                shown, DrawReference(information, shown.width, shown.height, background));
            const double asWarning =
                Similarity(shown, DrawReference(warning, shown.width, shown.height, background));
            if (asInformation > 0.97 && asInformation > asWarning) {
                seen = BoxIcon::kInformation;
            } else if (asWarning > 0.97 && asWarning > asInformation) {
                seen = BoxIcon::kWarning;
            }
            return seen != BoxIcon::kUnknown;
        },
        3s);
    return seen;
}

const char* IconName(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::kInformation:
            return "information";
        case BoxIcon::kWarning:
            return "warning";
        default:
            return "unknown";
    }
}

// ---- screenshots ----

std::wstring Screenshots::take(std::string_view moment) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d", next_++);
    const std::wstring folder = ArtifactsFolder();
    MakeFolders(folder);
    const std::wstring path = folder + L"\\" + win32::ToWide(number, CP_UTF8) + L"-" +
                              win32::ToWide(journey_, CP_UTF8) + L"-" +
                              win32::ToWide(moment, CP_UTF8) + L".bmp";

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return {};
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    // 24 bits a pixel, rows bottom first, each padded to four bytes: the plain BMP layout.
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<char> pixels(stride * static_cast<size_t>(height));
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) return {};

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    header.biSizeImage = static_cast<DWORD>(pixels.size());
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return {};
    DWORD written = 0;
    const bool ok =
        WriteFile(out, &file, sizeof file, &written, nullptr) &&
        WriteFile(out, &header, sizeof header, &written, nullptr) &&
        WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
    return ok ? path : std::wstring();
}

}  // namespace pagorin::journey
