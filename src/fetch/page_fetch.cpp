// FetchPageText: the page request, and up to three UTF-8 refetches.
#include "fetch/page_fetch.h"

#include "text/gbk_texts.h"

namespace pagorin::fetch {
namespace {

constexpr std::string_view kCharsetUtf8 = "charset=utf-8";

}  // namespace

Text FetchPageText(std::string_view address, const PageFetchServices& services) {
    std::optional<PageResponse> response = services.requestPage(address);
    Text page = response ? text::TextFromBytes(std::move(response->body)) : Text();
    auto refetch = [&] { return services.utf8ToGbk(services.httpGetText(address)); };
    if ((response && ContentTypeDeclaresUtf8(response->contentType)) || DeclaresUtf8(page)) {
        page = refetch();
        if (text::ContainsText(page, kCharsetUtf8)) {
            page = refetch();
            if (text::ContainsText(page, kCommonCharacter)) page = refetch();
        }
    }
    return page;
}

}  // namespace pagorin::fetch
