// The Internet calls in the request code's plain types, and the program's one shared
// instance of them.
#include "adapters/win32/wininet_api.h"

#include "threads/time_limited_call.h"

namespace pagorin::adapters {

WinInetApi::WinInetApi(const wchar_t* libraryName) : functions_(win32::BindWinInet(libraryName)) {}

fetch::InternetHandle WinInetApi::open(const char* agent, uint32_t accessType, const char* proxy,
                                       const char* proxyBypass, uint32_t flags) {
    if (!bound()) return nullptr;
    return call().open(agent, accessType, proxy, proxyBypass, flags);
}

fetch::InternetHandle WinInetApi::connect(fetch::InternetHandle internet, const char* serverName,
                                          uint16_t port, const char* userName, const char* password,
                                          uint32_t service, uint32_t flags, uintptr_t context) {
    if (!bound()) return nullptr;
    return call().connect(internet, serverName, port, userName, password, service, flags, context);
}

fetch::InternetHandle WinInetApi::openRequest(fetch::InternetHandle connection, const char* verb,
                                              const char* objectName, const char* version,
                                              const char* referrer, const char* const* acceptTypes,
                                              uint32_t flags, uintptr_t context) {
    if (!bound()) return nullptr;
    // The library only reads the list; its signature just lacks the second const.
    return call().openRequest(connection, verb, objectName, version, referrer,
                              const_cast<LPCSTR*>(acceptTypes), flags, context);
}

bool WinInetApi::setOption(fetch::InternetHandle handle, uint32_t option, const void* buffer,
                           uint32_t length) {
    if (!bound()) return false;
    return call().setOption(handle, option, const_cast<void*>(buffer), length) != FALSE;
}

bool WinInetApi::sendRequest(fetch::InternetHandle request, const char* headers,
                             uint32_t headersLength, const void* optional,
                             uint32_t optionalLength) {
    if (!bound()) return false;
    return call().sendRequest(request, headers, headersLength, const_cast<void*>(optional),
                              optionalLength) != FALSE;
}

bool WinInetApi::readFile(fetch::InternetHandle file, void* buffer, uint32_t bytesToRead,
                          uint32_t* bytesRead) {
    DWORD count = 0;
    const bool ok = bound() && call().readFile(file, buffer, bytesToRead, &count) != FALSE;
    if (bytesRead != nullptr) *bytesRead = count;
    return ok;
}

bool WinInetApi::queryDataAvailable(fetch::InternetHandle file, uint32_t* bytesAvailable) {
    DWORD count = 0;
    const bool ok = bound() && call().queryDataAvailable(file, &count, 0, 0) != FALSE;
    if (bytesAvailable != nullptr) *bytesAvailable = ok ? count : 0;
    return ok;
}

bool WinInetApi::queryInfo(fetch::InternetHandle request, uint32_t infoLevel, void* buffer,
                           uint32_t* length, uint32_t* index) {
    if (!bound()) return false;
    DWORD size = length != nullptr ? *length : 0;
    DWORD position = index != nullptr ? *index : 0;
    const bool ok =
        call().queryInfo(request, infoLevel, buffer, length != nullptr ? &size : nullptr,
                         index != nullptr ? &position : nullptr) != FALSE;
    if (length != nullptr) *length = size;
    if (index != nullptr) *index = position;
    return ok;
}

bool WinInetApi::closeHandle(fetch::InternetHandle handle) {
    if (!bound()) return false;
    return call().closeHandle(handle) != FALSE;
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
