// HttpRequest and RequestPage against a recording stand-in for the system Internet calls:
// every call in order with its exact arguments, the header text and body sent, the
// piecewise read and its limits, the header buffer, the handles closed on every path, and
// the cookies.
#include "fetch/http_request.h"
#include "fetch/page_request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pagorin::fetch {
namespace {

using namespace std::string_literals;
using Calls = std::vector<std::string>;

const std::string kAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// CR, LF and NUL written out, so an expected call reads on one line.
std::string shown(std::string_view bytes) {
    std::string out;
    for (char byte : bytes) {
        if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\0') {
            out += "\\0";
        } else {
            out += byte;
        }
    }
    return out;
}

std::string quoted(const char* text) {
    return text == nullptr ? "null" : "\"" + shown(text) + "\"";
}

std::string hex(uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}

// Stands in for the Internet library: logs each call as text, hands out three
// recognisable handles and plays back a scripted response.
class RecordingInternet final : public InternetApi {
  public:
    // The script.
    bool openFails = false;
    bool connectFails = false;
    bool openRequestFails = false;
    bool sendFails = false;
    std::optional<std::string> contentTypeReply;  // nothing: there is no such header
    // Status and Location of each answer in turn, for the page request's redirects; an
    // answer past the last is a 200 without Location.
    std::deque<std::pair<uint32_t, std::string>> redirects;
    std::deque<std::string> chunks;  // one per read; a read past the last reports 0
    // Fills the buffer and returns the count to report, instead of `chunks`.
    std::function<uint32_t(char* buffer, uint32_t size)> reader;
    bool readFails = false;
    // What a wait for bytes reports while `reader` plays the body.
    uint32_t readerAvailable = kReadChunkSize;
    std::optional<std::string> headerReply = "HTTP/1.1 200 OK\r\n\r\n"s;  // nothing: the call fails

    // What was seen.
    Calls calls;
    std::string sentHeaders;  // up to the zero that ends the C text
    std::string sentBody;     // the given count of bytes
    size_t reads = 0;
    bool readBuffersZeroed = true;
    std::string headerBufferOnEntry;

    InternetHandle open(const char* agent, uint32_t accessType, const char* proxy,
                        const char* proxyBypass, uint32_t flags) override {
        calls.push_back("open(" + quoted(agent) + ", " + std::to_string(accessType) + ", " +
                        quoted(proxy) + ", " + quoted(proxyBypass) + ", " + hex(flags) + ")");
        return openFails ? nullptr : &internet_;
    }
    InternetHandle connect(InternetHandle internet, const char* serverName, uint16_t port,
                           const char* userName, const char* password, uint32_t service,
                           uint32_t flags, uintptr_t context) override {
        calls.push_back("connect(" + name(internet) + ", " + quoted(serverName) + ", " +
                        std::to_string(port) + ", " + quoted(userName) + ", " + quoted(password) +
                        ", " + std::to_string(service) + ", " + hex(flags) + ", " +
                        std::to_string(context) + ")");
        return connectFails ? nullptr : &connection_;
    }
    InternetHandle openRequest(InternetHandle connection, const char* verb, const char* objectName,
                               const char* version, const char* referrer,
                               const char* const* acceptTypes, uint32_t flags,
                               uintptr_t context) override {
        calls.push_back("openRequest(" + name(connection) + ", " + quoted(verb) + ", " +
                        quoted(objectName) + ", " + quoted(version) + ", " + quoted(referrer) +
                        ", " + (acceptTypes == nullptr ? "null" : "list") + ", " + hex(flags) +
                        ", " + std::to_string(context) + ")");
        return openRequestFails ? nullptr : &request_;
    }
    bool setOption(InternetHandle handle, uint32_t option, const void* buffer,
                   uint32_t length) override {
        uint32_t value = 0;
        if (buffer != nullptr && length == sizeof value) std::memcpy(&value, buffer, sizeof value);
        calls.push_back("setOption(" + name(handle) + ", " + std::to_string(option) + ", " +
                        hex(value) + ", " + std::to_string(length) + ")");
        return true;
    }
    bool sendRequest(InternetHandle request, const char* headers, uint32_t headersLength,
                     const void* optional, uint32_t optionalLength) override {
        sentHeaders = headers == nullptr ? "" : headers;
        sentBody = optional == nullptr
                       ? ""
                       : std::string(static_cast<const char*>(optional), optionalLength);
        calls.push_back("sendRequest(" + name(request) + ", " + quoted(headers) + ", " +
                        std::to_string(headersLength) + ", " +
                        (optional == nullptr ? "null" : "\"" + shown(sentBody) + "\"") + ", " +
                        std::to_string(optionalLength) + ")");
        return !sendFails;
    }
    bool readFile(InternetHandle file, void* buffer, uint32_t bytesToRead,
                  uint32_t* bytesRead) override {
        ++reads;
        auto* bytes = static_cast<char*>(buffer);
        // A scripted reader plays bodies of megabytes: no byte-by-byte check there.
        if (reader) {
            *bytesRead = reader(bytes, bytesToRead);
            return true;
        }
        for (uint32_t i = 0; i < bytesToRead; ++i) readBuffersZeroed &= bytes[i] == 0;
        calls.push_back("readFile(" + name(file) + ", " + std::to_string(bytesToRead) + ")");
        if (readFails) return false;  // and leaves the count as it found it
        if (chunks.empty()) {
            *bytesRead = 0;
            return true;
        }
        const std::string chunk = chunks.front();
        chunks.pop_front();
        std::memcpy(bytes, chunk.data(), std::min<size_t>(chunk.size(), bytesToRead));
        *bytesRead = static_cast<uint32_t>(chunk.size());
        return true;
    }
    // Bytes are there while a chunk is left (or a read is set to fail); an empty chunk is
    // the end of the body.
    bool queryDataAvailable(InternetHandle file, uint32_t* bytesAvailable) override {
        if (reader) {
            *bytesAvailable = readerAvailable;
            return true;
        }
        calls.push_back("queryDataAvailable(" + name(file) + ")");
        if (readFails) {
            *bytesAvailable = kReadChunkSize;
        } else {
            *bytesAvailable = chunks.empty() ? 0 : static_cast<uint32_t>(chunks.front().size());
        }
        return true;
    }
    bool queryInfo(InternetHandle request, uint32_t infoLevel, void* buffer, uint32_t* length,
                   uint32_t* index) override {
        calls.push_back("queryInfo(" + name(request) + ", " + std::to_string(infoLevel) + ", " +
                        std::to_string(*length) + ", " + (index == nullptr ? "null" : "index") +
                        ")");
        if (infoLevel == (19 | 0x20000000)) {  // the status as a number
            const uint32_t status = redirects.empty() ? 200 : redirects.front().first;
            std::memcpy(buffer, &status, sizeof status);
            return true;
        }
        if (infoLevel == 33) {  // Location
            if (redirects.empty()) return false;
            const std::string location = redirects.front().second;
            redirects.pop_front();
            std::memcpy(buffer, location.c_str(), location.size() + 1);
            *length = static_cast<uint32_t>(location.size());
            return true;
        }
        headerBufferOnEntry.assign(static_cast<const char*>(buffer), *length);
        const std::optional<std::string>& reply = infoLevel == 1 ? contentTypeReply : headerReply;
        if (!reply) return false;
        if (reply->size() + 1 > *length) return false;
        std::memcpy(buffer, reply->c_str(), reply->size() + 1);
        *length = static_cast<uint32_t>(reply->size());
        return true;
    }
    bool closeHandle(InternetHandle handle) override {
        calls.push_back("close(" + name(handle) + ")");
        return true;
    }

