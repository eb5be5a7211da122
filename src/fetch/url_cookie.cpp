// Address, header and cookie helpers; every marker is searched exactly and only where
// a character of the GBK text begins.
#include "fetch/url_cookie.h"

#include <algorithm>
#include <unordered_set>

#include "text/character_boundaries.h"
#include "text/fixed_texts.h"

namespace pagorin::fetch {
namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";
constexpr std::string_view kCookieSeparator = "; ";
constexpr std::string_view kDeleted = "=deleted";

const unsigned char* bytesOf(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

bool contains(std::string_view text, std::string_view marker) {
    return FindExact(text, marker) != -1;
}

// The last characters of `text` are `suffix`: the bytes agree and the first of them
// begins a character, so "\xB0/" does not end in "/".
bool endsWith(std::string_view text, std::string_view suffix) {
    if (!text.ends_with(suffix)) return false;
    return text::CharacterBoundaries(bytesOf(text)).begins(text.size() - suffix.size());
}

// Where the first of the ASCII `characters` stands at or after `start` (which begins a
// character), stepping over double-byte characters; npos when none does.
size_t findFirstOf(std::string_view text, std::string_view characters, size_t start) {
    for (size_t pos = start; pos < text.size();
         pos += text::isLeadByte(bytesOf(text)[pos]) ? 2 : 1) {
        if (characters.find(text[pos]) != std::string_view::npos) return pos;
    }
    return std::string_view::npos;
}

// Removes up to `count` bytes from the end.
void dropLast(Text& text, size_t count) {
    text.resize(text.size() - std::min(count, text.size()));
}

// Bytes from the 1-based `pos` to the end; `pos` may be one past the end.
Text from(std::string_view text, int64_t pos) {
    return Text(text.substr(static_cast<size_t>(pos - 1)));
}

// Every `marker` (not empty) that begins a character, replaced by `by`.
Text replaceAll(std::string_view text, std::string_view marker, std::string_view by) {
    Text result;
    int64_t pos = 1;
    for (int64_t found = FindExact(text, marker, pos); found != -1;
         found = FindExact(text, marker, pos)) {
        result.append(text.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(found - pos)));
        result.append(by);
        pos = found + static_cast<int64_t>(marker.size());
    }
    result.append(from(text, pos));
    return result;
}

// CapitalizeFirst on every piece between "-"s. SplitText would drop an empty last piece
// ("x-"), so the pieces are walked here instead and the name keeps its length, which is
// what lets the caller cut the rest of the line at that length.
Text capitalizePieces(std::string_view name) {
    Text result;
    int64_t pieceStart = 1;
    for (;;) {
        const auto begin = static_cast<size_t>(pieceStart - 1);
        const int64_t dash = FindExact(name, "-", pieceStart);
        if (dash == -1) return result + CapitalizeFirst(name.substr(begin));
        result.append(CapitalizeFirst(name.substr(begin, static_cast<size_t>(dash - pieceStart))));
        result.push_back('-');
        pieceStart = dash + 1;
    }
}

// Trimmed, with a space after a final ";" so that the last cookie is cut like the others.
void tidyCookieList(Text& list) {
    list = text::Trim(list);
    if (endsWith(list, ";")) list.push_back(' ');
}

}  // namespace

int64_t FindExact(std::string_view text, std::string_view marker, int64_t fromPos) {
    if (fromPos < 1) fromPos = 1;
    if (fromPos > static_cast<int64_t>(text.size())) return -1;
    if (marker.empty()) return fromPos;
    const auto start = static_cast<size_t>(fromPos - 1);
    text::CharacterBoundaries boundaries(bytesOf(text));
    boundaries.restartAt(start);
    for (size_t pos = text.find(marker, start); pos != std::string_view::npos;
         pos = text.find(marker, pos + 1)) {
        if (!boundaries.begins(pos)) continue;
        // Only a one-byte marker can match the last byte; a lone lead byte there is no
        // character, and no later candidate exists.
        if (pos + 1 == text.size() && text::isLeadByte(bytesOf(text)[pos])) return -1;
        return static_cast<int64_t>(pos) + 1;
    }
    return -1;
}

Text UrlHost(std::string_view address, bool keepPort) {
    Text lowered = text::ToLower(address);
    if (!endsWith(lowered, "/")) lowered.push_back('/');
    Text host;
    if (lowered.starts_with(kHttps)) {
        host = TextBetween(lowered, kHttps, "/");
    } else {
        if (!contains(lowered, kHttp)) lowered.insert(0, kHttp);
        host = TextBetween(lowered, kHttp, "/");
    }
    // A query or fragment may follow the host without a "/" in between.
    host.erase(std::min(findFirstOf(host, "?#", 0), host.size()));
    // A user name and password may come before the host, ended by "@"; the password may
    // hold "@" too, so the host follows the last one.
    size_t hostStart = 0;
    for (size_t at = findFirstOf(host, "@", 0); at != std::string_view::npos;
         at = findFirstOf(host, "@", at + 1)) {
        hostStart = at + 1;
    }
    host.erase(0, hostStart);
    if (keepPort || !contains(host, ":")) return host;
    return TextBefore(host, ":");
}

