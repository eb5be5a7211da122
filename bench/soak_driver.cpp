// A long run of the real program with three workers fetching without pause, sampling its
// handles, memory and threads once a minute, so that a leak shows as steady growth.
// Usage: soak_driver PAGORIN_EXE WORK_FOLDER URL1 URL2 URL3 MINUTES [ACCESS_LOG [REFRESH]]
// PAGORIN_EXE must lie in WORK_FOLDER: the program imports the item file beside itself.
// ACCESS_LOG, when given, is the web server's access log; its line count is the number of
// requests served so far ("-" for none). REFRESH is every entry's refresh cell (default "0").
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "items/item_file.h"
#include "support/top_windows.h"
#include "ui/ui_messages.h"
#include "win32/code_page.h"

namespace {

struct Sample {
    int minute = 0;
    long long handles = -1;  // -1: the call is not available here
    double workingSetMb = -1;
    double privateMb = -1;
    long long threads = -1;
    long long requests = -1;
};

HWND mainWindowOf(DWORD processId) {
    return pagorin::test_support::TopWindowOf(processId, [](HWND window) {
        return pagorin::test_support::ClassOf(window) == L"PagorinMainWindow";
    });
}

// Wine answers GetProcessHandleCount with 0 for every process; the system handle table,
// filtered by process, gives the real figure there (and on Windows as well).
long long handleCountFromSystemTable(DWORD processId) {
    struct Entry {
        USHORT processId;
        USHORT creatorBackTraceIndex;
        UCHAR objectTypeIndex;
        UCHAR attributes;
        USHORT handle;
        PVOID object;
        ULONG grantedAccess;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    constexpr ULONG kSystemHandleInformation = 16;
    std::vector<unsigned char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* table = reinterpret_cast<const Table*>(buffer.data());
            long long count = 0;
            for (ULONG i = 0; i < table->count; ++i) {
                count += table->entries[i].processId == (processId & 0xFFFF);
            }
            return count;
        }
        if (status != static_cast<LONG>(0xC0000004)) return -1;  // not "length mismatch"
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
    }
    return -1;
}

long long threadCount(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    long long count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId) ++count;
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snapshot);
    return count;
}

// Counts the log's lines; the server keeps appending, so it is opened shared.
long long lineCount(const std::wstring& path) {
    if (path.empty()) return -1;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    std::vector<char> buffer(1 << 16);
    long long lines = 0;
    DWORD got = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
           got > 0) {
        for (DWORD i = 0; i < got; ++i) lines += buffer[i] == '\n';
    }
    CloseHandle(file);
    return lines;
}

Sample sample(HANDLE process, DWORD processId, int minute, const std::wstring& log) {
    Sample s;
    s.minute = minute;
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles) && handles > 0) {
        s.handles = handles;
    } else {
        s.handles = handleCountFromSystemTable(processId);
        if (s.handles == 0) s.handles = -1;  // a live process always holds handles
    }
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        s.workingSetMb = static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
        // Wine leaves PrivateUsage at 0; PagefileUsage is the same commit charge.
        const SIZE_T privateBytes =
            counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
        if (privateBytes != 0) {
            s.privateMb = static_cast<double>(privateBytes) / (1024.0 * 1024.0);
        }
    }
    s.threads = threadCount(processId);
    s.requests = lineCount(log);
    return s;
}

std::string integer(long long value) {
    return value < 0 ? "n/a" : std::to_string(value);
}

