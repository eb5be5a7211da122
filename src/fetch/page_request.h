// The first request of each cycle: a GET of the entry's address as the user's own
// browser settings would make it, always from the server, never from a cache.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fetch/internet_request.h"

namespace pagorin::fetch {

// One answer to a page request.
struct PageResponse {
    Bytes body;               // the bytes, whatever the status
    std::string contentType;  // the "Content-Type" response header; empty when there is none
};

// The headers that ask every cache on the way for a fresh copy: a date in the distant
// past makes any cached copy stale.
inline constexpr std::string_view kFreshCopyHeaders =
    "If-Modified-Since: Thu, 01 Jan 1970 00:00:00 GMT\r\n"
    "Cache-Control: no-cache\r\n"
    "Pragma: no-cache\r\n";

// A GET of `address` as stored (its fragment aside), through the user's connection
// settings (proxy and automatic configuration), cookie store and certificate checks,
// with the program's default user agent and no Referer; nothing is written to the cache. Up to 20
// redirects are followed (301, 302, 303, 307, 308 with a Location). Only http and https addresses
// are asked for. Nothing when the address cannot be opened, the request fails before an
// answer, the redirects do not end, or the caller gave it up.
std::optional<PageResponse> RequestPage(InternetApi& api, std::string_view address,
                                        const RequestBounds& bounds = {});

// Where a Location header sends a request for `base`: an absolute address as it is; a
// path, a query or a relative name against `base`.
std::string ResolveLocation(std::string_view base, std::string_view location);

}  // namespace pagorin::fetch