int64_t UrlPort(std::string_view address) {
    const Text host = UrlHost(address, true);
    // Walked forward so that only a ":" that is a character of its own counts.
    int64_t lastColon = -1;
    for (size_t pos = 0; pos < host.size(); pos += text::isLeadByte(bytesOf(host)[pos]) ? 2 : 1) {
        if (host[pos] == ':') lastColon = static_cast<int64_t>(pos) + 1;
    }
    if (lastColon == -1) return text::ToLower(address).starts_with("https") ? 443 : 80;
    return text::TextToInt(from(host, lastColon + 1));
}

bool IsHttpsAddress(std::string_view address) {
    return text::ToLower(address.substr(0, kHttps.size())) == kHttps;
}

std::optional<uint16_t> ConnectionPort(std::string_view address) {
    const int64_t port = UrlPort(address);
    if (port < 0 || port > 65535) return std::nullopt;
    return static_cast<uint16_t>(port);
}

Text UrlPath(std::string_view address) {
    // The host is looked for after the scheme, where UrlHost took it from: a host such as
    // "h" or "tp" must not be found inside "http://" itself.
    int64_t schemeEnd = 0;
    if (text::ToLower(address.substr(0, 8)) == "https://") {
        schemeEnd = 8;
    } else if (const int64_t http = text::FindText(address, "http://"); http != -1) {
        schemeEnd = http - 1 + 7;
    }
    int64_t hostPos =
        text::FindText(address.substr(static_cast<size_t>(schemeEnd)), UrlHost(address, false));
    if (hostPos != -1) hostPos += schemeEnd;
    // The path starts at the first "/", "?" or "#" after the host; a query or fragment
    // right after the host is given the root path. The host may also be found inside a
    // user name before it, which holds none of those three, so the same one is reached.
    const size_t end =
        findFirstOf(address, "/?#", hostPos == -1 ? 0 : static_cast<size_t>(hostPos - 1));
    if (end == std::string_view::npos) return "/";
    return (address[end] == '/' ? Text() : Text("/")) + Text(address.substr(end));
}

Text TextBetween(std::string_view text, std::string_view left, std::string_view right) {
    const Text leftMarker = replaceAll(left, kQuoteName, "\"");
    const Text rightMarker = replaceAll(right, kQuoteName, "\"");
    const int64_t leftPos = FindExact(text, leftMarker);
    if (leftPos == -1) return {};
    const int64_t begin = leftPos + static_cast<int64_t>(leftMarker.size());
    const int64_t end = FindExact(text, rightMarker, begin);
    if (end == -1) return {};
    return Text(text.substr(static_cast<size_t>(begin - 1), static_cast<size_t>(end - begin)));
}

Text TextBefore(std::string_view text, std::string_view marker) {
    const int64_t pos = FindExact(text, marker);
    if (pos == -1) return {};
    return Text(text.substr(0, static_cast<size_t>(pos - 1)));
}

Text ValueAfterColon(std::string_view text) {
    const int64_t colon = FindExact(text, ":");
    if (colon == -1) return {};
    return text::Trim(text.substr(static_cast<size_t>(colon)));
}

Text NormalizeHeaderNames(std::string_view lines) {
    Text result;
    text::ForEachPiece(lines, text::kLineBreak, [&result](std::string_view line) {
        const int64_t colon = FindExact(line, ":");
        if (colon == -1) return true;
        const auto nameSize = static_cast<size_t>(colon - 1);
        result.append(capitalizePieces(line.substr(0, nameSize)));
        result.append(line.substr(nameSize));
        result.append(text::kLineBreak);
        return true;
    });
    dropLast(result, text::kLineBreak.size());
    return result;
}

Text CapitalizeFirst(std::string_view text) {
    if (text.empty() || text::isLeadByte(bytesOf(text)[0])) return Text(text);
    return text::ToUpper(text.substr(0, 1)) + Text(text.substr(1));
}

Text CookieName(std::string_view cookie) {
    if (!contains(cookie, "=")) return text::Trim(cookie);
    return text::Trim(TextBefore(cookie, "="));
}

Text MergeCookies(Text& old, Text& fresh) {
    tidyCookieList(old);
    tidyCookieList(fresh);
    text::TextList merged = text::SplitText(fresh, kCookieSeparator);
    std::unordered_set<Text> names;
    for (const Text& cookie : merged) names.insert(CookieName(cookie));
    for (Text& cookie : text::SplitText(old, kCookieSeparator)) {
        // The first old cookie of a name not yet listed wins; later ones of it do not.
        if (names.insert(CookieName(cookie)).second) merged.push_back(std::move(cookie));
    }
    old.clear();
    for (const Text& cookie : merged) {
        if (endsWith(cookie, kDeleted)) continue;
        old.append(cookie);
        old.append(kCookieSeparator);
    }
    dropLast(old, kCookieSeparator.size());
    old = RemoveDuplicates(old, kCookieSeparator);
    return old;
}

Text RemoveDuplicates(std::string_view text, std::string_view separator) {
    if (separator.empty()) return Text(text);
    Text result;
    std::unordered_set<std::string_view> kept;
    text::ForEachPiece(text, separator, [&](std::string_view piece) {
        if (kept.insert(piece).second) {
            result.append(piece);
            result.append(separator);
        }
        return true;
    });
    dropLast(result, separator.size());
    return result;
}

}  // namespace pagorin::fetch
