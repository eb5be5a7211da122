// Recognising a page that declares itself UTF-8. Many pages say so in ways other than
// meta charset="utf-8"; missing them would leave every Chinese keyword unfound.
#include <string_view>

#include "fetch/page_fetch.h"

namespace pagorin::fetch {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kExactDeclaration = "meta charset=\"utf-8\"";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Whether some "charset" in `element` (the text of one meta element) is followed by
// "=", an optional quote and the name utf-8 standing on its own.
bool elementDeclaresUtf8(std::string_view element) {
    size_t from = 0;
    for (;;) {
        const int64_t found = text::FindText(element.substr(from), "charset");
        if (found < 0) return false;
        size_t pos = from + static_cast<size_t>(found - 1) + 7;
        from = pos;
        while (pos < element.size() && isBlank(element[pos])) ++pos;
        if (pos == element.size() || element[pos] != '=') continue;
        ++pos;
        while (pos < element.size() && isBlank(element[pos])) ++pos;
        if (pos < element.size() && (element[pos] == '"' || element[pos] == '\'')) ++pos;
        const std::string_view value = element.substr(pos);
        if (value.size() < 5 || text::FindText(value.substr(0, 5), "utf-8") != 1) continue;
        if (value.size() == 5) return true;
        const char next = value[5];
        if (next == '"' || next == '\'' || next == ';' || next == '/' || isBlank(next)) {
            return true;
        }
    }
}

}  // namespace

bool DeclaresUtf8(std::string_view page) {
    if (page.substr(0, kByteOrderMark.size()) == kByteOrderMark) return true;
    if (text::FindText(page, kExactDeclaration) != -1) return true;
    size_t from = 0;
    for (;;) {
        const int64_t found = text::FindText(page.substr(from), "<meta");
        if (found < 0) return false;
        const size_t start = from + static_cast<size_t>(found - 1) + 5;
        // The element ends at the next ">"; a "<" first means it was never closed. So
        // elements never overlap and a page full of "<meta" is still read once.
        size_t end = page.find_first_of("<>", start);
        if (end == std::string_view::npos) end = page.size();
        if (elementDeclaresUtf8(page.substr(start, end - start))) return true;
        from = start;
    }
}

}  // namespace pagorin::fetch
