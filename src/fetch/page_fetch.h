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

// The platform's automation HTTP object, one per worker, used only on the thread that
// made it. The worker keeps it across cycles and destroys it when it ends.
class HttpObject {
public:
    virtual ~HttpObject() = default;

    // Prepares the calling thread for the object and makes a new instance that takes
    // the previous one's place. When that fails the previous instance, if any, stays.
    virtual void renew() = 0;

    // A synchronous GET of `address` through the current instance, without headers of
    // our own; the body whatever the status. Nothing when there is no instance or a
    // call fails.
    virtual std::optional<std::string> get(std::string_view address) = 0;
};

// What the fetch needs besides the HTTP object: the program's own HTTP client for
// the UTF-8 refetch, and the UTF-8 to GBK conversion.
struct PageFetchServices {
    std::function<Text(std::string_view address)> httpGetText;
    std::function<Text(std::string_view utf8)> utf8ToGbk;
};

// The page text of `address`: the body up to its first NUL byte. A page that declares
// itself UTF-8 is fetched again through the program's own client and converted, and
// again while the converted text keeps looking like an undecoded UTF-8 page.
Text FetchPageText(std::string_view address, HttpObject& http, const PageFetchServices& services);

// True when the page declares UTF-8 in a <meta> element (charset="utf-8", 'utf-8' or
// unquoted, in a charset attribute or inside a content attribute, any letter case,
// blanks around "=") or begins with the UTF-8 byte-order mark.
bool DeclaresUtf8(std::string_view page);

}  // namespace pagorin::fetch