std::string megabytes(double value) {
    if (value < 0) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

void print(const Sample& s) {
    std::printf("%7d %8s %10s %10s %8s %10s\n", s.minute, integer(s.handles).c_str(),
                megabytes(s.workingSetMb).c_str(), megabytes(s.privateMb).c_str(),
                integer(s.threads).c_str(), integer(s.requests).c_str());
    std::fflush(stdout);
}

void compareInteger(const char* name, long long first, long long last) {
    if (first < 0 || last < 0) {
        std::printf("%-14s %10s %10s %10s\n", name, integer(first).c_str(), integer(last).c_str(),
                    "n/a");
    } else {
        std::printf("%-14s %10lld %10lld %+10lld\n", name, first, last, last - first);
    }
}

void compareMegabytes(const char* name, double first, double last) {
    if (first < 0 || last < 0) {
        std::printf("%-14s %10s %10s %10s\n", name, megabytes(first).c_str(),
                    megabytes(last).c_str(), "n/a");
    } else {
        std::printf("%-14s %10.1f %10.1f %+10.1f\n", name, first, last, last - first);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace pagorin;
    if (argc < 7) {
        std::printf(
            "usage: soak_driver PAGORIN_EXE WORK_FOLDER URL1 URL2 URL3 MINUTES "
            "[ACCESS_LOG [REFRESH]]   (a URL of \"-\" leaves its entry out)\n");
        return 2;
    }
    const std::wstring program = argv[1];
    const std::wstring folder = argv[2];
    const int minutes = _wtoi(argv[6]);
    const std::wstring log = argc > 7 && std::wstring(argv[7]) != L"-" ? argv[7] : L"";
    const std::string refresh = argc > 8 ? win32::FromWide(argv[8]) : "0";
    if (minutes < 1) return 2;

    // Three entries, mode 或, keywords the pages never hold, refresh "0" unless told: each
    // worker fetches again at once, so the run exercises as many fetches as the machine allows.
    const char* const comma = "\xA3\xAC";  // "，" in GBK
    std::string file;
    for (int i = 1; i <= 3; ++i) {
        if (std::wstring(argv[2 + i]) == L"-") continue;                  // fewer workers
        file += std::to_string(i) + comma + "\xCD\xA3\xD6\xB9" + comma +  // 停止
                win32::FromWide(argv[2 + i]) + comma + "soak-absent-keyword|\xCE\xDE\xB4\xCB" +
                comma + "\xB7\xF1" + comma + refresh + comma + "\xBB\xF2" + comma + "\xB7\xF1\r\n";
    }
    const std::wstring itemFile = folder + L"\\" + win32::ToWide(items::kItemFileName);
    HANDLE handle = CreateFileW(itemFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        std::printf("soak: cannot write the item file\n");
        return 1;
    }
    DWORD written = 0;
    WriteFile(handle, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(handle);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        std::printf("soak: cannot start the program (error %lu)\n", GetLastError());
        return 1;
    }
    HWND window = nullptr;
    for (int i = 0; i < 3000 && window == nullptr; ++i) {
        window = mainWindowOf(process.dwProcessId);
        if (window == nullptr) Sleep(20);
    }
    if (window == nullptr) {
        std::printf("soak: no main window within 60 s\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    PostMessageW(window, WM_COMMAND, ui::kIdImport, 0);
    PostMessageW(window, WM_COMMAND, ui::kIdStart, 0);

    std::printf("%7s %8s %10s %10s %8s %10s\n", "minute", "handles", "ws MB", "private MB",
                "threads", "requests");
    Sample first, last;
    for (int minute = 1; minute <= minutes; ++minute) {
        // Waiting on the process rather than sleeping notices a crash at once.
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            std::printf("soak: the program ended by itself in minute %d (exit code 0x%lx)\n",
                        minute, code);
            return 1;
        }
        last = sample(process.hProcess, process.dwProcessId, minute, log);
        if (minute == 1) first = last;
        print(last);
    }

    std::printf("\n%-14s %10s %10s %10s\n", "", "minute 1",
                ("minute " + std::to_string(minutes)).c_str(), "growth");
    compareInteger("handles", first.handles, last.handles);
    compareMegabytes("working set MB", first.workingSetMb, last.workingSetMb);
    compareMegabytes("private MB", first.privateMb, last.privateMb);
    compareInteger("threads", first.threads, last.threads);
    compareInteger("requests", first.requests, last.requests);

    // The tray menu's exit command, as a user would end it.
    const auto asked = std::chrono::steady_clock::now();
    PostMessageW(window, WM_COMMAND, ui::kIdExit, 0);
    const bool ended = WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
    const double exitMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count();
    int status = 0;
    if (ended) {
        std::printf("\nexit: the program ended %.0f ms after the exit command\n", exitMs);
    } else {
        std::printf("\nexit: FAILED, the program still ran 10 s after the exit command\n");
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        status = 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileW(itemFile.c_str());
    return status;
}
