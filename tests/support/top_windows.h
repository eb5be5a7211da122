// Finding another part's windows from outside: the top-level windows of one process,
// their class and title. Shared by the Windows tests, the journeys and the benchmark
// drivers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pagorin::test_support {

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

inline std::wstring TitleOf(HWND window) {
    // GetWindowTextW reads another process's title without sending it a message.
    std::wstring title(1024, L'\0');
    const int length = GetWindowTextW(window, title.data(), static_cast<int>(title.size()));
    title.resize(static_cast<size_t>(length > 0 ? length : 0));
    return title;
}

// The top-level windows of process `processId` for which `matches` holds, in Z order.
inline std::vector<HWND> TopWindowsOf(DWORD processId, const std::function<bool(HWND)>& matches) {
    struct Search {
        DWORD process;
        const std::function<bool(HWND)>& matches;
        std::vector<HWND> found;
    } search{processId, matches, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && s->matches(window)) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first of them, or null.
inline HWND TopWindowOf(DWORD processId, const std::function<bool(HWND)>& matches) {
    const std::vector<HWND> found = TopWindowsOf(processId, matches);
    return found.empty() ? nullptr : found.front();
}

}  // namespace pagorin::test_support