  private:
    std::string name(InternetHandle handle) const {
        if (handle == &internet_) return "internet";
        if (handle == &connection_) return "connection";
        if (handle == &request_) return "request";
        return handle == nullptr ? "null" : "unknown";
    }

    char internet_ = 0;
    char connection_ = 0;
    char request_ = 0;
};

// The time-outs every request gets, in milliseconds: one try at connecting for 30 s,
// sending and each wait for bytes 60 s.
const Calls kTimeouts = {"setOption(request, 2, 0x7530, 4)", "setOption(request, 3, 0x1, 4)",
                         "setOption(request, 5, 0xEA60, 4)", "setOption(request, 6, 0xEA60, 4)"};
// The send comes after the security flags and the time-outs.
constexpr size_t kSendCall = 8;

// The calls of a complete exchange whose body comes in pieces of `pieces` bytes.
Calls exchangeCalls(const std::string& agent, const std::string& host, int port,
                    const std::string& verb, const std::string& path, uint32_t flags,
                    const std::string& sendLine, const std::vector<size_t>& pieces = {}) {
    Calls calls = {
        "open(\"" + agent + "\", 0, null, null, 0x0)",
        "connect(internet, \"" + host + "\", " + std::to_string(port) + ", null, null, 3, 0x0, 0)",
        "openRequest(connection, \"" + verb + "\", \"" + path + "\", \"HTTP/1.1\", null, null, " +
            hex(flags) + ", 0)",
        "setOption(request, 31, 0x1F380, 4)",
    };
    calls.insert(calls.end(), kTimeouts.begin(), kTimeouts.end());
    calls.push_back(sendLine);
    for (const size_t piece : pieces) {
        calls.push_back("queryDataAvailable(request)");
        calls.push_back("readFile(request, " + std::to_string(piece) + ")");
    }
    calls.push_back("queryDataAvailable(request)");
    calls.push_back("queryInfo(request, 22, 5000, null)");
    calls.push_back("close(request)");
    calls.push_back("close(connection)");
    calls.push_back("close(internet)");
    return calls;
}

constexpr uint32_t kPlainFlags = 0x80004010;   // reload, need file, redirect to https allowed
constexpr uint32_t kSecureFlags = 0x80800010;  // reload, need file, secure

// ---- the whole exchange ----

TEST(HttpRequest, PlainGetMakesEveryCallInOrderWithExactArguments) {
    RecordingInternet api;
    api.chunks = {"hello ", "world"};
    const Bytes body = HttpRequest(api, "http://Example.com/a?b=1");
    EXPECT_EQ(body, "hello world");
    const std::string headers =
        "Accept: */*\r\nReferer: http://Example.com/a?b=1\r\nAccept-Language: zh-cn";
    EXPECT_EQ(
        api.calls,
        exchangeCalls(kAgent, "example.com", 80, "GET", "/a?b=1", kPlainFlags,
                      "sendRequest(request, \"" + shown(headers) + "\", 70, null, 0)", {6, 5}));
    EXPECT_EQ(api.sentHeaders, headers);
    EXPECT_TRUE(api.readBuffersZeroed);
}

TEST(HttpRequest, AddressWithoutSchemeIsPlainHttpOnPort80) {
    RecordingInternet api;
    HttpRequest(api, "host.test");
    ASSERT_GE(api.calls.size(), 3u);
    EXPECT_EQ(api.calls[1], "connect(internet, \"host.test\", 80, null, null, 3, 0x0, 0)");
    EXPECT_EQ(api.calls[2],
              "openRequest(connection, \"GET\", \"/\", \"HTTP/1.1\", null, null, 0x80004010, 0)");
    EXPECT_EQ(api.sentHeaders, "Accept: */*\r\nReferer: host.test\r\nAccept-Language: zh-cn");
}

TEST(HttpRequest, HttpsIsRecognisedInAnyLetterCaseAndSetsTheSecureFlag) {
    for (const Text address : {"https://srv/x", "HTTPS://srv/x", "hTtPs://srv/x"}) {
        RecordingInternet api;
        HttpRequest(api, address);
        ASSERT_GE(api.calls.size(), 3u) << address;
        EXPECT_EQ(api.calls[1], "connect(internet, \"srv\", 443, null, null, 3, 0x0, 0)")
            << address;
        EXPECT_EQ(api.calls[2],
                  "openRequest(connection, \"GET\", \"/x\", \"HTTP/1.1\", null, "
                  "null, " +
                      hex(kSecureFlags) + ", 0)")
            << address;
    }
    // Not at the very start, or not the whole prefix: plain HTTP.
    for (const Text address : {" https://h/x", "https:/h/x", "http://h/https://"}) {
        RecordingInternet api;
        HttpRequest(api, address);
        ASSERT_GE(api.calls.size(), 3u) << address;
        EXPECT_NE(api.calls[2].find(hex(kPlainFlags)), std::string::npos) << api.calls[2];
    }
}

TEST(HttpRequest, ExplicitPortsAreUsedAndHttpsOnAnotherPortStaysSecure) {
    RecordingInternet api;
    HttpRequest(api, "https://h:8443/p");
    ASSERT_GE(api.calls.size(), 3u);
    EXPECT_EQ(api.calls[1], "connect(internet, \"h\", 8443, null, null, 3, 0x0, 0)");
    EXPECT_NE(api.calls[2].find(hex(kSecureFlags)), std::string::npos);
}

