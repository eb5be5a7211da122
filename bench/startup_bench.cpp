// Start-up time to a shown main window, and memory and CPU while three workers wait, of the
// real program beside a minimal window program, both started here as separate processes.
// Prints "startup PROGRAM_MS BASELINE_MS", then "idle-start" and, a minute later,
// "idle-end": the caller samples both processes' CPU time at those two lines, as the
// system's own accounting of another process is not to be trusted under every Wine. Then
// "memory PROGRAM_MB BASELINE_MB", taken at the end of the minute.
// Usage: startup_bench PAGORIN_EXE BASELINE_EXE
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "items/item_file.h"
#include "support/top_windows.h"
#include "ui/ui_messages.h"
#include "win32/code_page.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Started {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    double milliseconds = 0;
};

HWND visibleWindowOf(DWORD processId, const wchar_t* className) {
    return pagorin::test_support::TopWindowOf(processId, [&](HWND window) {
        return IsWindowVisible(window) && pagorin::test_support::ClassOf(window) == className;
    });
}

// Starts `exe` and waits until its window of `className` is visible.
Started start(const std::wstring& exe, const wchar_t* className) {
    Started started;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + exe + L"\"";
    const auto begin = Clock::now();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started.process)) {
        return started;
    }
    while (started.window == nullptr && Clock::now() - begin < std::chrono::seconds(60)) {
        started.window = visibleWindowOf(started.process.dwProcessId, className);
        if (started.window == nullptr) Sleep(2);
    }
    started.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    return started;
}

double workingSetMegabytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
    return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

void end(Started& started) {
    TerminateProcess(started.process.hProcess, 0);
    WaitForSingleObject(started.process.hProcess, 10000);
    CloseHandle(started.process.hThread);
    CloseHandle(started.process.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace pagorin;
    if (argc < 3) return 2;
    const std::wstring program = argv[1];
    const std::wstring baseline = argv[2];
    // Three entries in the item file beside the program, so an import gives the workers something
    // to do: pages on a closed port, refreshed every 10 minutes, so all three sit waiting.
    std::string file;
    for (int i = 1; i <= 3; ++i) {
        file += std::to_string(i) +
                "\xA3\xAC\xCD\xA3\xD6\xB9\xA3\xAC"
                "http://127.0.0.1:9/" +
                std::to_string(i) +
                "\xA3\xAC"
                "k\xA3\xAC\xB7\xF1\xA3\xAC"
                "10\xA3\xAC\xBB\xF2\xA3\xAC\xB7\xF1\r\n";
    }
    const std::wstring itemFile =
        program.substr(0, program.find_last_of(L"\\/") + 1) + win32::ToWide(items::kItemFileName);
    HANDLE handle = CreateFileW(itemFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(handle, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(handle);

    double bestProgram = 1e300, bestBaseline = 1e300;
    for (int run = 0; run < 5; ++run) {
        Started base = start(baseline, L"MinimalBaselineWindow");
        if (base.window == nullptr) {
            std::fprintf(stderr, "the baseline window did not show (error %lu)\n", GetLastError());
            return 1;
        }
        bestBaseline = std::min(bestBaseline, base.milliseconds);
        end(base);
        Started real = start(program, L"PagorinMainWindow");
        if (real.window == nullptr) {
            std::fprintf(stderr, "the program's window did not show (error %lu)\n", GetLastError());
            return 1;
        }
        bestProgram = std::min(bestProgram, real.milliseconds);
        end(real);
    }
    std::printf("startup %.1f %.1f\n", bestProgram, bestBaseline);

    // Both running side by side, the real one with its three workers waiting.
    Started base = start(baseline, L"MinimalBaselineWindow");
    Started real = start(program, L"PagorinMainWindow");
    if (base.window == nullptr || real.window == nullptr) return 1;
    PostMessageW(real.window, WM_COMMAND, ui::kIdImport, 0);
    PostMessageW(real.window, WM_COMMAND, ui::kIdStart, 0);
    // Past the last worker's 20 s start delay and the 10 s its request thread lingers:
    // all three wait, with nothing else running.
    Sleep(40000);
    // Three rows and no message box, or the figures below would be of a refusal.
    const HWND list = FindWindowExW(real.window, nullptr, L"SysListView32", nullptr);
    const bool refused =
        !pagorin::test_support::TopWindowsOf(real.process.dwProcessId, [](HWND w) {
             return IsWindowVisible(w) && pagorin::test_support::ClassOf(w) == L"#32770";
         }).empty();
    if (list == nullptr || SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) != 3 || refused) {
        std::fprintf(stderr, "the program did not import and start its three entries\n");
        end(real);
        end(base);
        DeleteFileW(itemFile.c_str());
        return 1;
    }
    std::printf("idle-start\n");
    std::fflush(stdout);
    Sleep(60000);
    std::printf("idle-end\n");
    std::fflush(stdout);
    const double programMemory = workingSetMegabytes(real.process.hProcess);
    const double baselineMemory = workingSetMegabytes(base.process.hProcess);
    end(real);
    end(base);
    std::printf("memory %.1f %.1f\n", programMemory, baselineMemory);
    DeleteFileW(itemFile.c_str());
    return 0;
}
