// wininet.dll bound by name at run time, so the program links only the system's core
// libraries. Only the functions the program calls, in their A forms, with the library's
// own signatures written out here because its header is not used.
#pragma once

#include <windows.h>

namespace pagorin::win32 {

struct WinInetFunctions {
    using OpenFn = void*(WINAPI*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
    using ConnectFn = void*(WINAPI*)(void*, LPCSTR, WORD, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
    using OpenRequestFn = void*(WINAPI*)(void*, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD,
                                         DWORD_PTR);
    using SetOptionFn = BOOL(WINAPI*)(void*, DWORD, LPVOID, DWORD);
    using SendRequestFn = BOOL(WINAPI*)(void*, LPCSTR, DWORD, LPVOID, DWORD);
    using ReadFileFn = BOOL(WINAPI*)(void*, LPVOID, DWORD, LPDWORD);
    using QueryDataAvailableFn = BOOL(WINAPI*)(void*, LPDWORD, DWORD, DWORD_PTR);
    using QueryInfoFn = BOOL(WINAPI*)(void*, DWORD, LPVOID, LPDWORD, LPDWORD);
    using CloseHandleFn = BOOL(WINAPI*)(void*);

    OpenFn open = nullptr;                              // InternetOpenA
    ConnectFn connect = nullptr;                        // InternetConnectA
    OpenRequestFn openRequest = nullptr;                // HttpOpenRequestA
    SetOptionFn setOption = nullptr;                    // InternetSetOptionA
    SendRequestFn sendRequest = nullptr;                // HttpSendRequestA
    ReadFileFn readFile = nullptr;                      // InternetReadFile
    QueryDataAvailableFn queryDataAvailable = nullptr;  // InternetQueryDataAvailable
    QueryInfoFn queryInfo = nullptr;                    // HttpQueryInfoA
    CloseHandleFn closeHandle = nullptr;                // InternetCloseHandle
};

// Looked up in the system folder only (a file of that name planted beside the program is
// never loaded), once, and kept to the end of the process. Every function is null when the
// library or any one of them cannot be found: a half-bound library is no library.
WinInetFunctions BindWinInet(const wchar_t* libraryName);

}  // namespace pagorin::win32
