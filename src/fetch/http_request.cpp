// One HTTP exchange over the system Internet calls: the Internet, connection and request
// handles, the request headers the program completes, the body read in chunks, the raw
// response headers and the cookies they set.
#include "fetch/http_request.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <vector>

#include "fetch/url_cookie.h"

namespace pagorin::fetch {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kSetCookie = "Set-Cookie";
constexpr std::string_view kSetCookieMarker = "Set-Cookie:";
constexpr std::array<const char*, 8> kMethodNames = {"GET",     "POST",   "HEAD",  "PUT",
                                                     "OPTIONS", "DELETE", "TRACE", "CONNECT"};

// Null for the empty text, where the call wants "nothing" rather than "".
const char* orNull(const Text& text) {
    return text.empty() ? nullptr : text.c_str();
}

// The agent named by a "User-Agent:" line among the headers, else the program's own.
Text userAgentFrom(const Text& headers) {
    if (!text::ContainsText(headers, "User-Agent:")) return kDefaultUserAgent;
    Text agent = text::Trim(TextBetween(headers + Text(kCrLf), "User-Agent:", kCrLf));
    if (agent.empty()) agent = ValueAfterColon(headers);
    return agent;
}

void appendLine(Text& headers, std::string_view line) {
    headers.append(kCrLf);
    headers.append(line);
}

// Adds the headers a browser would send where the caller's lines lack them.
void completeStandardHeaders(Text& headers, const Text& address, bool isPost) {
    if (headers.empty()) headers = "Accept: */*";
    if (!text::ContainsText(headers, "Accept:")) appendLine(headers, "Accept: */*");
    if (!text::ContainsText(headers, "Referer:")) appendLine(headers, "Referer: " + address);
    if (!text::ContainsText(headers, "Accept-Language:")) {
        appendLine(headers, "Accept-Language: zh-cn");
    }
    if (isPost && !text::ContainsText(headers, "Content-Type:")) {
        appendLine(headers, "Content-Type: application/x-www-form-urlencoded");
    }
}

bool fitsCallCount(size_t size) {
    return size <= std::numeric_limits<uint32_t>::max();
}

// The raw header block up to its terminating zero; the buffer's spaces when it did not fit.
Text queryRawHeaders(InternetApi& api, InternetHandle request) {
    Text buffer(kResponseHeaderBufferSize, ' ');
    uint32_t length = kResponseHeaderBufferSize;
    if (!api.queryInfo(request, wininet::kQueryRawHeadersCrLf, buffer.data(), &length, nullptr)) {
        return Text(kResponseHeaderBufferSize, ' ');
    }
    return text::TextFromBytes(buffer);
}

// Every `marker`, in any letter case, taken out of `text`.
Text removeIgnoringCase(std::string_view text, std::string_view marker) {
    Text result;
    for (int64_t pos = text::FindText(text, marker); pos != -1;
         pos = text::FindText(text, marker)) {
        result.append(text.substr(0, static_cast<size_t>(pos - 1)));
        text.remove_prefix(static_cast<size_t>(pos - 1) + marker.size());
    }
    result.append(text);
    return result;
}

// "name=value" of every "Set-Cookie: " line, joined by "; ".
// The header lines as the server sent them: cut at every CR LF byte pair. Headers are
// bytes on the wire, not GBK text, so a value ending in a byte of 0x80 or more must not
// join its line to the next one.
std::vector<std::string_view> headerLines(std::string_view rawHeaders) {
    std::vector<std::string_view> lines;
    while (!rawHeaders.empty()) {
        const size_t end = rawHeaders.find(kCrLf);
        lines.push_back(rawHeaders.substr(0, end));
        if (end == std::string_view::npos) break;
        rawHeaders.remove_prefix(end + kCrLf.size());
    }
    return lines;
}

Text cookiesSetBy(std::string_view rawHeaders) {
    Text cookies;
    for (const std::string_view line : headerLines(rawHeaders)) {
        if (TextBefore(line, ": ") != kSetCookie) continue;
        Text cookie = FindExact(line, ";") != -1
                          ? text::Trim(TextBetween(line, kSetCookieMarker, ";"))
                          : text::Trim(removeIgnoringCase(line, kSetCookieMarker));
        // A lone CR or LF would end the Cookie line of a later request and start a header
        // of the server's choosing there.
        std::erase_if(cookie, [](char c) { return c == '\r' || c == '\n'; });
        cookies += cookie;
        cookies += "; ";
    }
    cookies.resize(cookies.size() - std::min<size_t>(2, cookies.size()));
    return cookies;
}

}  // namespace

