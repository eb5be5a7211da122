// The program's own window messages, command and timer identifiers, in one place.
#pragma once

#include <windows.h>

namespace pagorin::ui {

// Posted by ItemList's observer (from any thread) so the list view repaints.
inline constexpr UINT WM_APP_LIST_CHANGED = WM_APP + 1;
// The notification-area icon's callback message.
inline constexpr UINT WM_APP_TRAY = WM_APP + 2;

inline constexpr UINT_PTR kElapsedTimerId = 1;  // 时钟1
inline constexpr UINT_PTR kTipsTimerId = 2;     // 时钟2

enum CommandId : int {
    kIdAdd = 1001,
    kIdModify,
    kIdDelete,
    kIdStart,
    kIdStop,
    kIdAbout,
    kIdElapsedBox,
    kIdItemList,
    kIdTipsLabel,
    kIdElapsedGroup,
    kIdTipsGroup,
    kIdImport = 2001,  // 右键菜单
    kIdExport,
    kIdShowMainWindow = 2101,  // 托盘菜单
    kIdExit,
};

}  // namespace pagorin::ui
