// Fuzzes the address, header and cookie helpers on arbitrary bytes: exact searches
// against a reference walk, and the shape of every result (substrings, prefixes,
// lengths kept, lists without repeats).
//
// Input: length bytes for a first and a second text, a start-position byte, those two
// texts, then a third text that takes the rest.
#include <cstdint>
#include <set>
#include <string>

#include "fetch/url_cookie.h"
#include "fuzz_support.h"
#include "text/fixed_texts.h"

namespace {

using namespace pagorin;
using namespace pagorin::fuzz;

constexpr std::string_view kCookieSeparator = "; ";

bool hasCharacterStartingMarker(std::string_view text, std::string_view marker) {
    return refFindExact(text, marker, 1) != -1;
}

// The last characters of `text` are `suffix`, the first of them beginning a character.
bool refEndsWith(std::string_view text, std::string_view suffix) {
    return text.ends_with(suffix) && refBeginsCharacter(text, text.size() - suffix.size());
}

void checkFindExact(std::string_view text, std::string_view marker, int64_t fromPos) {
    FUZZ_CHECK(fetch::FindExact(text, marker, fromPos) == refFindExact(text, marker, fromPos));
}

// The host as worded, spelled out with the reference search: lower case, a final "/"
// character added when missing, "http://" put in front when no scheme is named, the text
// after the scheme up to the next "/" character, "?" or "#", from after the last "@"
// character in it, and without a port up to its ":".
std::string refUrlHost(std::string_view address, bool keepPort) {
    std::string lowered = text::ToLower(address);
    if (!refEndsWith(lowered, "/")) lowered += '/';
    std::string_view scheme = "https://";
    if (!lowered.starts_with(scheme)) {
        scheme = "http://";
        if (!hasCharacterStartingMarker(lowered, scheme)) lowered.insert(0, scheme);
    }
    const int64_t begin = refFindExact(lowered, scheme, 1) + static_cast<int64_t>(scheme.size());
    const int64_t end = refFindExact(lowered, "/", begin);
    std::string host = end == -1 ? std::string()
                                 : lowered.substr(static_cast<size_t>(begin - 1),
                                                  static_cast<size_t>(end - begin));
    // A query or fragment may follow the host without a "/".
    for (std::string_view mark : {"?", "#"}) {
        const int64_t found = refFindExact(host, mark, 1);
        if (found != -1) host.resize(static_cast<size_t>(found - 1));
    }
    // A user name before the host ends at an "@"; the host follows the last one.
    for (int64_t at = refFindExact(host, "@", 1); at != -1; at = refFindExact(host, "@", 1)) {
        host.erase(0, static_cast<size_t>(at));
    }
    const int64_t colon = refFindExact(host, ":", 1);
    if (!keepPort && colon != -1) host.resize(static_cast<size_t>(colon - 1));
    return host;
}

void checkAddress(std::string_view address) {
    const std::string host = fetch::UrlHost(address, false);
    const std::string hostAndPort = fetch::UrlHost(address, true);
    FUZZ_CHECK(host == refUrlHost(address, false));
    FUZZ_CHECK(hostAndPort == refUrlHost(address, true));
    FUZZ_CHECK(hostAndPort.starts_with(host));
    FUZZ_CHECK(text::ToLower(hostAndPort) == hostAndPort);
    FUZZ_CHECK(!hasCharacterStartingMarker(hostAndPort, "/"));
    FUZZ_CHECK(!hasCharacterStartingMarker(host, ":"));
    FUZZ_CHECK(!hasCharacterStartingMarker(hostAndPort, "@"));

    const int64_t port = fetch::UrlPort(address);
    if (!hasCharacterStartingMarker(hostAndPort, ":")) {
        FUZZ_CHECK(port == (text::ToLower(address).starts_with("https") ? 443 : 80));
    }

    const std::string path = fetch::UrlPath(address);
    FUZZ_CHECK(path.starts_with("/"));
    // The path is the address's end, or "/" before a query or fragment right after the host.
    const bool rootBeforeMark = path.size() > 1 && (path[1] == '?' || path[1] == '#');
    FUZZ_CHECK(path == "/" || address.ends_with(rootBeforeMark ? path.substr(1) : path));
}

void checkBetweenAndBefore(std::string_view text, std::string_view left, std::string_view right) {
    const std::string between = fetch::TextBetween(text, left, right);
    FUZZ_CHECK(text.find(between) != std::string_view::npos);
    // "#引号" in a marker stands for a quotation mark; without "#" the markers stand
    // as they are and the result follows from the reference search alone.
    if (left.find('#') == std::string_view::npos && right.find('#') == std::string_view::npos) {
        std::string expected;
        const int64_t leftPos = refFindExact(text, left, 1);
        if (leftPos != -1) {
            const int64_t begin = leftPos + static_cast<int64_t>(left.size());
            const int64_t end = refFindExact(text, right, begin);
            if (end != -1) {
                expected =
                    text.substr(static_cast<size_t>(begin - 1), static_cast<size_t>(end - begin));
            }
        }
        FUZZ_CHECK(between == expected);
    }

    const std::string before = fetch::TextBefore(text, left);
    const int64_t at = refFindExact(text, left, 1);
    FUZZ_CHECK(before == (at == -1 ? std::string()
                                   : std::string(text.substr(0, static_cast<size_t>(at - 1)))));
}

void checkValueAfterColon(std::string_view line) {
    const std::string value = fetch::ValueAfterColon(line);
    const int64_t colon = refFindExact(line, ":", 1);
    FUZZ_CHECK(value ==
               (colon == -1 ? std::string() : text::Trim(line.substr(static_cast<size_t>(colon)))));
    FUZZ_CHECK(text::Trim(value) == value);
}

// A capital at the start of the name and after every "-" that is a character of its own.
std::string refCapitalizeName(std::string_view name) {
    std::string result(name);
    bool pieceStart = true;
    for (size_t start : refCharacterStarts(name)) {
        char& c = result[start];
        if (pieceStart && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        pieceStart = c == '-';
    }
    return result;
}

void checkHeaderNames(std::string_view lines) {
    const std::string normalized = fetch::NormalizeHeaderNames(lines);
    std::vector<std::string> expected;
    for (const std::string& line : refSplit(lines, text::kLineBreak)) {
        const int64_t colon = refFindExact(line, ":", 1);
        if (colon == -1) continue;
        const auto nameSize = static_cast<size_t>(colon - 1);
        expected.push_back(refCapitalizeName(line.substr(0, nameSize)) + line.substr(nameSize));
    }
    std::string joined;
    for (const std::string& line : expected) joined += line + "\r\n";
    joined.resize(joined.size() - std::min<size_t>(2, joined.size()));
    FUZZ_CHECK(normalized == joined);
    // Read back, it is the same lines, every one with a ":".
    const std::vector<std::string> readBack = refSplit(normalized, text::kLineBreak);
    FUZZ_CHECK(readBack == expected);
    for (const std::string& line : readBack) FUZZ_CHECK(hasCharacterStartingMarker(line, ":"));
}

void checkCapitalizeFirst(std::string_view text) {
    const std::string capitalized = fetch::CapitalizeFirst(text);
    FUZZ_CHECK(capitalized.size() == text.size());
    if (text.empty()) return;
    FUZZ_CHECK(capitalized.substr(1) == text.substr(1));
    const char first = text[0];
    FUZZ_CHECK(capitalized[0] == (first >= 'a' && first <= 'z' ? first - 32 : first));
}

void checkCookieName(std::string_view cookie) {
    const std::string name = fetch::CookieName(cookie);
    const int64_t equals = refFindExact(cookie, "=", 1);
    FUZZ_CHECK(
        name ==
        text::Trim(equals == -1 ? cookie : cookie.substr(0, static_cast<size_t>(equals - 1))));
}

std::vector<std::string> unique(const std::vector<std::string>& pieces) {
    std::vector<std::string> kept;
    std::set<std::string> seen;
    for (const std::string& piece : pieces) {
        if (seen.insert(piece).second) kept.push_back(piece);
    }
    return kept;
}

void checkRemoveDuplicates(std::string_view text, std::string_view separator) {
    const std::string result = fetch::RemoveDuplicates(text, separator);
    if (separator.empty()) {
        FUZZ_CHECK(result == text);
        return;
    }
    std::string expected;
    for (const std::string& piece : unique(refSplit(text, separator))) {
        expected += piece;
        expected += separator;
    }
    expected.resize(expected.size() - std::min(separator.size(), expected.size()));
    FUZZ_CHECK(result == expected);
    const std::vector<std::string> pieces = refSplit(result, separator);
    FUZZ_CHECK(unique(pieces) == pieces);
}

std::string tidied(std::string_view list) {
    std::string result = text::Trim(list);
    if (refEndsWith(result, ";")) result += ' ';
    return result;
}

void checkMergeCookies(std::string_view oldList, std::string_view freshList) {
    std::string old(oldList);
    std::string fresh(freshList);
    const std::string merged = fetch::MergeCookies(old, fresh);
    FUZZ_CHECK(merged == old);
    FUZZ_CHECK(fresh == tidied(freshList));

    const std::vector<std::string> pieces = refSplit(merged, kCookieSeparator);
    FUZZ_CHECK(unique(pieces) == pieces);
    // A list ending in a lone lead byte swallows the separator after it when joined, so
    // the cookies only stay apart when neither list ends so.
    const std::string tidiedOld = tidied(oldList);
    if (refEndsInLoneLeadByte(tidiedOld) || refEndsInLoneLeadByte(fresh)) return;

    const std::vector<std::string> freshPieces = refSplit(fresh, kCookieSeparator);
    const std::vector<std::string> oldPieces = refSplit(tidiedOld, kCookieSeparator);
    std::set<std::string> freshNames;
    for (const std::string& cookie : freshPieces) freshNames.insert(fetch::CookieName(cookie));
    const std::set<std::string> kept(pieces.begin(), pieces.end());
    for (const std::string& cookie : pieces) {
        FUZZ_CHECK(!refEndsWith(cookie, "=deleted"));
        const bool fromFresh =
            std::find(freshPieces.begin(), freshPieces.end(), cookie) != freshPieces.end();
        const bool fromOld =
            std::find(oldPieces.begin(), oldPieces.end(), cookie) != oldPieces.end();
        FUZZ_CHECK(fromFresh || fromOld);
        // An old cookie is only kept under a name no fresh cookie has.
        if (!fromFresh) FUZZ_CHECK(freshNames.count(fetch::CookieName(cookie)) == 0);
    }
    // Every fresh cookie stays, unless it deletes itself or is empty (an empty last
    // piece is no piece when the list is read again).
    for (const std::string& cookie : freshPieces) {
        FUZZ_CHECK(cookie.empty() || refEndsWith(cookie, "=deleted") || kept.count(cookie) == 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string_view> texts = SplitInput(data, size, 4);
    const std::string_view first = texts[0];
    const std::string_view second = texts[1];
    const std::string_view third = texts[3];
    // Signed, so positions below 1 and past the end are asked for too.
    const int64_t fromPos = texts[2].empty() ? 1 : static_cast<int8_t>(texts[2][0]);

    checkFindExact(third, first, fromPos);
    checkFindExact(third, second, fromPos);
    checkFindExact(third, first, 1);

    checkAddress(third);
    checkAddress(first);
    checkBetweenAndBefore(third, first, second);
    checkValueAfterColon(third);
    checkHeaderNames(third);
    checkCapitalizeFirst(third);
    checkCookieName(third);
    checkRemoveDuplicates(third, first);
    checkRemoveDuplicates(third, kCookieSeparator);
    checkMergeCookies(first, third);
    checkMergeCookies(third, second);
    return 0;
}
