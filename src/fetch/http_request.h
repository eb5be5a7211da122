// The program's synchronous HTTP and HTTPS client: one request with the headers,
// cookies, body and proxy the caller chooses, over the system Internet calls.
#pragma once

#include <string>

#include "fetch/internet_api.h"
#include "fetch/internet_request.h"
#include "text/gbk_text.h"

namespace pagorin::fetch {

using text::Text;

// An optional parameter passed by value that remembers whether the caller gave it:
// `{}` is "not given", and a parameter not given reads as zero, false or empty.
template <typename T>
class Given {
  public:
    Given() = default;
    Given(T value) : value_(value), given_(true) {}  // implicit: a value passes as it is

    bool given() const { return given_; }
    T value() const { return value_; }
    T valueOr(T fallback) const { return given_ ? value_ : fallback; }

  private:
    T value_{};
    bool given_ = false;
};

// An optional parameter passed by reference: it points at the caller's own variable,
// which the request reads and, for outputs, really writes; or at nothing ("not given").
template <typename T>
class OptionalRef {
  public:
    OptionalRef() = default;
    OptionalRef(T& target) : target_(&target) {}  // implicit: a variable passes as it is

    bool given() const { return target_ != nullptr; }
    // The caller's variable; only when given().
    T& get() const { return *target_; }
    // The caller's value, or the empty value when not given.
    T value() const { return target_ != nullptr ? *target_ : T{}; }

  private:
    T* target_ = nullptr;
};

// Request methods by number; any number outside 0..7 means GET.
inline constexpr int kMethodGet = 0;
inline constexpr int kMethodPost = 1;
inline constexpr int kMethodHead = 2;
inline constexpr int kMethodPut = 3;
inline constexpr int kMethodOptions = 4;
inline constexpr int kMethodDelete = 5;
inline constexpr int kMethodTrace = 6;
inline constexpr int kMethodConnect = 7;

inline constexpr const char* kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
inline constexpr const char* kHttpVersion = "HTTP/1.1";
inline constexpr uint32_t kResponseHeaderBufferSize = 5000;

// Sends one request to `targetUrl` (with or without "http://" or "https://") and returns
// the response body; empty when the request could not be made. Parameters not given:
// method GET, no body, no cookies, no extra headers, redirects followed, the user's own
// connection settings (proxy and automatic configuration), and `mergeCookies`, `completeHeaders`
// and `normalizeHeaderNames` true.
//   bodyText / bodyBytes: the request body; bytes win. For a method other than GET an
//     empty `bodyBytes` variable receives the bytes of `bodyText`. GET sends no body.
//   sendCookies: "a=1; b=2" or a "Cookie: ..." line. Giving it at all, even empty, keeps
//     the system's own cookie store out of the request; with `mergeCookies` it also
//     receives the merged list.
//   receivedCookies: the cookies the response sets, "a=1; b=2", merged with
//     `sendCookies` when that was given and `mergeCookies` holds.
//   extraHeaders: header lines separated by CR LF; a "User-Agent:" line sets the agent.
//   responseHeaders: the raw response headers; 5000 spaces when they did not fit.
//   proxy: "host:port"; empty means the proxy the user set up, if any. `socksProxy`
//     marks it SOCKS.
//   completeHeaders: add Accept, Referer, Accept-Language (and Content-Type for POST)
//     where `extraHeaders` lacks them.
//   normalizeHeaderNames: write the names in `extraHeaders` with capital initials.
// The outputs are left untouched when the request fails before it is sent.
//   bounds: the request's time limits, and its caller's give-up; however the server
//     behaves, the request ends by itself.
Bytes HttpRequest(InternetApi& api, const Text& targetUrl, Given<int> method = {},
                  OptionalRef<const Text> bodyText = {}, OptionalRef<Text> sendCookies = {},
                  OptionalRef<Text> receivedCookies = {}, OptionalRef<const Text> extraHeaders = {},
                  OptionalRef<Text> responseHeaders = {}, Given<bool> noRedirect = {},
                  OptionalRef<Bytes> bodyBytes = {}, OptionalRef<const Text> proxy = {},
                  Given<bool> mergeCookies = {}, Given<bool> completeHeaders = {},
                  Given<bool> normalizeHeaderNames = {}, Given<bool> socksProxy = {},
                  const RequestBounds& bounds = {});

// GET `address` with nothing else given; the body up to its first zero byte. `bounds`
// sets its time limits and lets its caller give it up.
Text HttpGetText(InternetApi& api, const Text& address, const RequestBounds& bounds = {});

}  // namespace pagorin::fetch
