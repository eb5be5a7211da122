// The page fetch: an entry's address turned into the GBK page text that keyword
// matching searches. Nothing is ever reported; a failed fetch is an empty page.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/gbk_text.h"

namespace pagorin::fetch {

using text::Text;

// One answer of the platform's automation HTTP object.
struct HttpObjectResponse {
    std::string body;         // the bytes, whatever the status
    std::string contentType;  // the "Content-Type" response header; empty when there is none
};

// The platform's automation HTTP object, one per worker.
class HttpObject {
  public:
    virtual ~HttpObject() = default;

    // A GET of `address` through a new instance of the object, asking for a fresh copy
    // rather than a cached one. Nothing when the request failed or was given up.
    virtual std::optional<HttpObjectResponse> get(std::string_view address) = 0;
};

// What the fetch needs besides the HTTP object: the program's own HTTP client for
// the UTF-8 refetch, and the UTF-8 to GBK conversion.
struct PageFetchServices {
    std::function<Text(std::string_view address)> httpGetText;
    std::function<Text(std::string_view utf8)> utf8ToGbk;
};

// The page text of `address`: the body up to its first NUL byte. A page that declares
// itself UTF-8 (in its Content-Type header or on the page) is fetched again through the program's
// own client and converted, and again while the converted text keeps looking like an undecoded
// UTF-8 page.
Text FetchPageText(std::string_view address, HttpObject& http, const PageFetchServices& services);

// True when the page declares UTF-8 in a <meta> element (charset="utf-8", 'utf-8' or
// unquoted, in a charset attribute or inside a content attribute, any letter case,
// blanks around "=") or begins with the UTF-8 byte-order mark.
bool DeclaresUtf8(std::string_view page);

// True when a Content-Type header value has the parameter charset=utf-8 or utf8 (any
// letter case, blanks around "=", the value quoted or not).
bool ContentTypeDeclaresUtf8(std::string_view contentType);

}  // namespace pagorin::fetch
