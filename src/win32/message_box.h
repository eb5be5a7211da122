// A message box over GBK texts: the one place the program's texts meet MessageBoxW.
#pragma once

#include <windows.h>

#include <string_view>

namespace pagorin::win32 {

// MessageBoxW with `text` and `caption` converted from GBK; its answer.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags);

}  // namespace pagorin::win32
