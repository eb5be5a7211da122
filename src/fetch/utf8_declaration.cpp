// Recognising a page that declares itself UTF-8. Many pages say so in ways other than
// meta charset="utf-8", or only in the server's Content-Type header; missing them would
// leave every Chinese keyword unfound.
#include <string_view>

#include "fetch/page_fetch.h"

namespace pagorin::fetch {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kExactDeclaration = "meta charset=\"utf-8\"";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

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

// HTTP and HTML blanks, tabs and line breaks among them; text::Trim takes only the
// spaces a user types.
std::string_view trimBlanks(std::string_view value) {
    while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
    while (!value.empty() && isBlank(value.back())) value.remove_suffix(1);
    return value;
}

bool equalsIgnoringCase(std::string_view value, std::string_view lower) {
    return value.size() == lower.size() && text::FindText(value, lower) == 1;
}

}  // namespace

bool ContentTypeDeclaresUtf8(std::string_view contentType) {
    // The media type comes first; every parameter after it follows a ";".
    size_t next = contentType.find(';');
    while (next != std::string_view::npos) {
        const size_t start = next + 1;
        next = contentType.find(';', start);
        const std::string_view parameter = contentType.substr(
            start, next == std::string_view::npos ? std::string_view::npos : next - start);
        const size_t equals = parameter.find('=');
        if (equals == std::string_view::npos ||
            !equalsIgnoringCase(trimBlanks(parameter.substr(0, equals)), "charset")) {
            continue;
        }
        std::string_view value = trimBlanks(parameter.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = trimBlanks(value.substr(1, value.size() - 2));
        }
        return equalsIgnoringCase(value, "utf-8") || equalsIgnoringCase(value, "utf8");
    }
    return false;
}

bool DeclaresUtf8(std::string_view page) {
    if (page.substr(0, kByteOrderMark.size()) == kByteOrderMark) return true;
    if (text::ContainsText(page, kExactDeclaration)) return true;
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