TEST(HttpRequest, MethodNumbersAndOutOfRangeNumbersMeaningGet) {
    const char* names[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    for (int number = 0; number < 8; ++number) {
        RecordingInternet api;
        HttpRequest(api, "h/", number);
        ASSERT_GE(api.calls.size(), 3u);
        EXPECT_NE(api.calls[2].find("\"" + std::string(names[number]) + "\""), std::string::npos)
            << api.calls[2];
    }
    for (int number : {-1, 8, 9, 1000, INT32_MIN, INT32_MAX}) {
        RecordingInternet api;
        Text body = "x=1";
        HttpRequest(api, "h/", number, body);
        ASSERT_GT(api.calls.size(), kSendCall);
        EXPECT_NE(api.calls[2].find("\"GET\""), std::string::npos) << number;
        // Treated as GET in full: no body, no form content type.
        EXPECT_EQ(api.calls[kSendCall],
                  "sendRequest(request, \"Accept: */*\\r\\nReferer: h/\\r\\n"
                  "Accept-Language: zh-cn\", 48, null, 0)")
            << number;
    }
}

// ---- proxies ----

TEST(HttpRequest, ProxyKindsGiveTheirOwnOpenArguments) {
    struct Case {
        std::string address;
        std::string proxy;
        Given<bool> socks;
        std::string open;
    };
    const Case cases[] = {
        {"http://h/", "", {}, "open(\"" + kAgent + "\", 0, null, null, 0x0)"},
        {"http://h/", "", true, "open(\"" + kAgent + "\", 0, null, null, 0x0)"},
        {"http://h/", "p:8080", {}, "open(\"" + kAgent + "\", 3, \"http=p:8080\", \"\", 0x0)"},
        {"http://h/", "p:8080", false, "open(\"" + kAgent + "\", 3, \"http=p:8080\", \"\", 0x0)"},
        {"https://h/", "p:8080", {}, "open(\"" + kAgent + "\", 3, \"p:8080\", \"\", 0x0)"},
        {"http://h/", "p:1080", true, "open(\"" + kAgent + "\", 3, \"SOCKS=p:1080\", \"\", 0x0)"},
        {"https://h/", "p:1080", true, "open(\"" + kAgent + "\", 3, \"SOCKS=p:1080\", \"\", 0x0)"},
    };
    for (const Case& c : cases) {
        RecordingInternet api;
        const Text proxy = c.proxy;
        HttpRequest(api, c.address, {}, {}, {}, {}, {}, {}, {}, {}, proxy, {}, {}, {}, c.socks);
        ASSERT_FALSE(api.calls.empty());
        EXPECT_EQ(api.calls[0], c.open) << c.address << " via " << c.proxy;
    }
}

TEST(HttpRequest, ProxyNotGivenIsTheUsersOwnSetting) {
    RecordingInternet api;
    HttpRequest(api, "http://h/", {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, true);
    ASSERT_FALSE(api.calls.empty());
    EXPECT_EQ(api.calls[0], "open(\"" + kAgent + "\", 0, null, null, 0x0)");
}

// ---- user agent ----

Text agentFor(const Text& extraHeaders, Given<bool> normalize = {}) {
    RecordingInternet api;
    HttpRequest(api, "h/", {}, {}, {}, {}, extraHeaders, {}, {}, {}, {}, {}, {}, normalize);
    const std::string& open = api.calls.at(0);
    const size_t end = open.find("\", ");
    return open.substr(6, end - 6);
}

TEST(HttpRequest, UserAgentLineSetsTheAgentAndStaysAmongTheHeaders) {
    EXPECT_EQ(agentFor("User-Agent:  Pager/2.0 \r\nX-A: 1"), "Pager/2.0");
    EXPECT_EQ(agentFor("X-A: 1\r\nUser-Agent: Last"), "Last");
    EXPECT_EQ(agentFor("user-agent: lower\r\nx-b: 2"), "lower");  // names normalised first
    EXPECT_EQ(agentFor("User-Agent: \xA1\xA1wide\xA1\xA1"), "wide");
    EXPECT_EQ(agentFor("X-A: 1"), kAgent);
    EXPECT_EQ(agentFor(""), kAgent);

    RecordingInternet api;
    const Text extra = "User-Agent: Pager/2.0";
    HttpRequest(api, "h/", {}, {}, {}, {}, extra);
    EXPECT_EQ(api.sentHeaders,
              "User-Agent: Pager/2.0\r\nAccept: */*\r\nReferer: h/\r\nAccept-Language: zh-cn");
}

TEST(HttpRequest, UserAgentFoundOnlyIgnoringCaseFallsBackToTheTextAfterTheFirstColon) {
    // Not normalised, the exact marker is missing: the value after the first ":" of all
    // the lines is taken as it is.
    EXPECT_EQ(agentFor("X-A: 1\r\nuser-agent: lower", false), "1\\r\\nuser-agent: lower");
    // An empty value falls back the same way.
    EXPECT_EQ(agentFor("User-Agent:   \r\nX-B: 2"), "\\r\\nX-B: 2");
}

// ---- request headers ----

Text headersSent(const Text& address, Given<int> method, OptionalRef<const Text> extra,
                 Given<bool> complete = {}, Given<bool> normalize = {}) {
    RecordingInternet api;
    HttpRequest(api, address, method, {}, {}, {}, extra, {}, {}, {}, {}, {}, complete, normalize);
    return api.sentHeaders;
}

TEST(HttpRequest, StandardHeadersFillOnlyWhatIsMissing) {
    const Text none;
    EXPECT_EQ(headersSent("h/p", {}, none),
              "Accept: */*\r\nReferer: h/p\r\nAccept-Language: zh-cn");
    EXPECT_EQ(headersSent("h/p", 1, none),
              "Accept: */*\r\nReferer: h/p\r\nAccept-Language: "
              "zh-cn\r\nContent-Type: application/x-www-form-urlencoded");
    const Text accept = "accept: text/html";
    EXPECT_EQ(headersSent("h/p", {}, accept),
              "Accept: text/html\r\nReferer: h/p\r\nAccept-Language: zh-cn");
    const Text all = "ACCEPT: a\r\nREFERER: r\r\nACCEPT-LANGUAGE: en\r\nCONTENT-TYPE: t";
    EXPECT_EQ(headersSent("h/p", 1, all, {}, false), all);
    const Text someOther = "X-One: 1";
    EXPECT_EQ(headersSent("h/p", {}, someOther),
              "X-One: 1\r\nAccept: */*\r\nReferer: h/p\r\nAccept-Language: zh-cn");
    // Content-Type is only for POST.
    const Text type = "Content-Type: text/plain";
    EXPECT_EQ(headersSent("h/p", 3, none), "Accept: */*\r\nReferer: h/p\r\nAccept-Language: zh-cn");
    EXPECT_EQ(headersSent("h/p", 1, type),
              "Content-Type: text/plain\r\nAccept: */*\r\nReferer: h/p\r\nAccept-Language: zh-cn");
}

TEST(HttpRequest, HeaderPresenceIsATextSearchAnywhereInTheLines) {
    // "X-Accept:" holds "Accept:", so no Accept line is added: the rule is a plain search.
    const Text lookalike = "X-Accept: 1";
    EXPECT_EQ(headersSent("h/", {}, lookalike),
              "X-Accept: 1\r\nReferer: h/\r\nAccept-Language: zh-cn");
    // "Accept-Language:" does not hold "Accept:".
    const Text language = "Accept-Language: en";
    EXPECT_EQ(headersSent("h/", {}, language), "Accept-Language: en\r\nAccept: */*\r\nReferer: h/");
}

TEST(HttpRequest, WithoutCompletionOnlyTheCallersLinesAreSent) {
    const Text extra = "x-one: 1\r\nx-two: 2";
    EXPECT_EQ(headersSent("h/", 1, extra, false), "X-One: 1\r\nX-Two: 2");
    RecordingInternet api;
    HttpRequest(api, "h/", {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, false);
    ASSERT_GT(api.calls.size(), kSendCall);
    EXPECT_EQ(api.calls[kSendCall], "sendRequest(request, null, 0, null, 0)");
}

TEST(HttpRequest, HeaderNamesAreNormalisedUnlessTurnedOff) {
    const Text extra = "x-my-header: Value-here\r\n\r\nno colon\r\nCONTENT-type: a";
    EXPECT_EQ(headersSent("h/", {}, extra, false), "X-My-Header: Value-here\r\nCONTENT-Type: a");
    EXPECT_EQ(headersSent("h/", {}, extra, false, false), extra);
    EXPECT_EQ(headersSent("h/", {}, extra, false, true),
              "X-My-Header: Value-here\r\nCONTENT-Type: a");
}

TEST(HttpRequest, ExtraHeadersAreReadNotWritten) {
    RecordingInternet api;
    const Text extra = "x-a: 1";
    Text copy = extra;
    HttpRequest(api, "h/", {}, {}, {}, {}, copy);
    EXPECT_EQ(copy, extra);
}

// ---- cookies sent ----

TEST(HttpRequest, CookiesGivenAtAllKeepTheSystemCookieStoreOut) {
    RecordingInternet api;
    Text empty;
    HttpRequest(api, "h/", {}, {}, empty);
    ASSERT_GE(api.calls.size(), 3u);
    EXPECT_NE(api.calls[2].find(hex(kPlainFlags | 0x80000)), std::string::npos) << api.calls[2];
    EXPECT_EQ(api.sentHeaders, "Accept: */*\r\nReferer: h/\r\nAccept-Language: zh-cn");
}

TEST(HttpRequest, CookiesAreSentAsACookieLine) {
    RecordingInternet api;
    Text cookies = "a=1; b=2";
    HttpRequest(api, "h/", {}, {}, cookies);
    EXPECT_EQ(api.sentHeaders,
              "Accept: */*\r\nReferer: h/\r\nAccept-Language: zh-cn\r\nCookie: a=1; b=2");

    RecordingInternet withLine;
    Text line = "Cookie: a=1";
    HttpRequest(withLine, "h/", {}, {}, line);
    EXPECT_EQ(withLine.sentHeaders,
              "Accept: */*\r\nReferer: h/\r\nAccept-Language: zh-cn\r\nCookie: a=1");

    // The "Cookie:" test is exact: another letter case is taken for plain cookies.
    RecordingInternet lower;
    Text lowerLine = "cookie: a=1";
    HttpRequest(lower, "h/", {}, {}, lowerLine);
    EXPECT_EQ(lower.sentHeaders,
              "Accept: */*\r\nReferer: h/\r\nAccept-Language: zh-cn\r\nCookie: cookie: a=1");
}

TEST(HttpRequest, CookieLineFollowsEvenWhenNothingElseIsSent) {
    RecordingInternet api;
    Text cookies = "a=1";
    HttpRequest(api, "h/", {}, {}, cookies, {}, {}, {}, {}, {}, {}, {}, false);
    EXPECT_EQ(api.sentHeaders, "\r\nCookie: a=1");
    ASSERT_GT(api.calls.size(), kSendCall);
    EXPECT_EQ(api.calls[kSendCall], "sendRequest(request, \"\\r\\nCookie: a=1\", 13, null, 0)");
}

// ---- redirects ----

TEST(HttpRequest, NoRedirectAddsItsFlagOnlyWhenTrue) {
    for (const auto& [noRedirect, flags] :
         {std::pair{Given<bool>(true), kPlainFlags | 0x200000},
          std::pair{Given<bool>(false), kPlainFlags}, std::pair{Given<bool>(), kPlainFlags}}) {
        RecordingInternet api;
        HttpRequest(api, "h/", {}, {}, {}, {}, {}, {}, noRedirect);
        ASSERT_GE(api.calls.size(), 3u);
        EXPECT_NE(api.calls[2].find(", " + hex(flags) + ", 0)"), std::string::npos) << api.calls[2];
    }
    RecordingInternet secure;
    Text cookies;
    HttpRequest(secure, "https://h/", {}, {}, cookies, {}, {}, {}, true);
    EXPECT_NE(secure.calls.at(2).find(hex(0x80000000 | 0x10 | 0x80000 | 0x200000 | 0x800000)),
              std::string::npos)
        << secure.calls[2];
}

// ---- request body ----

TEST(HttpRequest, GetSendsNoBodyAndLeavesTheBodyVariables) {
    RecordingInternet api;
    const Text text = "t=1";
    Bytes bytes;
    HttpRequest(api, "h/", 0, text, {}, {}, {}, {}, {}, bytes);
    EXPECT_TRUE(api.calls.at(kSendCall).ends_with(", null, 0)")) << api.calls[kSendCall];
    EXPECT_EQ(bytes, "");

    RecordingInternet withBytes;
    Bytes given = "b=2";
    HttpRequest(withBytes, "h/", {}, {}, {}, {}, {}, {}, {}, given);
    EXPECT_TRUE(withBytes.calls.at(kSendCall).ends_with(", null, 0)"))
        << withBytes.calls[kSendCall];
}

TEST(HttpRequest, PostTextIsWrittenIntoAnEmptyBytesVariableAndSent) {
    RecordingInternet api;
    const Text text = "name=%D6%D0&x=1";
    Bytes bytes;
    HttpRequest(api, "h/form", 1, text, {}, {}, {}, {}, {}, bytes);
    EXPECT_EQ(bytes, text);
    EXPECT_EQ(api.sentBody, text);
    EXPECT_TRUE(api.calls.at(kSendCall).ends_with(", \"name=%D6%D0&x=1\", 15)"))
        << api.calls[kSendCall];
}

TEST(HttpRequest, BytesWinOverTextAndMayHoldZeros) {
    RecordingInternet api;
    const Text text = "ignored";
    Bytes bytes = "a\0b\xFF"s;
    HttpRequest(api, "h/", 3, text, {}, {}, {}, {}, {}, bytes);
    EXPECT_EQ(api.sentBody, "a\0b\xFF"s);
    EXPECT_EQ(bytes, "a\0b\xFF"s);
    EXPECT_NE(api.calls.at(kSendCall).find(", \"a\\0b\xFF\", 4)"), std::string::npos)
        << api.calls[kSendCall];
}

TEST(HttpRequest, BodyTextIsSentWithoutABytesVariable) {
    RecordingInternet api;
    const Text text = "payload";
    HttpRequest(api, "h/", 5, text);
    EXPECT_EQ(api.sentBody, "payload");
    EXPECT_NE(api.calls.at(kSendCall).find(", \"payload\", 7)"), std::string::npos);
}

TEST(HttpRequest, EmptyBodyIsSentAsNoBody) {
    RecordingInternet api;
    Bytes bytes;
    HttpRequest(api, "h/", 1, {}, {}, {}, {}, {}, {}, bytes);
    EXPECT_TRUE(api.calls.at(kSendCall).ends_with(", null, 0)")) << api.calls[kSendCall];
    EXPECT_EQ(bytes, "");
}

// ---- reading the body ----

TEST(HttpRequest, ReadingStopsWhenNoBytesAreLeftAndKeepsEveryByte) {
    RecordingInternet api;
    api.chunks = {std::string(1024, 'a'), "\0\0"s, std::string(1, 'z'), "", "never read"};
    const Bytes body = HttpRequest(api, "h/");
    EXPECT_EQ(body, std::string(1024, 'a') + "\0\0z"s);
    EXPECT_EQ(api.reads, 3u);            // each a read of what was there
    EXPECT_TRUE(api.readBuffersZeroed);  // each chunk starts zero-filled
    EXPECT_EQ(api.chunks.size(), 2u);
}

TEST(HttpRequest, FailingReadEndsTheBody) {
    RecordingInternet api;
    api.readFails = true;
    EXPECT_EQ(HttpRequest(api, "h/"), "");
    EXPECT_EQ(api.reads, 1u);
    EXPECT_EQ(api.calls.back(), "close(internet)");
}

TEST(HttpRequest, ACountBeyondTheChunkTakesOnlyTheChunk) {
    RecordingInternet api;
    int calls = 0;
    api.reader = [&calls](char* buffer, uint32_t size) -> uint32_t {
        if (calls++ > 0) return 0;
        std::memset(buffer, 'q', size);
        return size + 5000;
    };
    EXPECT_EQ(HttpRequest(api, "h/"), std::string(kReadChunkSize, 'q'));
}

TEST(HttpRequest, BodyStopsAtSixtyFourMebibytesWithFullChunks) {
    RecordingInternet api;
    // A little more than the limit is on offer, so reading past it shows as a longer body.
    size_t served = 0;
    api.reader = [&served](char* buffer, uint32_t size) -> uint32_t {
        if (served >= kMaxBodySize + 8 * 1024) return 0;
        std::memset(buffer, 'x', size);
        served += size;
        return size;
    };
    const Bytes body = HttpRequest(api, "h/");
    EXPECT_EQ(body.size(), kMaxBodySize);
    EXPECT_EQ(body.size(), 64u * 1024 * 1024);
    EXPECT_EQ(api.reads, 1024u);  // 64 KiB at a time; not one read more at the limit
    EXPECT_EQ(body.find_first_not_of('x'), std::string::npos);
    // The exchange still ends properly.
    ASSERT_GE(api.calls.size(), 4u);
    EXPECT_EQ(api.calls[api.calls.size() - 4], "queryInfo(request, 22, 5000, null)");
    EXPECT_EQ(api.calls.back(), "close(internet)");
}

TEST(HttpRequest, BodyStopsAtSixtyFourMebibytesWithUnevenChunks) {
    RecordingInternet api;
    size_t served = 0;
    api.reader = [&served](char* buffer, uint32_t) -> uint32_t {
        if (served >= kMaxBodySize + 8 * 1000) return 0;
        std::memset(buffer, 'y', 1000);
        served += 1000;
        return 1000;
    };
    const Bytes body = HttpRequest(api, "h/");
    EXPECT_EQ(body.size(), kMaxBodySize);
    EXPECT_EQ(api.reads, (kMaxBodySize + 999) / 1000);
}

TEST(HttpRequest, BodyJustBelowTheLimitIsReadToItsEnd) {
    RecordingInternet api;
    size_t served = 0;
    api.reader = [&served](char* buffer, uint32_t size) -> uint32_t {
        const size_t left = kMaxBodySize - 1 - served;
        const auto count = static_cast<uint32_t>(std::min<size_t>(left, size));
        std::memset(buffer, 'w', count);
        served += count;
        return count;
    };
    const Bytes body = HttpRequest(api, "h/");
    EXPECT_EQ(body.size(), kMaxBodySize - 1);
    EXPECT_EQ(api.reads, 1024u + 1);  // the last chunk is one byte short, then the empty read
}

// ---- response headers ----

TEST(HttpRequest, ResponseHeadersAreTheRawBlockUpToItsZero) {
    RecordingInternet api;
    api.headerReply = "HTTP/1.1 200 OK\r\nServer: t\r\n\r\n\0junk"s;
    Text headers = "old";
    HttpRequest(api, "h/", {}, {}, {}, {}, {}, headers);
    EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\nServer: t\r\n\r\n");
    EXPECT_EQ(api.headerBufferOnEntry, std::string(5000, ' '));
}

TEST(HttpRequest, ResponseHeadersThatDoNotFitLeaveFiveThousandSpaces) {
    RecordingInternet api;
    api.headerReply = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nX: " + std::string(4963, 'v');
    ASSERT_EQ(api.headerReply->size(), 5000u);  // no room left for the zero
    Text headers = "old";
    Text received = "old";
    EXPECT_EQ(HttpRequest(api, "h/", {}, {}, {}, received, {}, headers), "");
    EXPECT_EQ(headers, std::string(5000, ' '));
    EXPECT_EQ(received, "");
}

TEST(HttpRequest, ResponseHeadersOfExactlyTheBufferLessOneFit) {
    RecordingInternet api;
    api.headerReply = "HTTP/1.1 200 OK\r\nX: " + std::string(4999 - 20, 'v');
    ASSERT_EQ(api.headerReply->size(), 4999u);
    Text headers;
    HttpRequest(api, "h/", {}, {}, {}, {}, {}, headers);
    EXPECT_EQ(headers, *api.headerReply);
}

// ---- cookies received ----

Text cookiesFrom(const std::string& rawHeaders) {
    RecordingInternet api;
    api.headerReply = rawHeaders;
    Text received = "untouched";
    HttpRequest(api, "h/", {}, {}, {}, received);
    return received;
}

TEST(HttpRequest, SetCookieLinesGiveTheReceivedCookies) {
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nX: y\r\n"
                          "Set-Cookie: b=2\r\n\r\n"),
              "a=1; b=2");
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\n\r\n"), "");
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nSet-Cookie:  \xA1\xA1sp=1\xA1\xA1 \r\n"), "sp=1");
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nSet-Cookie: e=; Max-Age=0\r\n"), "e=");
}

TEST(HttpRequest, ACookieNeverCarriesALineBreakIntoTheNextRequest) {
    // A value ending in a byte of 0x80 or more must not join the next header line to it,
    // or a server could add a header line of its choosing to the next request.
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nSet-Cookie: a=\xB0\r\nX-Next: y\r\n"
                          "Set-Cookie: b=2\r\n"),
              "a=\xB0; b=2");
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nSet-Cookie: c=1\rX: 2\r\n"), "c=1X: 2");
}

