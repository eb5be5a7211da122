// The request code's Internet calls on the system Internet library.
#pragma once

#include <windows.h>

#include "fetch/internet_api.h"
#include "win32/wininet_library.h"

namespace pagorin::adapters {

// Every call fails (open returns null, the others FALSE) when the library or any one of
// its functions cannot be found: a half-bound library is no library.
class WinInetApi final : public fetch::InternetApi {
  public:
    // The library is looked for in the system folder only: a file of that name planted
    // beside the program is never loaded.
    explicit WinInetApi(const wchar_t* libraryName);

    // True when the library and all its functions were found.
    bool bound() const { return call().closeHandle != nullptr; }

    fetch::InternetHandle open(const char* agent, uint32_t accessType, const char* proxy,
                               const char* proxyBypass, uint32_t flags) override;
    fetch::InternetHandle connect(fetch::InternetHandle internet, const char* serverName,
                                  uint16_t port, const char* userName, const char* password,
                                  uint32_t service, uint32_t flags, uintptr_t context) override;
    fetch::InternetHandle openRequest(fetch::InternetHandle connection, const char* verb,
                                      const char* objectName, const char* version,
                                      const char* referrer, const char* const* acceptTypes,
                                      uint32_t flags, uintptr_t context) override;
    bool setOption(fetch::InternetHandle handle, uint32_t option, const void* buffer,
                   uint32_t length) override;
    bool sendRequest(fetch::InternetHandle request, const char* headers, uint32_t headersLength,
                     const void* optional, uint32_t optionalLength) override;
    bool readFile(fetch::InternetHandle file, void* buffer, uint32_t bytesToRead,
                  uint32_t* bytesRead) override;
    bool queryDataAvailable(fetch::InternetHandle file, uint32_t* bytesAvailable) override;
    bool queryInfo(fetch::InternetHandle request, uint32_t infoLevel, void* buffer,
                   uint32_t* length, uint32_t* index) override;
    bool closeHandle(fetch::InternetHandle handle) override;

  private:
    const win32::WinInetFunctions& call() const { return functions_; }

    const win32::WinInetFunctions functions_;
};

// The process's one binding to "wininet.dll", made on first use and kept to the end. It
// lets the process keep more connections to one server open than the library's default
// of a few, so that requests left hanging on a server never hold up another entry's.
fetch::InternetApi& SystemInternetApi();

}  // namespace pagorin::adapters
