// The system Internet calls the request code needs, as an interface with plain types,
// so the request logic stays portable and can be driven by a recording fake.
// Each member mirrors one call of the Windows Internet library, argument for argument.
#pragma once

#include <cstdint>

namespace pagorin::fetch {

// An opaque handle of an opened Internet use, a connection or a request; null means failure.
using InternetHandle = void*;

// The numbers the calls take, with the values the Windows Internet library gives them.
namespace wininet {
// The user's own settings from Internet Options: proxy, automatic configuration.
inline constexpr uint32_t kOpenTypePreconfig = 0;
inline constexpr uint32_t kOpenTypeDirect = 1;
inline constexpr uint32_t kOpenTypeProxy = 3;
inline constexpr uint32_t kServiceHttp = 3;
inline constexpr uint32_t kFlagReload = 0x80000000;
inline constexpr uint32_t kFlagNeedFile = 0x10;
inline constexpr uint32_t kFlagNoCookies = 0x80000;
inline constexpr uint32_t kFlagNoAutoRedirect = 0x200000;
inline constexpr uint32_t kFlagSecure = 0x800000;
inline constexpr uint32_t kFlagIgnoreRedirectToHttps = 0x4000;
inline constexpr uint32_t kFlagNoCacheWrite = 0x04000000;
inline constexpr uint32_t kFlagNoUi = 0x200;
inline constexpr uint32_t kOptionConnectTimeout = 2;
inline constexpr uint32_t kOptionConnectRetries = 3;
inline constexpr uint32_t kOptionSendTimeout = 5;
inline constexpr uint32_t kOptionReceiveTimeout = 6;
inline constexpr uint32_t kOptionMaxConnsPerServer = 73;
inline constexpr uint32_t kOptionMaxConnsPer10Server = 74;
inline constexpr uint32_t kOptionSecurityFlags = 31;
// Unknown authority, wrong usage, bad dates and names, revocation: every certificate
// problem a watched page may have is let through.
inline constexpr uint32_t kIgnoreCertificateProblems = 0x1F380;
inline constexpr uint32_t kQueryContentType = 1;
inline constexpr uint32_t kQueryStatusCode = 19;
inline constexpr uint32_t kQueryLocation = 33;
inline constexpr uint32_t kQueryFlagNumber = 0x20000000;
inline constexpr uint32_t kQueryRawHeadersCrLf = 22;
}  // namespace wininet

class InternetApi {
  public:
    virtual ~InternetApi() = default;

    // InternetOpenA. `proxy` and `proxyBypass` may be null.
    virtual InternetHandle open(const char* agent, uint32_t accessType, const char* proxy,
                                const char* proxyBypass, uint32_t flags) = 0;
    // InternetConnectA. `userName` and `password` may be null.
    virtual InternetHandle connect(InternetHandle internet, const char* serverName, uint16_t port,
                                   const char* userName, const char* password, uint32_t service,
                                   uint32_t flags, uintptr_t context) = 0;
    // HttpOpenRequestA. `referrer` and `acceptTypes` may be null.
    virtual InternetHandle openRequest(InternetHandle connection, const char* verb,
                                       const char* objectName, const char* version,
                                       const char* referrer, const char* const* acceptTypes,
                                       uint32_t flags, uintptr_t context) = 0;
    // InternetSetOptionA.
    virtual bool setOption(InternetHandle handle, uint32_t option, const void* buffer,
                           uint32_t length) = 0;
    // HttpSendRequestA. `headers` and `optional` may be null with a zero length.
    virtual bool sendRequest(InternetHandle request, const char* headers, uint32_t headersLength,
                             const void* optional, uint32_t optionalLength) = 0;
    // InternetReadFile: `*bytesRead` receives the count, 0 at the end of the body.
    virtual bool readFile(InternetHandle file, void* buffer, uint32_t bytesToRead,
                          uint32_t* bytesRead) = 0;
    // InternetQueryDataAvailable: waits for the next bytes of the body; `*bytesAvailable`
    // receives their count, 0 at its end.
    virtual bool queryDataAvailable(InternetHandle file, uint32_t* bytesAvailable) = 0;
    // HttpQueryInfoA: `*length` holds the buffer size on entry. `index` may be null.
    virtual bool queryInfo(InternetHandle request, uint32_t infoLevel, void* buffer,
                           uint32_t* length, uint32_t* index) = 0;
    // InternetCloseHandle.
    virtual bool closeHandle(InternetHandle handle) = 0;
};

}  // namespace pagorin::fetch