TEST(HttpRequest, OnlyTheExactSetCookieNameCounts) {
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nset-cookie: a=1\r\nSET-COOKIE: b=2\r\n"
                          "X-Set-Cookie: c=3\r\nSet-Cookie:d=4\r\nSet-Cookie2: e=5\r\n"
                          "Set-Cookie: f=6\r\n"),
              "f=6");
}

TEST(HttpRequest, CookieWithoutSemicolonLosesEverySetCookieMarker) {
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nSet-Cookie: a=set-cookie:b\r\n"), "a=b");
    // With a ";" the value is cut between the first marker and the first ";".
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nSet-Cookie: a=Set-Cookie:b; c\r\n"),
              "a=Set-Cookie:b");
    // A value that is only a marker leaves an empty cookie, still separated.
    EXPECT_EQ(cookiesFrom("HTTP/1.1 200 OK\r\nSet-Cookie: Set-Cookie:\r\nSet-Cookie: z=1\r\n"),
              "; z=1");
}

TEST(HttpRequest, ReceivedCookiesMergeIntoTheCookiesSent) {
    RecordingInternet api;
    api.headerReply = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n";
    Text sent = "a=0; k=9";
    Text received;
    HttpRequest(api, "h/", {}, {}, sent, received);
    EXPECT_EQ(received, "a=1; b=2; k=9");
    EXPECT_EQ(sent, "a=1; b=2; k=9");  // the caller's list holds the merge too
    EXPECT_EQ(api.sentHeaders,
              "Accept: */*\r\nReferer: h/\r\nAccept-Language: zh-cn\r\nCookie: a=0; k=9");
}

