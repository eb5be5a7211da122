// Binding the Internet library's functions by name, all or none.
#include "win32/wininet_library.h"

#include "win32/system_library.h"

namespace pagorin::win32 {

WinInetFunctions BindWinInet(const wchar_t* libraryName) {
    const auto bind = [libraryName]<typename Function>(Function& function, const char* name) {
        function = SystemProcedure<Function>(libraryName, name);
        return function != nullptr;
    };
    WinInetFunctions found;
    const bool complete =
        bind(found.open, "InternetOpenA") && bind(found.connect, "InternetConnectA") &&
        bind(found.openRequest, "HttpOpenRequestA") &&
        bind(found.setOption, "InternetSetOptionA") &&
        bind(found.sendRequest, "HttpSendRequestA") && bind(found.readFile, "InternetReadFile") &&
        bind(found.queryDataAvailable, "InternetQueryDataAvailable") &&
        bind(found.queryInfo, "HttpQueryInfoA") && bind(found.closeHandle, "InternetCloseHandle");
    return complete ? found : WinInetFunctions{};
}

}  // namespace pagorin::win32
