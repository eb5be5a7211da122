// The alarm box and how a stop from another thread takes it down.
//
// A modal message box runs its own message loop on the worker's thread, and the stop
// comes from the window's thread while holding the run's lock, so the stop may only
// post. It posts two things, each enough on its own:
//  - WM_QUIT to the worker's thread: a modal loop ends on it (and posts it again), and
//    one posted before the box exists ends the box as soon as its loop starts;
//  - WM_CLOSE to the thread's dialog windows, which a box treats as its cancel button.
// The queue is created before the stop can post, and the stop is checked after the
// registration, so a stop at any moment either prevents the box or reaches it. A quit
// left behind is removed before returning: a later message loop of this thread (COM
// runs some) must not end because of it.
#include "adapters/win32/alarm_presenter.h"

#include <windows.h>

#include <cwchar>

#include "monitor/alarm_sound.h"
#include "win32/message_box.h"
#include "win32/wave_player.h"

namespace pagorin::adapters {
namespace {

// The window class of dialogs, message boxes included.
constexpr wchar_t kDialogClass[] = L"#32770";

BOOL CALLBACK closeDialog(HWND window, LPARAM) {
    wchar_t className[16] = {};
    if (GetClassNameW(window, className, 16) > 0 && std::wcscmp(className, kDialogClass) == 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

void removeQuit() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace

void Win32AlarmPresenter::playSound() {
    win32::PlayWaveAsync(monitor::AlarmSound());
}

void Win32AlarmPresenter::showMessage(std::string_view text, std::string_view caption,
                                      monitor::StopToken& stop) {
    // A thread gets its message queue on its first message call; a message posted
    // to a thread without one is lost.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);

    const DWORD threadId = GetCurrentThreadId();
    {
        const monitor::StopToken::Registration registration = stop.onStop([threadId] {
            PostThreadMessageW(threadId, WM_QUIT, 0, 0);
            EnumThreadWindows(threadId, closeDialog, 0);
        });
        if (!stop.stopRequested()) {
            // Topmost, and asking for the foreground: Windows keeps a background program's
            // new window behind the one the user works in, and while the main window sits
            // in the notification area there is no taskbar button to flash. With no owner
            // the system-modal box disables no window.
            win32::ShowMessageBox(nullptr, text, caption,
                                  MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_SETFOREGROUND);
        }
    }
    // With the registration gone no further quit can come.
    if (stop.stopRequested()) removeQuit();
}

}  // namespace pagorin::adapters