TEST(HttpRequest, DeletedCookiesDropOutOfTheMerge) {
    RecordingInternet api;
    api.headerReply = "HTTP/1.1 200 OK\r\nSet-Cookie: k=deleted; expires=0\r\n\r\n";
    Text sent = "k=9; m=1";
    Text received;
    HttpRequest(api, "h/", {}, {}, sent, received);
    EXPECT_EQ(received, "m=1");
}

TEST(HttpRequest, EmptyCookiesGivenStillMerge) {
    RecordingInternet api;
    api.headerReply = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
    Text sent;
    Text received;
    HttpRequest(api, "h/", {}, {}, sent, received);
    EXPECT_EQ(received, "a=1");
    EXPECT_EQ(sent, "a=1");
}

TEST(HttpRequest, NoMergeWhenTurnedOffOrNoCookiesGiven) {
    RecordingInternet off;
    off.headerReply = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
    Text sent = "k=9";
    Text received;
    HttpRequest(off, "h/", {}, {}, sent, received, {}, {}, {}, {}, {}, false);
    EXPECT_EQ(received, "a=1");
    EXPECT_EQ(sent, "k=9");

    RecordingInternet notGiven;
    notGiven.headerReply = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
    Text alone;
    HttpRequest(notGiven, "h/", {}, {}, {}, alone, {}, {}, {}, {}, {}, true);
    EXPECT_EQ(alone, "a=1");
}

