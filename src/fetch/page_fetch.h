// The page fetch: an entry's address turned into the GBK page text that keyword
// matching searches. Nothing is ever reported; a failed fetch is an empty page.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "fetch/page_request.h"
#include "text/gbk_text.h"

namespace pagorin::fetch {

using text::Text;

// What the fetch is made of: the first request of the page, the program's own HTTP
// client for the UTF-8 refetch, and the UTF-8 to GBK conversion.
struct PageFetchServices {
    std::function<std::optional<PageResponse>(std::string_view address)> requestPage;
    std::function<Text(std::string_view address)> httpGetText;
    std::function<Text(std::string_view utf8)> utf8ToGbk;
};

// The page text of `address`: the body of the first request up to its first NUL byte,
// or the last UTF-8 refetch converted to GBK. A page is fetched up to four times a cycle:
//  1. the first request;
//  2. when the page declares UTF-8 (in its Content-Type header or in a <meta> element,
//     see below), again through the program's own client, converted from UTF-8: the
//     keywords are GBK and only match converted text;
//  3. when the converted text holds "charset=utf-8" (as a converted UTF-8 page usually
//     does, in its own declaration), once more;
//  4. when that text holds "的", the commonest Chinese character, a last time.
// Requests 3 and 4 are the program's long-standing behaviour, kept so that a watched
// server sees the requests it always has; each text replaces the one before, so what
// changes is only that the newest copy of the page is searched.
Text FetchPageText(std::string_view address, const PageFetchServices& services);

// True when the page declares UTF-8 in a <meta> element (charset="utf-8", 'utf-8' or
// unquoted, in a charset attribute or inside a content attribute, any letter case,
// blanks around "=") or begins with the UTF-8 byte-order mark.
bool DeclaresUtf8(std::string_view page);

// True when a Content-Type header value has the parameter charset=utf-8 or utf8 (any
// letter case, blanks around "=", the value quoted or not).
bool ContentTypeDeclaresUtf8(std::string_view contentType);

}  // namespace pagorin::fetch
