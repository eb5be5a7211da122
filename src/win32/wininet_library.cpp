// Binding the Internet library's functions by name, all or none.
#include "win32/wininet_library.h"

namespace pagorin::win32 {
namespace {

// GetProcAddress hands back a generic function pointer; going through void(*)() is the
// one conversion between function pointer types the compiler accepts without comment.
template <typename Function>
void bind(Function& function, HMODULE module, const char* name) {
    function =
        reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

WinInetLibrary::WinInetLibrary(const wchar_t* libraryName)
    : module_(LoadLibraryExW(libraryName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    if (!module_) return;
    const HMODULE module = module_.get();
    WinInetFunctions found;
    bind(found.open, module, "InternetOpenA");
    bind(found.connect, module, "InternetConnectA");
    bind(found.openRequest, module, "HttpOpenRequestA");
    bind(found.setOption, module, "InternetSetOptionA");
    bind(found.sendRequest, module, "HttpSendRequestA");
    bind(found.readFile, module, "InternetReadFile");
    bind(found.queryDataAvailable, module, "InternetQueryDataAvailable");
    bind(found.queryInfo, module, "HttpQueryInfoA");
    bind(found.closeHandle, module, "InternetCloseHandle");
    const bool complete = found.open != nullptr && found.connect != nullptr &&
                          found.openRequest != nullptr && found.setOption != nullptr &&
                          found.sendRequest != nullptr && found.readFile != nullptr &&
                          found.queryDataAvailable != nullptr && found.queryInfo != nullptr &&
                          found.closeHandle != nullptr;
    if (complete) {
        functions_ = found;
    } else {
        module_.reset();
    }
}

}  // namespace pagorin::win32