// ---- failures before sending ----

struct Outputs {
    Text sent = "s=1";
    Text received = "before";
    Text headers = "before";
    Bytes bytes;
};

Bytes requestWith(RecordingInternet& api, const Text& address, Outputs& out) {
    const Text text = "posted";
    return HttpRequest(api, address, 1, text, out.sent, out.received, {}, out.headers, {},
                       out.bytes);
}

void expectUntouched(const Outputs& out) {
    EXPECT_EQ(out.sent, "s=1");
    EXPECT_EQ(out.received, "before");
    EXPECT_EQ(out.headers, "before");
    EXPECT_EQ(out.bytes, "");
}

TEST(HttpRequest, InternetThatCannotOpenEndsAtOnce) {
    RecordingInternet api;
    api.openFails = true;
    Outputs out;
    EXPECT_EQ(requestWith(api, "h/", out), "");
    EXPECT_EQ(api.calls, (Calls{"open(\"" + kAgent + "\", 0, null, null, 0x0)"}));
    expectUntouched(out);
}

TEST(HttpRequest, ConnectionThatFailsClosesTheInternetHandle) {
    RecordingInternet api;
    api.connectFails = true;
    Outputs out;
    EXPECT_EQ(requestWith(api, "h:81/", out), "");
    EXPECT_EQ(api.calls,
              (Calls{"open(\"" + kAgent + "\", 0, null, null, 0x0)",
                     "connect(internet, \"h\", 81, null, null, 3, 0x0, 0)", "close(internet)"}));
    expectUntouched(out);
}

