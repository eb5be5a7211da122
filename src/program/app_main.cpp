// The program's entry: the process-wide state, the main window and its message loop.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "adapters/win32/alarm_presenter.h"
#include "adapters/win32/folder.h"
#include "adapters/win32/message_box_messages.h"
#include "app/entry_commands.h"
#include "app/item_file_commands.h"
#include "items/item_list.h"
#include "monitor/monitoring.h"
#include "program/page_readers.h"
#include "ui/entry_dialogs.h"
#include "ui/main_window.h"

namespace pagorin::program {
namespace {

app::TipsState* processTips = nullptr;

// Registered at start-up, run once at exit.
void releaseProcessState() {
    if (processTips == nullptr) return;
    processTips->helpText.clear();
    processTips->tipsLines.clear();
    processTips->tipsLines.shrink_to_fit();
}

// Everything the window wires together. Made once and never destroyed: the process ends
// with it, and no destructor may wait for a worker that the end of the process stops.
struct Program {
    app::TipsState tips;
    items::ItemList list;
    adapters::MessageBoxMessages messages;
    adapters::Win32Folder folder{adapters::Win32Folder::programDirectory()};
    app::ItemFileCommands itemFile{list, folder, messages};
    // The tick count goes on while the machine sleeps.
    monitor::StopTokenSleeper sleeper{[] { return std::chrono::milliseconds(GetTickCount64()); }};
    Win32PageReaderFactory readers;
    adapters::Win32AlarmPresenter presenter;
    ui::MainWindow window{list, itemFile, tips};
    monitor::Monitoring monitoring{{list, messages, window, sleeper, readers, presenter}};
    ui::Win32EntryDialogs dialogs;
    app::EntryCommandHandlers entries{list, messages, dialogs, monitoring};
};

int runProgram(int showCommand) {
    // The common controls the windows use.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The process-wide state, its cleanup registered for the exit.
    Program& program = *new Program;
    processTips = &program.tips;
    std::atexit(releaseProcessState);
    program.window.setCommands(program.monitoring, program.entries);

    // The main window; its creation prepares the tips.
    if (!program.window.createAndShow(showCommand)) return 1;
    program.messages.setOwner(program.window.hwnd());
    program.dialogs.setOwner(program.window.hwnd());

    // Messages until the main window is gone.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (program.window.hwnd() != nullptr && IsDialogMessageW(program.window.hwnd(), &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace
}  // namespace pagorin::program

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // Before anything loads a library: none is looked for beside the program, where a
    // file of a system library's name (in Downloads, say) would run with the user's
    // rights.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const int code = pagorin::program::runProgram(showCommand);
    // The exit cleanup, then the end: workers still running end with the process,
    // without waiting for a fetch or an open alarm. Not ExitProcess: it runs every
    // library's detach code, which may wait for a lock a worker or request thread holds
    // inside the Internet or sound library at that moment. Nothing is written at exit.
    pagorin::program::releaseProcessState();
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    return code;
}
