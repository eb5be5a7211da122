// RequestPage over the system Internet calls: one Internet handle, one URL request.
#include "fetch/page_request.h"

#include <algorithm>

#include "fetch/http_request.h"
#include "fetch/url_cookie.h"
#include "text/gbk_text.h"

namespace pagorin::fetch {
namespace {

// Redirects are followed here, not inside the library, so that a loop of them ends
// and each hop is a piece the caller's give-up is checked between.
constexpr uint32_t kPageFlags = wininet::kFlagReload | wininet::kFlagNoCacheWrite |
                                wininet::kFlagNoUi | wininet::kFlagNoAutoRedirect;
// As many as a browser follows before it calls the page broken.
constexpr int kMaxRedirects = 20;
// Longer header values are not read: the charset parameter is near the start of the
// Content-Type, and an address of kilobytes is no address.
constexpr uint32_t kHeaderValueBufferSize = 8192;

bool isWebAddress(std::string_view address) {
    return IsHttpsAddress(address) || text::ToLower(address.substr(0, 7)) == "http://";
}

// One response header's value; empty when there is none.
std::string headerValue(InternetApi& api, InternetHandle request, uint32_t query) {
    std::string buffer(kHeaderValueBufferSize, '\0');
    uint32_t length = kHeaderValueBufferSize;
    if (!api.queryInfo(request, query, buffer.data(), &length, nullptr)) return {};
    buffer.resize(std::min(length, kHeaderValueBufferSize));
    return text::TextFromBytes(std::move(buffer));
}

bool isRedirect(InternetApi& api, InternetHandle request) {
    uint32_t status = 0;
    uint32_t length = sizeof status;
    if (!api.queryInfo(request, wininet::kQueryStatusCode | wininet::kQueryFlagNumber, &status,
                       &length, nullptr)) {
        return false;
    }
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

std::string ResolveLocation(std::string_view base, std::string_view location) {
    if (isWebAddress(location)) return std::string(location);
    const size_t schemeEnd = base.find("://");
    if (schemeEnd == std::string_view::npos) return std::string(location);
    if (location.starts_with("//")) {
        return std::string(base.substr(0, schemeEnd + 1)) + std::string(location);
    }
    const size_t authorityEnd = std::min(base.find_first_of("/?#", schemeEnd + 3), base.size());
    const std::string_view origin = base.substr(0, authorityEnd);
    if (location.starts_with("/")) return std::string(origin) + std::string(location);
    const std::string_view path =
        base.substr(authorityEnd, base.find_first_of("?#", authorityEnd) - authorityEnd);
    if (location.empty() || location.starts_with("?") || location.starts_with("#")) {
        return std::string(origin) + std::string(path.empty() ? "/" : path) + std::string(location);
    }
    const size_t lastSlash = path.rfind('/');
    const std::string_view folder =
        lastSlash == std::string_view::npos ? "/" : path.substr(0, lastSlash + 1);
    return std::string(origin) + std::string(folder) + std::string(location);
}

std::optional<PageResponse> RequestPage(InternetApi& api, std::string_view address,
                                        const RequestBounds& bounds) {
    const auto started = std::chrono::steady_clock::now();
    // "file:", "javascript:", an address without a scheme: not a page of the web.
    if (!isWebAddress(address)) return std::nullopt;
    const OwnedHandle internet(
        api, api.open(kDefaultUserAgent, wininet::kOpenTypePreconfig, nullptr, nullptr, 0));
    if (!internet) return std::nullopt;
    // The fragment belongs to the page in a browser, never to the request.
    std::string url(address.substr(0, address.find('#')));
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        const std::optional<uint16_t> port = ConnectionPort(url);
        if (!port) return std::nullopt;
        const OwnedHandle connection(
            api, api.connect(internet.get(), UrlHost(url, false).c_str(), *port, nullptr, nullptr,
                             wininet::kServiceHttp, 0, 0));
        if (!connection) return std::nullopt;
        const uint32_t flags = kPageFlags | (IsHttpsAddress(url) ? wininet::kFlagSecure : 0);
        const OwnedHandle request(
            api, api.openRequest(connection.get(), "GET", UrlPath(url).c_str(), kHttpVersion,
                                 nullptr, nullptr, flags, 0));
        if (!request) return std::nullopt;
        // On the request itself: the library does not pass the Internet handle's
        // time-outs on to every request everywhere.
        SetTimeouts(api, request.get(), bounds.timeLimit);
        if (!api.sendRequest(request.get(), kFreshCopyHeaders.data(),
                             static_cast<uint32_t>(kFreshCopyHeaders.size()), nullptr, 0)) {
            return std::nullopt;
        }
        if (isRedirect(api, request.get())) {
            const std::string location = headerValue(api, request.get(), wininet::kQueryLocation);
            if (!location.empty()) {
                if (bounds.over(started)) return std::nullopt;
                url = ResolveLocation(url, location.substr(0, location.find('#')));
                continue;
            }
        }
        PageResponse response;
        response.contentType = headerValue(api, request.get(), wininet::kQueryContentType);
        response.body = ReadResponseBody(api, request.get(), bounds, started);
        if (bounds.givenUpNow()) return std::nullopt;
        return response;
    }
    return std::nullopt;  // a loop of redirects
}

}  // namespace pagorin::fetch