TEST(HttpRequest, RequestThatCannotOpenClosesConnectionThenInternet) {
    RecordingInternet api;
    api.openRequestFails = true;
    Outputs out;
    EXPECT_EQ(requestWith(api, "h/", out), "");
    EXPECT_EQ(api.calls,
              (Calls{"open(\"" + kAgent + "\", 0, null, null, 0x0)",
                     "connect(internet, \"h\", 80, null, null, 3, 0x0, 0)",
                     "openRequest(connection, \"POST\", \"/\", \"HTTP/1.1\", null, null, " +
                         hex(kPlainFlags | 0x80000) + ", 0)",
                     "close(connection)", "close(internet)"}));
    expectUntouched(out);
}

TEST(HttpRequest, PortOutsideSixteenBitsIsAFailedConnection) {
    for (const Text address :
         {"http://h:99999/", "http://h:65536/", "http://h:-1/", "https://h:4294967376/"}) {
        RecordingInternet api;
        Outputs out;
        EXPECT_EQ(requestWith(api, address, out), "") << address;
        EXPECT_EQ(api.calls,
                  (Calls{"open(\"" + kAgent + "\", 0, null, null, 0x0)", "close(internet)"}))
            << address;
        expectUntouched(out);
    }
}

TEST(HttpRequest, PortsAtTheEdgesOfTheRangeAreUsed) {
    RecordingInternet high;
    HttpRequest(high, "http://h:65535/");
    EXPECT_EQ(high.calls.at(1), "connect(internet, \"h\", 65535, null, null, 3, 0x0, 0)");
    RecordingInternet zero;
    HttpRequest(zero, "http://h:0/");
    EXPECT_EQ(zero.calls.at(1), "connect(internet, \"h\", 0, null, null, 3, 0x0, 0)");
}

TEST(HttpRequest, CompleteExchangeWritesEveryOutput) {
    RecordingInternet api;
    api.chunks = {"ok"};
    api.headerReply = "HTTP/1.1 201 Created\r\nSet-Cookie: n=1\r\n\r\n"s;
    Outputs out;
    EXPECT_EQ(requestWith(api, "h/", out), "ok");
    EXPECT_EQ(out.bytes, "posted");
    EXPECT_EQ(out.headers, "HTTP/1.1 201 Created\r\nSet-Cookie: n=1\r\n\r\n");
    EXPECT_EQ(out.received, "n=1; s=1");
    EXPECT_EQ(out.sent, "n=1; s=1");
}

// ---- the plain text fetch ----

TEST(HttpGetText, IsAPlainGetCutAtTheFirstZero) {
    RecordingInternet api;
    api.chunks = {"<p>page\0after"s, "more"};
    EXPECT_EQ(HttpGetText(api, "http://srv/page"), "<p>page");
    EXPECT_EQ(api.calls,
              exchangeCalls(kAgent, "srv", 80, "GET", "/page", kPlainFlags,
                            "sendRequest(request, \"Accept: */*\\r\\nReferer: "
                            "http://srv/page\\r\\nAccept-Language: zh-cn\", 61, null, 0)",
                            {13, 4}));
}

TEST(HttpGetText, StopsReadingOnceGivenUp) {
    RecordingInternet api;
    api.chunks = {"one", "two", "three"};
    int pieces = 0;
    const RequestBounds bounds{std::chrono::seconds(60), [&] { return ++pieces > 2; }};
    EXPECT_EQ(HttpGetText(api, "http://srv/page", bounds), "onetwo");
    EXPECT_EQ(api.calls.back(), "close(internet)");
}

// ---- the page request ----

const std::string kFreshCopy =
    "If-Modified-Since: Thu, 01 Jan 1970 00:00:00 GMT\\r\\nCache-Control: no-cache\\r\\n"
    "Pragma: no-cache\\r\\n";

TEST(RequestPage, IsOneGetWithTheUsersSettingsAndNoCache) {
    RecordingInternet api;
    api.chunks = {"<p>page", "\0tail"s};
    api.contentTypeReply = "text/html; charset=UTF-8";
    EXPECT_EQ(RequestPage(api, " HTTP://Shop.example/a?q=1"), std::nullopt);
    EXPECT_TRUE(api.calls.empty());  // a blank before the scheme: not an address of the web

    const std::optional<PageResponse> answer = RequestPage(api, "HTTP://Shop.example:81/a?q=1#f");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->body, "<p>page\0tail"s);
    EXPECT_EQ(answer->contentType, "text/html; charset=UTF-8");
    // Reload, nothing written to the cache, no dialog, redirects followed by the caller;
    // no certificate problem let through; the fragment stays at home.
    Calls expected = {"open(\"" + kAgent + "\", 0, null, null, 0x0)",
                      "connect(internet, \"shop.example\", 81, null, null, 3, 0x0, 0)",
                      "openRequest(connection, \"GET\", \"/a?q=1\", \"HTTP/1.1\", null, null, "
                      "0x84200200, 0)"};
    expected.insert(expected.end(), kTimeouts.begin(), kTimeouts.end());
    for (const char* call : {"sendRequest(request, \"", "queryInfo(request, 536870931, 4, null)",
                             "queryInfo(request, 1, 8192, null)", "queryDataAvailable(request)",
                             "readFile(request, 7)", "queryDataAvailable(request)",
                             "readFile(request, 5)", "queryDataAvailable(request)",
                             "close(request)", "close(connection)", "close(internet)"}) {
        expected.push_back(call);
    }
    expected[7] += kFreshCopy + "\", 93, null, 0)";
    EXPECT_EQ(api.calls, expected);
    EXPECT_EQ(api.sentHeaders,
              "If-Modified-Since: Thu, 01 Jan 1970 00:00:00 GMT\r\nCache-Control: no-cache\r\n"
              "Pragma: no-cache\r\n");

    RecordingInternet secure;
    RequestPage(secure, "https://h/");
    EXPECT_EQ(secure.calls.at(2),
              "openRequest(connection, \"GET\", \"/\", \"HTTP/1.1\", null, null, 0x84A00200, 0)");
}

