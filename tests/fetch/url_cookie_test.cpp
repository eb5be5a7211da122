// Address, marker, header and cookie helpers: the exact character-aligned search
// against a plain reading of its rule, and each helper at its edges.
#include "fetch/url_cookie.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace pagorin::fetch {
namespace {

// 引号, whose "#" form stands for a double quotation mark in markers.
const std::string kQuoteName = "#\xD2\xFD\xBA\xC5";

// The rule read literally: walk the characters from `fromPos`, try each start.
int64_t referenceFind(const std::string& text, const std::string& marker, int64_t fromPos) {
    if (fromPos < 1) fromPos = 1;
    size_t pos = static_cast<size_t>(fromPos - 1);
    if (pos >= text.size()) return -1;
    if (marker.empty()) return fromPos;
    while (pos < text.size()) {
        bool lead = static_cast<unsigned char>(text[pos]) >= 0x80;
        if (lead && pos + 1 == text.size()) break;
        if (text.compare(pos, marker.size(), marker) == 0) return static_cast<int64_t>(pos) + 1;
        pos += lead ? 2 : 1;
    }
    return -1;
}

TEST(FindExact, ExactAndFromPosition) {
    EXPECT_EQ(FindExact("a:b:c", ":"), 2);
    EXPECT_EQ(FindExact("a:b:c", ":", 2), 2);
    EXPECT_EQ(FindExact("a:b:c", ":", 3), 4);
    EXPECT_EQ(FindExact("a:b:c", ":", 5), -1);
    EXPECT_EQ(FindExact("a:b:c", "c", 5), 5);
    EXPECT_EQ(FindExact("a:b:c", "c", 6), -1);
    EXPECT_EQ(FindExact("a:b:c", ":", 0), 2);
    EXPECT_EQ(FindExact("a:b:c", ":", -7), 2);
    EXPECT_EQ(FindExact("Http://", "http://"), -1);  // no case folding
    EXPECT_EQ(FindExact("ab", "abc"), -1);
    EXPECT_EQ(FindExact("", "a"), -1);
}

TEST(FindExact, EmptyMarkerIsFoundAtItsStartInsideTheText) {
    EXPECT_EQ(FindExact("abc", ""), 1);
    EXPECT_EQ(FindExact("abc", "", 3), 3);
    EXPECT_EQ(FindExact("abc", "", 4), -1);
    EXPECT_EQ(FindExact("", ""), -1);
}

TEST(FindExact, NeverStartsInsideADoubleByteCharacter) {
    // B0 3A, B0 2F, B0 3D, B0 3B: each one character whose second byte looks like a marker.
    EXPECT_EQ(FindExact("\xB0:", ":"), -1);
    EXPECT_EQ(FindExact("\xB0/x/", "/"), 4);
    EXPECT_EQ(FindExact("\xB0=\xB0=", "="), -1);
    EXPECT_EQ(FindExact("\xB0;; ", "; "), 3);
    EXPECT_EQ(FindExact("\xB0\xB0:", ":"), 3);  // two lead bytes make one character
    EXPECT_EQ(FindExact("\xD2\xFD\xBA\xC5", "\xFD\xBA"), -1);
    EXPECT_EQ(FindExact("x\xD2\xFD\xBA\xC5", "\xBA\xC5"), 4);
}

TEST(FindExact, FromPositionCountsAsACharacterStart) {
    EXPECT_EQ(FindExact("\xB0:", ":", 2), 2);
    EXPECT_EQ(FindExact("\xB0\xB0:", ":", 2), -1);  // from 2: B0 3A is one character
}

TEST(FindExact, LoneLeadByteAtTheEndIsNoCharacter) {
    EXPECT_EQ(FindExact("ab\xB0", "\xB0"), -1);
    EXPECT_EQ(FindExact("\xB0", "\xB0"), -1);
    EXPECT_EQ(FindExact("a\xB0\xB0", "\xB0"), 2);
    EXPECT_EQ(FindExact("a\xB0\xB0", "\xB0\xB0"), 2);
}

TEST(FindExact, AgreesWithTheRuleOnGeneratedTexts) {
    std::mt19937 random(20240611);
    const std::string alphabet = "a:/;=\xB0\xD2";
    auto make = [&](size_t maxSize) {
        std::string result(random() % (maxSize + 1), ' ');
        for (char& byte : result) byte = alphabet[random() % alphabet.size()];
        return result;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string text = make(40);
        const std::string marker = make(3);
        const auto fromPos = static_cast<int64_t>(random() % 44) - 1;
        ASSERT_EQ(FindExact(text, marker, fromPos), referenceFind(text, marker, fromPos))
            << testing::PrintToString(text) << " " << testing::PrintToString(marker) << " "
            << fromPos;
    }
}

TEST(UrlHostPortPath, SchemeAndPortInAnyCase) {
    const std::string address = "HTTP://Srv.Lan:8080/A";
    EXPECT_EQ(UrlHost(address, false), "srv.lan");
    EXPECT_EQ(UrlHost(address, true), "srv.lan:8080");
    EXPECT_EQ(UrlPort(address), 8080);
    EXPECT_EQ(UrlPath(address), "/A");
    // A user name and password before "@" are no part of the host, and their ":" is no port.
    const std::string withUser = "HTTP://User:PW@Srv.Lan:8080/A";
    EXPECT_EQ(UrlHost(withUser, false), "srv.lan");
    EXPECT_EQ(UrlHost(withUser, true), "srv.lan:8080");
    EXPECT_EQ(UrlPort(withUser), 8080);
    EXPECT_EQ(UrlPath(withUser), "/A");
}

TEST(UrlHostPortPath, NoSchemeMeansHttp) {
    EXPECT_EQ(UrlHost("srv.lan", false), "srv.lan");
    EXPECT_EQ(UrlHost("srv.lan", true), "srv.lan");
    EXPECT_EQ(UrlPort("srv.lan"), 80);
    EXPECT_EQ(UrlPath("srv.lan"), "/");
    EXPECT_EQ(UrlHost("Srv.Lan:81/x/y", true), "srv.lan:81");
    EXPECT_EQ(UrlPort("Srv.Lan:81/x/y"), 81);
    EXPECT_EQ(UrlPath("Srv.Lan:81/x/y"), "/x/y");
    EXPECT_EQ(UrlHost("User@Srv.Lan/x", true), "srv.lan");
    EXPECT_EQ(UrlPort("User@Srv.Lan/x"), 80);
    EXPECT_EQ(UrlPath("User@Srv.Lan/x"), "/x");
}

TEST(UrlHostPortPath, Https) {
    EXPECT_EQ(UrlHost("https://srv.lan", false), "srv.lan");
    EXPECT_EQ(UrlPort("https://srv.lan"), 443);
    EXPECT_EQ(UrlPort("HTTPS://srv.lan/x"), 443);
    EXPECT_EQ(UrlPort("https://srv.lan:8443/x"), 8443);
    EXPECT_EQ(UrlHost("https://srv.lan:/x", true), "srv.lan:");
    EXPECT_EQ(UrlHost("https://srv.lan:/x", false), "srv.lan");
    EXPECT_EQ(UrlPort("https://srv.lan:/x"), 0);
    // The default port looks only at the address's first five bytes.
    EXPECT_EQ(UrlPort("httpserver.lan"), 443);
    EXPECT_EQ(UrlPort("http://srv.lan"), 80);
    EXPECT_EQ(UrlHost("https://u@h:8443/x?q=@y", false), "h");
    EXPECT_EQ(UrlHost("https://u@h:8443/x?q=@y", true), "h:8443");
    EXPECT_EQ(UrlPort("https://u@h:8443/x?q=@y"), 8443);
    EXPECT_EQ(UrlPath("https://u@h:8443/x?q=@y"), "/x?q=@y");
    EXPECT_EQ(UrlPort("https://u:8080@h/x"), 443);
}

TEST(UrlHostPortPath, QueryOrFragmentRightAfterTheHost) {
    EXPECT_EQ(UrlHost("http://srv.lan?x=1", false), "srv.lan");
    EXPECT_EQ(UrlPath("http://srv.lan?x=1"), "/?x=1");
    EXPECT_EQ(UrlHost("http://example.com#top", false), "example.com");
    EXPECT_EQ(UrlPath("http://example.com#top"), "/#top");
    EXPECT_EQ(UrlHost("https://Srv.Lan:8443?q=a/b", true), "srv.lan:8443");
    EXPECT_EQ(UrlPort("https://Srv.Lan:8443?q=a/b"), 8443);
    EXPECT_EQ(UrlPath("https://Srv.Lan:8443?q=a/b"), "/?q=a/b");
    EXPECT_EQ(UrlHost("srv.lan?id=7", false), "srv.lan");
    EXPECT_EQ(UrlPath("http://Srv.Lan/Some/Path?Q=A/B#F"), "/Some/Path?Q=A/B#F");
    EXPECT_EQ(UrlPath("http://srv.lan/"), "/");
    // Hosts that also spell part of the scheme are found after it.
    EXPECT_EQ(UrlPath("http://h/page"), "/page");
    EXPECT_EQ(UrlPath("HTTPS://tp:8443/a?b"), "/a?b");
    EXPECT_EQ(UrlPath("https://s/x"), "/x");
    EXPECT_EQ(UrlPath("http://http/q"), "/q");
    // An "@" after the host belongs to the path, query or fragment; one before it ends
    // the user name even when a query follows the host directly.
    EXPECT_EQ(UrlHost("http://h/a@b", true), "h");
    EXPECT_EQ(UrlPath("http://h/a@b"), "/a@b");
    EXPECT_EQ(UrlHost("http://h?x=@y", true), "h");
    EXPECT_EQ(UrlPath("http://h?x=@y"), "/?x=@y");
    EXPECT_EQ(UrlHost("http://h#@y", true), "h");
    EXPECT_EQ(UrlHost("http://u:p@h?x=1", true), "h");
    EXPECT_EQ(UrlPort("http://u:p@h?x=1"), 80);
    EXPECT_EQ(UrlPath("http://u:p@h?x=1"), "/?x=1");
}

TEST(UrlHostPortPath, PortIsAfterTheLastColon) {
    EXPECT_EQ(UrlPort("http://a:1:2/"), 2);
    EXPECT_EQ(UrlHost("http://a:1:2/", false), "a");
    EXPECT_EQ(UrlPort("http://[::1]:8080/x"), 8080);
    EXPECT_EQ(UrlPort("http://srv.lan:\xA3\xB8\xA3\xB1/"), 81);  // full-width ８１
    EXPECT_EQ(UrlPort("http://srv.lan:x/"), 0);
    // Only the colons after the last "@" before the path can give the port.
    EXPECT_EQ(UrlHost("http://user:pw@host/p", false), "host");
    EXPECT_EQ(UrlHost("http://user:pw@host/p", true), "host");
    EXPECT_EQ(UrlPort("http://user:pw@host/p"), 80);
    EXPECT_EQ(UrlPath("http://user:pw@host/p"), "/p");
    EXPECT_EQ(UrlHost("http://a@b@c/", true), "c");
    EXPECT_EQ(UrlHost("http://a:1@b:2@c:3/", true), "c:3");
    EXPECT_EQ(UrlHost("http://a:1@b:2@c:3/", false), "c");
    EXPECT_EQ(UrlPort("http://a:1@b:2@c:3/"), 3);
    EXPECT_EQ(UrlPort("http://u:1@h:/"), 0);
    // Nothing after the "@": no host, and the path still starts after it.
    EXPECT_EQ(UrlHost("http://u:1@/x", true), "");
    EXPECT_EQ(UrlPort("http://u:1@/x"), 80);
    EXPECT_EQ(UrlPath("http://u:1@/x"), "/x");
}

TEST(UrlHostPortPath, HttpElsewhereInTheAddressIsNotPrefixed) {
    // The address names "http://" after "ftp", so the host is read from there.
    EXPECT_EQ(UrlHost("ftp://h/?u=http://other.lan/p", false), "other.lan");
    EXPECT_EQ(UrlHost("ftp://h/x", true), "ftp:");
    EXPECT_EQ(UrlHost("ftp://h/x", false), "ftp");
}

TEST(UrlHostPortPath, EmptyAddress) {
    EXPECT_EQ(UrlHost("", true), "");
    EXPECT_EQ(UrlPort(""), 80);
    EXPECT_EQ(UrlPath(""), "/");
}

TEST(UrlHostPortPath, DoubleByteCharactersHoldingColonOrSlash) {
    // B0 2F is one character, so the host runs on to the next "/" of its own.
    EXPECT_EQ(UrlHost("http://\xB0/.lan/p", false), "\xB0/.lan");
    EXPECT_EQ(UrlPath("http://\xB0/.lan/p"), "/p");
    // A host ending in B0 2F still ends in that character, not in "/".
    EXPECT_EQ(UrlHost("http://h\xB0/", true), "h\xB0/");
    EXPECT_EQ(UrlPath("http://h\xB0/"), "/");
    // B0 3F and B0 23 are no query or fragment marks.
    EXPECT_EQ(UrlHost("http://h\xB0?x\xB0#y", false), "h\xB0?x\xB0#y");
    EXPECT_EQ(UrlPath("http://h\xB0?x?q"), "/?q");
    // B0 3A is no port colon.
    EXPECT_EQ(UrlHost("http://h\xB0:8/", false), "h\xB0:8");
    EXPECT_EQ(UrlPort("http://h\xB0:8/"), 80);
    EXPECT_EQ(UrlPort("http://h\xB0::8/"), 8);
    // Upper-case ASCII is lowered; B0 41 is one character and its "A" stays.
    EXPECT_EQ(UrlHost("HTTP://\xB0\x41.A/", true), "\xB0\x41.a");
    // B0 40 is no "@": the host keeps it, and only an "@" of its own cuts.
    EXPECT_EQ(UrlHost("http://\xB0@h/", true), "\xB0@h");
    EXPECT_EQ(UrlHost("http://u\xB0@@h:8/", true), "h:8");
    EXPECT_EQ(UrlPort("http://u\xB0@@h:8/"), 8);
    EXPECT_EQ(UrlPath("http://u\xB0@@h:8/"), "/");
}

TEST(TextBetween, FirstLeftThenFirstRightAfterIt) {
    EXPECT_EQ(TextBetween("a=1; b=2", "a=", ";"), "1");
    EXPECT_EQ(TextBetween("a=1; b=2", "b=", ";"), "");  // ";" only before "b="
    EXPECT_EQ(TextBetween("a=1; b=2", "c=", ";"), "");
    EXPECT_EQ(TextBetween("a=1; b=2", "b=", "2"), "");
    EXPECT_EQ(TextBetween("<<x>>y>>", "<<", ">>"), "x");
    EXPECT_EQ(TextBetween("[a][b]", "]", "]"), "[b");
    EXPECT_EQ(TextBetween("L..R", "L", "R"), "..");
    EXPECT_EQ(TextBetween("LR", "L", "R"), "");
    EXPECT_EQ(TextBetween("aL", "L", "R"), "");  // left marker at the very end
    EXPECT_EQ(TextBetween("", "L", "R"), "");
    EXPECT_EQ(TextBetween("Ab=1;", "ab=", ";"), "");  // exact, no case folding
}

TEST(TextBetween, EmptyMarkers) {
    EXPECT_EQ(TextBetween("a=1; b=2", "", ";"), "a=1");
    EXPECT_EQ(TextBetween("a=1; b=2", "a=", ""), "");
    EXPECT_EQ(TextBetween("a=1", "", ""), "");
    EXPECT_EQ(TextBetween("", "", ";"), "");
}

TEST(TextBetween, QuoteNameStandsForQuotationMark) {
    EXPECT_EQ(TextBetween("k=\"v\";", "k=" + kQuoteName, kQuoteName), "v");
    EXPECT_EQ(TextBetween("\"a\"b\"", kQuoteName + kQuoteName, kQuoteName), "");
    EXPECT_EQ(TextBetween("x\"\"y\"", kQuoteName + kQuoteName, kQuoteName), "y");
    // The marker itself in the text is not matched once replaced.
    EXPECT_EQ(TextBetween("k=" + kQuoteName + "v" + kQuoteName, "k=" + kQuoteName, kQuoteName), "");
    // B0 23 is one character: its "#" does not begin the name.
    const std::string inside = "\xB0" + kQuoteName;
    EXPECT_EQ(TextBetween("(" + inside + ")", "(", ")"), inside);
    EXPECT_EQ(TextBetween("(" + inside + "z)", inside, ")"), "z");
    EXPECT_EQ(TextBetween("(y" + inside + ")", "(", inside), "y");
    // A left marker ending in a lead byte: the search goes on from the byte after it.
    EXPECT_EQ(TextBetween("x" + inside + "y", "x\xB0", "y"), kQuoteName);
}

TEST(TextBetween, MarkersBesideDoubleByteCharacters) {
    EXPECT_EQ(TextBetween("a\xB0=1=2;", "=", ";"), "2");
    EXPECT_EQ(TextBetween("a=1\xB0;2;", "=", ";"), "1\xB0;2");
    EXPECT_EQ(TextBetween("\xC4\xE3=\xBA\xC3;", "\xC4\xE3=", ";"), "\xBA\xC3");
    EXPECT_EQ(TextBetween("a=x\xB0", "=", "\xB0"), "");  // lone lead byte at the end
}

TEST(TextBeforeAndValueAfterColon, CutAtTheFirstMarker) {
    EXPECT_EQ(TextBefore("host:80:1", ":"), "host");
    EXPECT_EQ(TextBefore(":80", ":"), "");
    EXPECT_EQ(TextBefore("host", ":"), "");
    EXPECT_EQ(TextBefore("host", ""), "");
    EXPECT_EQ(TextBefore("", ":"), "");
    EXPECT_EQ(TextBefore("h\xB0:x:y", ":"), "h\xB0:x");
    EXPECT_EQ(TextBefore("ab; cd", "; "), "ab");

    EXPECT_EQ(ValueAfterColon("Content-Type:  text/html ; a:b  "), "text/html ; a:b");
    EXPECT_EQ(ValueAfterColon("X:\xA1\xA1v\xA1\xA1"), "v");  // full-width spaces too
    EXPECT_EQ(ValueAfterColon("X:\tv"), "\tv");              // only the two kinds of space
    EXPECT_EQ(ValueAfterColon("X:"), "");
    EXPECT_EQ(ValueAfterColon("no colon"), "");
    EXPECT_EQ(ValueAfterColon(""), "");
    EXPECT_EQ(ValueAfterColon("a\xB0: x: y"), "y");
}

TEST(CapitalizeFirst, OnlyAnAsciiLetterAtTheStart) {
    EXPECT_EQ(CapitalizeFirst("abc"), "Abc");
    EXPECT_EQ(CapitalizeFirst("aBC"), "ABC");
    EXPECT_EQ(CapitalizeFirst("a"), "A");
    EXPECT_EQ(CapitalizeFirst("Abc"), "Abc");
    EXPECT_EQ(CapitalizeFirst("1abc"), "1abc");
    EXPECT_EQ(CapitalizeFirst("`z{"), "`z{");
    EXPECT_EQ(CapitalizeFirst(""), "");
    EXPECT_EQ(CapitalizeFirst("\xB0z"), "\xB0z");
    EXPECT_EQ(CapitalizeFirst("\xB0"), "\xB0");
    EXPECT_EQ(CapitalizeFirst("\xA3\xE1x"), "\xA3\xE1x");  // full-width ａ stays
}

TEST(NormalizeHeaderNames, CapitalAtStartAndAfterEveryDash) {
    EXPECT_EQ(NormalizeHeaderNames("content-type: text/html"), "Content-Type: text/html");
    EXPECT_EQ(NormalizeHeaderNames("ACCEPT: */*"), "ACCEPT: */*");
    EXPECT_EQ(NormalizeHeaderNames("X-forwarded-FOR: 1"), "X-Forwarded-FOR: 1");
    EXPECT_EQ(NormalizeHeaderNames("accept-language: zh\r\nbad line\r\n\r\nreferer: r"),
              "Accept-Language: zh\r\nReferer: r");
    // The value is left alone, dashes and colons included.
    EXPECT_EQ(NormalizeHeaderNames("x-a: b-c: d-e"), "X-A: b-c: d-e");
    EXPECT_EQ(NormalizeHeaderNames("host:a\rb"), "Host:a\rb");
}

TEST(NormalizeHeaderNames, NameKeepsItsLength) {
    EXPECT_EQ(NormalizeHeaderNames("x-: 1"), "X-: 1");
    EXPECT_EQ(NormalizeHeaderNames("a--b: 1"), "A--B: 1");
    EXPECT_EQ(NormalizeHeaderNames("-a: 1"), "-A: 1");
    EXPECT_EQ(NormalizeHeaderNames("-: 1"), "-: 1");
    EXPECT_EQ(NormalizeHeaderNames("--:1\r\nx--:2"), "--:1\r\nX--:2");
    EXPECT_EQ(NormalizeHeaderNames(": v"), ": v");
    EXPECT_EQ(NormalizeHeaderNames("a-b:"), "A-B:");
}

TEST(NormalizeHeaderNames, LinesWithoutColonAndEmptyTexts) {
    EXPECT_EQ(NormalizeHeaderNames(""), "");
    EXPECT_EQ(NormalizeHeaderNames("\r\n"), "");
    EXPECT_EQ(NormalizeHeaderNames("no colon\r\nneither"), "");
    EXPECT_EQ(NormalizeHeaderNames("a: 1\r\n"), "A: 1");
    EXPECT_EQ(NormalizeHeaderNames("a: 1\r\n\r\n"), "A: 1");
    EXPECT_EQ(NormalizeHeaderNames("\r\na: 1\r\nb: 2"), "A: 1\r\nB: 2");
    EXPECT_EQ(NormalizeHeaderNames("a: 1\nb: 2"), "A: 1\nb: 2");  // a lone LF does not cut
}

TEST(NormalizeHeaderNames, DoubleByteCharacters) {
    // B0 3A is no colon: the name runs to the ":" after it.
    EXPECT_EQ(NormalizeHeaderNames("a\xB0:x: y"), "A\xB0:x: y");
    EXPECT_EQ(NormalizeHeaderNames("\xB0:only"), "");
    // B0 2D is no dash, and a piece that begins with a double-byte character stays.
    EXPECT_EQ(NormalizeHeaderNames("a\xB0-b: 1"), "A\xB0-b: 1");
    EXPECT_EQ(NormalizeHeaderNames("a-\xC4\xE3-b: 1"), "A-\xC4\xE3-B: 1");
}

TEST(CookieName, TrimmedNameBeforeTheFirstEquals) {
    EXPECT_EQ(CookieName(" sid = 1=2 "), "sid");
    EXPECT_EQ(CookieName("sid"), "sid");
    EXPECT_EQ(CookieName("  sid  "), "sid");
    EXPECT_EQ(CookieName("=1"), "");
    EXPECT_EQ(CookieName(""), "");
    EXPECT_EQ(CookieName("\xA1\xA1n\xA1\xA1=v"), "n");
    EXPECT_EQ(CookieName("n\xB0=x=1"), "n\xB0=x");
    EXPECT_EQ(CookieName("n\xB0=x"), "n\xB0=x");
}

TEST(MergeCookies, FreshCookiesFirstThenOldOnesOfOtherNames) {
    Text old = "a=1; b=2";
    Text fresh = "b=3; c=4";
    EXPECT_EQ(MergeCookies(old, fresh), "b=3; c=4; a=1");
    EXPECT_EQ(old, "b=3; c=4; a=1");
    EXPECT_EQ(fresh, "b=3; c=4");
}

TEST(MergeCookies, DeletedCookiesAreLeftOut) {
    Text old = "a=1; b=2";
    Text fresh = "b=deleted";
    EXPECT_EQ(MergeCookies(old, fresh), "a=1");

    old = "a=deleted; b=2";
    fresh = "";
    EXPECT_EQ(MergeCookies(old, fresh), "b=2");

    old = "a=1";
    fresh = "a=deleted";
    EXPECT_EQ(MergeCookies(old, fresh), "");
    EXPECT_EQ(old, "");

    // Only the end of a cookie counts, and only where "=" is a character of its own.
    old = "";
    fresh = "a=deleted1; b=x\xB0=deleted; c==deleted";
    EXPECT_EQ(MergeCookies(old, fresh), "a=deleted1; b=x\xB0=deleted");
}

TEST(MergeCookies, BothListsKeepTheirTidying) {
    Text old = "a=1;";
    Text fresh = "";
    EXPECT_EQ(MergeCookies(old, fresh), "a=1");
    EXPECT_EQ(old, "a=1");
    EXPECT_EQ(fresh, "");

    old = "  a=1  ";
    fresh = " \xA1\xA1x=2;  ";
    EXPECT_EQ(MergeCookies(old, fresh), "x=2; a=1");
    EXPECT_EQ(fresh, "x=2; ");

    old = "";
    fresh = "";
    EXPECT_EQ(MergeCookies(old, fresh), "");
    EXPECT_EQ(old, "");
}

TEST(MergeCookies, NamesComparedExactlyAfterTrimming) {
    Text old = "A=1; a=2;  b=3";
    Text fresh = "a=9";
    // " b=3" after "; " keeps a space, but its name is "b".
    EXPECT_EQ(MergeCookies(old, fresh), "a=9; A=1;  b=3");

    old = "a=1; a=2; b=1; b=2";
    fresh = "";
    EXPECT_EQ(MergeCookies(old, fresh), "a=1; b=1");

    // Fresh cookies are not merged by name among themselves; exact repeats are dropped.
    old = "";
    fresh = "a=1; a=2; a=1";
    EXPECT_EQ(MergeCookies(old, fresh), "a=1; a=2");
}

TEST(MergeCookies, SeparatorInsideADoubleByteCharacter) {
    // B0 3B is one character, so "a=\xB0; b=2" is cut only after "2".
    Text old = "a=\xB0; b=2; c=3";
    Text fresh = "b=5";
    EXPECT_EQ(MergeCookies(old, fresh), "b=5; a=\xB0; b=2; c=3");

    // A list trimmed down to a final B0 3B does not end in ";".
    old = "a=\xB0;";
    fresh = "";
    EXPECT_EQ(MergeCookies(old, fresh), "a=\xB0;");
    EXPECT_EQ(old, "a=\xB0;");
}

TEST(RemoveDuplicates, FirstOfEachPieceInOrder) {
    EXPECT_EQ(RemoveDuplicates("x; y; x", "; "), "x; y");
    EXPECT_EQ(RemoveDuplicates("x; y; x; ", "; "), "x; y");
    EXPECT_EQ(RemoveDuplicates("y; x; y; x; z", "; "), "y; x; z");
    EXPECT_EQ(RemoveDuplicates("x; X; x ", "; "), "x; X; x ");
    EXPECT_EQ(RemoveDuplicates("; ; x", "; "), "; x");
    EXPECT_EQ(RemoveDuplicates("x", "; "), "x");
    EXPECT_EQ(RemoveDuplicates("", "; "), "");
    EXPECT_EQ(RemoveDuplicates("a||b||a", "||"), "a||b");
    EXPECT_EQ(RemoveDuplicates("a|b|a", "||"), "a|b|a");
}

TEST(RemoveDuplicates, EmptySeparatorAndDoubleByteCharacters) {
    EXPECT_EQ(RemoveDuplicates("x; x", ""), "x; x");
    // B0 3B is one character: "\xB0; x" is a single piece.
    EXPECT_EQ(RemoveDuplicates("\xB0; x; x; \xB0", "; "), "\xB0; x; x; \xB0");
    EXPECT_EQ(RemoveDuplicates("\xC4\xE3; \xC4\xE3; \xC4", "; "), "\xC4\xE3; \xC4");
}

}  // namespace
}  // namespace pagorin::fetch
