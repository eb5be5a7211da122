// Functions of the Windows libraries that are not among the system's known libraries,
// looked up on first use in the system folder only. A library looked up by bare name, or
// imported statically, is searched in the program's own folder first, where a file of
// that name (planted beside a program kept in Downloads) would run with the user's
// rights. Loading on first use also keeps the library's cost out of start-up.
#pragma once

#include <windows.h>

namespace pagorin::win32 {

// The function `name` of `library` ("winmm.dll"), or null when either is missing. The
// library, once loaded, stays to the end of the process.
FARPROC SystemLibraryProcedure(const wchar_t* library, const char* name);

// The same, as the function's own pointer type (`decltype(&waveOutOpen)`).
template <typename Function>
Function SystemProcedure(const wchar_t* library, const char* name) {
    // GetProcAddress hands back a generic function pointer; going through void(*)() is
    // the one conversion between function pointer types the compiler accepts quietly.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(SystemLibraryProcedure(library, name)));
}

}  // namespace pagorin::win32