TEST(RequestPage, RedirectsAreFollowedUpToTwentyAndALoopIsNoAnswer) {
    RecordingInternet api;
    api.redirects = {{301, "https://other.example/x/y?z#frag"},
                     {302, "../up"},
                     {307, "/root"},
                     {200, "/not-a-redirect"}};
    api.chunks = {"arrived"};
    const std::optional<PageResponse> page = RequestPage(api, "http://first.example/");
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->body, "arrived");
    Calls asked;
    for (const std::string& call : api.calls) {
        if (call.starts_with("connect(") || call.starts_with("openRequest(")) {
            asked.push_back(call.substr(0, call.find(", null")));
        }
    }
    EXPECT_EQ(asked, (Calls{"connect(internet, \"first.example\", 80",
                            "openRequest(connection, \"GET\", \"/\", \"HTTP/1.1\"",
                            "connect(internet, \"other.example\", 443",
                            "openRequest(connection, \"GET\", \"/x/y?z\", \"HTTP/1.1\"",
                            "connect(internet, \"other.example\", 443",
                            "openRequest(connection, \"GET\", \"/x/../up\", \"HTTP/1.1\"",
                            "connect(internet, \"other.example\", 443",
                            "openRequest(connection, \"GET\", \"/root\", \"HTTP/1.1\""}));
    // Each hop's request and connection are closed before the next are opened.
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "close(request)"), 4);
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "close(connection)"), 4);

    RecordingInternet loop;
    for (int i = 0; i < 21; ++i) loop.redirects.push_back({302, "/loop"});
    EXPECT_EQ(RequestPage(loop, "http://h/"), std::nullopt);
    EXPECT_EQ(
        std::count_if(loop.calls.begin(), loop.calls.end(),
                      [](const std::string& call) { return call.starts_with("sendRequest("); }),
        21);
    EXPECT_EQ(loop.calls.back(), "close(internet)");
}

TEST(RequestPage, LocationsResolveAgainstTheAddress) {
    const std::pair<const char*, const char*> cases[][2] = {
        {{"http://h/a/b?q#f", "https://x/y"}, {"https://x/y", ""}},
        {{"http://h/a/b?q#f", "HTTP://x"}, {"HTTP://x", ""}},
        {{"https://h:8443/a/b", "//cdn.example/p"}, {"https://cdn.example/p", ""}},
        {{"http://h:81/a/b?q", "/root?r"}, {"http://h:81/root?r", ""}},
        {{"http://h?q=1", "/p"}, {"http://h/p", ""}},
        {{"http://h/a/b?q", "c"}, {"http://h/a/c", ""}},
        {{"http://h", "c"}, {"http://h/c", ""}},
        {{"http://h/a/b?q", "?r"}, {"http://h/a/b?r", ""}},
        {{"http://h#top", "?r"}, {"http://h/?r", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveLocation(c[0].first, c[0].second), c[1].first)
            << c[0].first << " + " << c[0].second;
    }
}

TEST(RequestPage, OnlyWebAddressesAreAskedFor) {
    for (const char* address : {"", "file:///c:/windows/win.ini", "javascript:", "shop.example/a",
                                "ftp://shop.example/", "http:/shop.example", "https:"}) {
        RecordingInternet api;
        EXPECT_EQ(RequestPage(api, address), std::nullopt) << address;
        EXPECT_TRUE(api.calls.empty()) << address;
    }
    for (const char* address : {"http://h", "https://h:8443/x", "hTTpS://h"}) {
        RecordingInternet api;
        EXPECT_TRUE(RequestPage(api, address).has_value()) << address;
    }
}

TEST(RequestPage, FailuresAreNoAnswerAndCloseWhatWasOpened) {
    RecordingInternet cannotOpen;
    cannotOpen.openFails = true;
    EXPECT_EQ(RequestPage(cannotOpen, "http://h/"), std::nullopt);
    EXPECT_EQ(cannotOpen.calls.size(), 1u);

    for (const char* port : {"99999", "65536", "-1"}) {
        RecordingInternet badPort;
        EXPECT_EQ(RequestPage(badPort, std::string("http://h:") + port + "/"), std::nullopt);
        EXPECT_EQ(badPort.calls.back(), "close(internet)");
        EXPECT_EQ(badPort.calls.size(), 2u);
    }

    RecordingInternet noAnswer;
    noAnswer.sendFails = true;
    noAnswer.chunks = {"never"};
    EXPECT_EQ(RequestPage(noAnswer, "http://h/"), std::nullopt);
    EXPECT_EQ(noAnswer.reads, 0u);
    EXPECT_EQ(noAnswer.calls.back(), "close(internet)");

    RecordingInternet noConnection;
    noConnection.connectFails = true;
    EXPECT_EQ(RequestPage(noConnection, "http://h/"), std::nullopt);
    EXPECT_EQ(noConnection.calls.back(), "close(internet)");

    // No Content-Type header: an empty one, the body all the same.
    RecordingInternet bare;
    bare.chunks = {"x"};
    const std::optional<PageResponse> page = RequestPage(bare, "http://h/");
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->body, "x");
    EXPECT_EQ(page->contentType, "");
}

TEST(RequestPage, GivenUpOrOutOfTimeStopsBetweenPieces) {
    RecordingInternet givenUp;
    givenUp.chunks = {"a", "b", "c"};
    int checks = 0;
    EXPECT_EQ(
        RequestPage(givenUp, "http://h/", {std::chrono::seconds(60), [&] { return ++checks > 1; }}),
        std::nullopt);
    EXPECT_EQ(givenUp.reads, 1u);
    EXPECT_EQ(givenUp.calls.back(), "close(internet)");

    // Past its own time, no further piece is read, and what came is the page.
    RecordingInternet late;
    late.chunks = {"a", "b"};
    const std::optional<PageResponse> page =
        RequestPage(late, "http://h/", {std::chrono::milliseconds(0), {}});
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->body, "");
    EXPECT_EQ(late.reads, 0u);
}

TEST(RequestPage, BodyStopsAtTheCap) {
    RecordingInternet api;
    api.reader = [](char* buffer, uint32_t size) -> uint32_t {
        std::memset(buffer, 'e', size);
        return size;
    };
    const std::optional<PageResponse> page = RequestPage(api, "http://h/");
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->body.size(), kMaxBodySize);
    EXPECT_EQ(api.reads, kMaxBodySize / kReadChunkSize);
}

}  // namespace
}  // namespace pagorin::fetch
