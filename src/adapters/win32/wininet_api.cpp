// Binding the Internet calls by name from wininet.dll, and the program's one
// shared instance of it.
#include "adapters/win32/wininet_api.h"

#include "threads/time_limited_call.h"

namespace pagorin::adapters {
namespace {

// GetProcAddress hands back a generic function pointer; going through void(*)() is the
// one conversion between function pointer types the compiler accepts without comment.
template <typename Function>
Function procedure(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

WinInetApi::WinInetApi(const wchar_t* libraryName)
    : module_(LoadLibraryExW(libraryName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    if (!module_) return;
    const HMODULE module = module_.get();
    open_ = procedure<OpenFn>(module, "InternetOpenA");
    connect_ = procedure<ConnectFn>(module, "InternetConnectA");
    openRequest_ = procedure<OpenRequestFn>(module, "HttpOpenRequestA");
    setOption_ = procedure<SetOptionFn>(module, "InternetSetOptionA");
    sendRequest_ = procedure<SendRequestFn>(module, "HttpSendRequestA");
    readFile_ = procedure<ReadFileFn>(module, "InternetReadFile");
    queryDataAvailable_ = procedure<QueryDataAvailableFn>(module, "InternetQueryDataAvailable");
    queryInfo_ = procedure<QueryInfoFn>(module, "HttpQueryInfoA");
    closeHandle_ = procedure<CloseHandleFn>(module, "InternetCloseHandle");
    const bool complete = open_ != nullptr && connect_ != nullptr && openRequest_ != nullptr &&
                          setOption_ != nullptr && sendRequest_ != nullptr &&
                          readFile_ != nullptr && queryDataAvailable_ != nullptr &&
                          queryInfo_ != nullptr && closeHandle_ != nullptr;
    if (!complete) {
        open_ = nullptr;
        connect_ = nullptr;
        openRequest_ = nullptr;
        setOption_ = nullptr;
        sendRequest_ = nullptr;
        readFile_ = nullptr;
        queryDataAvailable_ = nullptr;
        queryInfo_ = nullptr;
        closeHandle_ = nullptr;
        module_.reset();
    }
}

fetch::InternetHandle WinInetApi::open(const char* agent, uint32_t accessType, const char* proxy,
                                       const char* proxyBypass, uint32_t flags) {
    if (!bound()) return nullptr;
    return open_(agent, accessType, proxy, proxyBypass, flags);
}

fetch::InternetHandle WinInetApi::connect(fetch::InternetHandle internet, const char* serverName,
                                          uint16_t port, const char* userName, const char* password,
                                          uint32_t service, uint32_t flags, uintptr_t context) {
    if (!bound()) return nullptr;
    return connect_(internet, serverName, port, userName, password, service, flags, context);
}

fetch::InternetHandle WinInetApi::openRequest(fetch::InternetHandle connection, const char* verb,
                                              const char* objectName, const char* version,
                                              const char* referrer, const char* const* acceptTypes,
                                              uint32_t flags, uintptr_t context) {
    if (!bound()) return nullptr;
    // The library only reads the list; its signature just lacks the second const.
    return openRequest_(connection, verb, objectName, version, referrer,
                        const_cast<LPCSTR*>(acceptTypes), flags, context);
}

bool WinInetApi::setOption(fetch::InternetHandle handle, uint32_t option, const void* buffer,
                           uint32_t length) {
    if (!bound()) return false;
    return setOption_(handle, option, const_cast<void*>(buffer), length) != FALSE;
}

bool WinInetApi::sendRequest(fetch::InternetHandle request, const char* headers,
                             uint32_t headersLength, const void* optional,
                             uint32_t optionalLength) {
    if (!bound()) return false;
    return sendRequest_(request, headers, headersLength, const_cast<void*>(optional),
                        optionalLength) != FALSE;
}

bool WinInetApi::readFile(fetch::InternetHandle file, void* buffer, uint32_t bytesToRead,
                          uint32_t* bytesRead) {
    DWORD count = 0;
    const bool ok = bound() && readFile_(file, buffer, bytesToRead, &count) != FALSE;
    if (bytesRead != nullptr) *bytesRead = count;
    return ok;
}

bool WinInetApi::queryDataAvailable(fetch::InternetHandle file, uint32_t* bytesAvailable) {
    DWORD count = 0;
    const bool ok = bound() && queryDataAvailable_(file, &count, 0, 0) != FALSE;
    if (bytesAvailable != nullptr) *bytesAvailable = ok ? count : 0;
    return ok;
}

bool WinInetApi::queryInfo(fetch::InternetHandle request, uint32_t infoLevel, void* buffer,
                           uint32_t* length, uint32_t* index) {
    if (!bound()) return false;
    DWORD size = length != nullptr ? *length : 0;
    DWORD position = index != nullptr ? *index : 0;
    const bool ok = queryInfo_(request, infoLevel, buffer, length != nullptr ? &size : nullptr,
                               index != nullptr ? &position : nullptr) != FALSE;
    if (length != nullptr) *length = size;
    if (index != nullptr) *index = position;
    return ok;
}

bool WinInetApi::closeHandle(fetch::InternetHandle handle) {
    if (!bound()) return false;
    return closeHandle_(handle) != FALSE;
}

// Loaded once, on first use, and kept for the life of the process: requests may still be
// running on worker threads while static objects are destroyed at exit.
fetch::InternetApi& SystemInternetApi() {
    static WinInetApi* const api = [] {
        auto* made = new WinInetApi(L"wininet.dll");
        // Three workers' requests and those given up that are still ending.
        const uint32_t connections = 4 * static_cast<uint32_t>(threads::kMaxCallThreads);
        made->setOption(nullptr, fetch::wininet::kOptionMaxConnsPerServer, &connections,
                        sizeof connections);
        made->setOption(nullptr, fetch::wininet::kOptionMaxConnsPer10Server, &connections,
                        sizeof connections);
        return made;
    }();
    return *api;
}

}  // namespace pagorin::adapters