Bytes HttpRequest(InternetApi& api, const Text& targetUrl, Given<int> method,
                  OptionalRef<const Text> bodyText, OptionalRef<Text> sendCookies,
                  OptionalRef<Text> receivedCookies, OptionalRef<const Text> extraHeaders,
                  OptionalRef<Text> responseHeaders, Given<bool> noRedirect,
                  OptionalRef<Bytes> bodyBytes, OptionalRef<const Text> proxy,
                  Given<bool> mergeCookies, Given<bool> completeHeaders,
                  Given<bool> normalizeHeaderNames, Given<bool> socksProxy,
                  const RequestBounds& bounds) {
    const auto started = std::chrono::steady_clock::now();
    Text headers = extraHeaders.value();
    if (normalizeHeaderNames.valueOr(true)) headers = NormalizeHeaderNames(headers);
    int methodNumber = method.value();
    if (methodNumber < kMethodGet || methodNumber > kMethodConnect) methodNumber = kMethodGet;
    const bool https = IsHttpsAddress(targetUrl);
    const Text agent = userAgentFrom(headers);

    Text localResponseHeaders;
    Text& rawHeaders = responseHeaders.given() ? responseHeaders.get() : localResponseHeaders;
    Bytes body;
    {
        const Text proxyAddress = proxy.value();
        // No proxy given: the one the user set up, so the page is reached as the first
        // fetch reached it.
        uint32_t accessType = wininet::kOpenTypePreconfig;
        Text proxyName;
        const char* proxyBypass = nullptr;
        if (!proxyAddress.empty()) {
            accessType = wininet::kOpenTypeProxy;
            proxyBypass = "";
            if (socksProxy.value()) {
                proxyName = "SOCKS=" + proxyAddress;
            } else if (https) {
                proxyName = proxyAddress;
            } else {
                proxyName = "http=" + proxyAddress;
            }
        }
        const OwnedHandle internet(
            api, api.open(agent.c_str(), accessType, orNull(proxyName), proxyBypass, 0));
        if (!internet) return {};

        const std::optional<uint16_t> port = ConnectionPort(targetUrl);
        if (!port) return {};
        const Text host = UrlHost(targetUrl, false);
        const OwnedHandle connection(api, api.connect(internet.get(), host.c_str(), *port, nullptr,
                                                      nullptr, wininet::kServiceHttp, 0, 0));
        if (!connection) return {};

        uint32_t flags = wininet::kFlagReload | wininet::kFlagNeedFile;
        if (sendCookies.given()) flags |= wininet::kFlagNoCookies;
        if (noRedirect.value()) flags |= wininet::kFlagNoAutoRedirect;
        flags |= https ? wininet::kFlagSecure : wininet::kFlagIgnoreRedirectToHttps;
        const Text path = UrlPath(targetUrl);
        const OwnedHandle request(
            api, api.openRequest(connection.get(), kMethodNames[static_cast<size_t>(methodNumber)],
                                 path.c_str(), kHttpVersion, nullptr, nullptr, flags, 0));
        if (!request) return {};

        const uint32_t securityFlags = wininet::kIgnoreCertificateProblems;
        api.setOption(request.get(), wininet::kOptionSecurityFlags, &securityFlags,
                      sizeof securityFlags);
        // The connection itself is made when the request is sent.
        SetTimeouts(api, request.get(), bounds.timeLimit);

        if (completeHeaders.valueOr(true)) {
            completeStandardHeaders(headers, targetUrl, methodNumber == kMethodPost);
        }
        const Text cookies = sendCookies.value();
        if (!cookies.empty()) {
            appendLine(headers,
                       FindExact(cookies, "Cookie:") != -1 ? cookies : "Cookie: " + cookies);
        }
        // The counts are 32 bits; what cannot be described whole is not sent cut short.
        if (!fitsCallCount(headers.size())) return {};
        const auto headersLength = static_cast<uint32_t>(headers.size());
        if (methodNumber == kMethodGet) {
            api.sendRequest(request.get(), orNull(headers), headersLength, nullptr, 0);
        } else {
            Bytes localBodyBytes;
            Bytes& payload = bodyBytes.given() ? bodyBytes.get() : localBodyBytes;
            if (payload.empty()) payload = bodyText.value();
            if (!fitsCallCount(payload.size())) return {};
            api.sendRequest(request.get(), orNull(headers), headersLength,
                            payload.empty() ? nullptr : payload.data(),
                            static_cast<uint32_t>(payload.size()));
        }

        body = ReadResponseBody(api, request.get(), bounds, started);
        rawHeaders = queryRawHeaders(api, request.get());
    }

    Text localReceivedCookies;
    Text& received = receivedCookies.given() ? receivedCookies.get() : localReceivedCookies;
    received = cookiesSetBy(rawHeaders);
    if (mergeCookies.valueOr(true) && sendCookies.given()) {
        received = MergeCookies(sendCookies.get(), received);
    }
    return body;
}

Text HttpGetText(InternetApi& api, const Text& address, const RequestBounds& bounds) {
    return text::TextFromBytes(
        HttpRequest(api, address, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, bounds));
}

}  // namespace pagorin::fetch
