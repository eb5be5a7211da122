// Driving the real program from another process, the way a person uses it: a copy
// started in a folder of its own, its windows found by class and process, typed into and
// clicked with window messages, its list view and message boxes read, screenshots taken.
// The program is never called: only its texts, ids and GBK conversion are shared.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/wait_until.h"

namespace pagorin::journey {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Seconds from `from` to `to`, for timing checks and their messages.
inline double SecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

using test_support::WaitUntil;

// A fresh folder under the temporary folder: "program" holds a copy of the program,
// "elsewhere" is the working folder it is started in, so a file the program means to
// keep beside itself cannot land there by accident. Deleted with its contents at the end.
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    // False when the folder could not be made or the program not copied; why() says.
    bool ready() const { return ready_; }
    const std::string& why() const { return why_; }

    std::wstring programPath() const;
    const std::wstring& workingFolder() const { return elsewhere_; }
    // A file beside the program, by its GBK name.
    std::wstring besideProgram(std::string_view gbkName) const;
    // The names of the files in the working folder.
    std::vector<std::wstring> workingFolderFiles() const;

  private:
    std::wstring root_;
    std::wstring program_;
    std::wstring elsewhere_;
    bool ready_ = false;
    std::string why_;
};

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

// One message box of the program: its window, caption and text as GBK bytes.
struct MessageBoxView {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};

enum class BoxIcon { kUnknown, kInformation, kWarning };

class RunningProgram {
  public:
    // Starts the program and waits until its main window is visible.
    RunningProgram(const std::wstring& programPath, const std::wstring& workingFolder);
    // Ends it if it is still running: a journey that failed half-way leaves nothing behind.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return mainWindow_ != nullptr; }
    const std::string& why() const { return why_; }
    HWND mainWindow() const { return mainWindow_; }
    HWND control(int id) const { return GetDlgItem(mainWindow_, id); }
    bool running() const;
    // Waits for the process to end; its exit code, or nothing after the timeout.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds timeout) const;

    // A toolbar button's click, as the button reports it to the window.
    void clickToolbar(int id) const;
    // A menu command, as a menu reports it.
    void menuCommand(int id) const;

    // The visible top-level windows of the program of a window class ("#32770" for
    // message boxes, "#32768" for menus).
    std::vector<HWND> visibleWindows(const wchar_t* className) const;
    // The first visible window of the class (and title, when given) within the timeout.
    HWND waitForWindow(const wchar_t* className, const std::wstring* title,
                       std::chrono::milliseconds timeout) const;
    // The program's message boxes that are open now, read.
    std::vector<MessageBoxView> openMessageBoxes() const;
    // The first message box to be open within the timeout; window null when none came.
    MessageBoxView waitForMessageBox(std::chrono::milliseconds timeout) const;

    // The list view, read across the process boundary.
    int rowCount() const;
    std::string cellText(int row, int column) const;
    std::vector<std::vector<std::string>> allRows() const;
    int selectedRow() const;

  private:
    PROCESS_INFORMATION info_{};
    HWND mainWindow_ = nullptr;
    void* remote_ = nullptr;  // scratch memory inside the program for list view calls
    std::string why_;
};

// A window's text through WM_GETTEXT, as GBK bytes; works across processes.
std::string WindowTextGbk(HWND window);
// WM_SETTEXT with the GBK text converted as the program converts it.
bool SetWindowTextGbk(HWND window, std::string_view gbk);
// Sends a message with a time limit, so a hung program cannot hang the driver.
LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Closes a message box with its OK button.
void PressOk(HWND box);
// True once `window` is gone or hidden, within the timeout.
bool WaitGoneOrHidden(HWND window, std::chrono::milliseconds timeout);

// The icon a message box shows, told from its pixels on the screen by comparison with
// the system's information and warning icons drawn the same way.
BoxIcon IconOf(HWND box);
const char* IconName(BoxIcon icon);

// Saves the whole screen as "NN-journey-moment.bmp" in the artifacts folder (the
// environment's PAGORIN_JOURNEY_ARTIFACTS, or journey-artifacts beside the test program).
class Screenshots {
  public:
    Screenshots(std::string journey, int firstNumber)
        : journey_(std::move(journey)), next_(firstNumber) {}
    // The file written, empty when it could not be.
    std::wstring take(std::string_view moment);

  private:
    std::string journey_;
    int next_;
};

std::wstring ArtifactsFolder();
// The program beside the tests' build, by the relative path the build gives.
std::wstring BuiltProgramPath();
std::string Narrow(const std::wstring& wide);  // for messages: UTF-8

}  // namespace pagorin::journey
