// Another program holding a file: opens it without sharing, sets the "ready" event and
// keeps it until the "release" event is set (or half a minute has passed).
// Usage: file_lock_holder PATH READY_EVENT RELEASE_EVENT
#include <windows.h>

#include <shellapi.h>

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 4) return 2;
    HANDLE file = CreateFileW(arguments[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, arguments[2]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, arguments[3]);
    if (ready == nullptr || release == nullptr) return 1;
    SetEvent(ready);
    WaitForSingleObject(release, 30000);
    CloseHandle(file);
    return 0;
}
