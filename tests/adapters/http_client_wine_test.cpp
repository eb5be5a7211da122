// The program's HTTP client through the real Windows Internet library against a server
// on 127.0.0.1 in the same process: the bytes each request puts on the wire and what
// comes back for bodies, headers, cookies, errors and refused connections.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "adapters/win32/wininet_api.h"
#include "fetch/http_request.h"
#include "support/loopback_server.h"

namespace pagorin::fetch {
namespace {

using namespace std::string_literals;
using test_support::HeaderLines;
using test_support::HeaderValue;
using test_support::LoopbackServer;
using test_support::RecordedRequest;

const std::string kAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// Headers the Internet library adds by itself; every other line is the program's.
bool addedByTheLibrary(const std::string& line) {
    for (const char* name :
         {"Host:", "Connection:", "Cache-Control:", "Pragma:", "Content-Length:"}) {
        if (line.starts_with(name)) return true;
    }
    return false;
}

std::vector<std::string> programLines(const RecordedRequest& request) {
    std::vector<std::string> lines;
    for (const std::string& line : HeaderLines(request.headerBlock)) {
        if (!addedByTheLibrary(line)) lines.push_back(line);
    }
    return lines;
}

class LoopbackClientTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.listening()); }

    // Answers on the server's threads; set before the request is made.
    std::function<std::string(const RecordedRequest&)> reply = [](const RecordedRequest&) {
        return LoopbackServer::Response(200, "OK", "Content-Type: text/plain\r\n", "hello");
    };
    LoopbackServer server{[this](const RecordedRequest& request) { return reply(request); }};

    RecordedRequest onlyRequest() const {
        const auto requests = server.requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? RecordedRequest{} : requests.front();
    }
};

TEST_F(LoopbackClientTest, GetTextSendsTheStandardHeadersAndNothingElseOfItsOwn) {
    const Text address = server.address("/hello?x=1");
    EXPECT_EQ(HttpGetText(adapters::SystemInternetApi(), address), "hello");
    const RecordedRequest request = onlyRequest();
    EXPECT_EQ(request.requestLine, "GET /hello?x=1 HTTP/1.1");
    EXPECT_EQ(programLines(request),
              (std::vector<std::string>{"User-Agent: " + kAgent, "Accept: */*",
                                        "Referer: " + address, "Accept-Language: zh-cn"}));
    EXPECT_EQ(HeaderValue(request.headerBlock, "Host"),
              "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_EQ(request.body, "");
}

TEST_F(LoopbackClientTest, PostTextIsWrittenIntoTheBytesVariableAndSentWithItsType) {
    const Text text = "name=%D6%D0&n=1";
    Bytes bytes;
    Text headers;
    const Bytes body = HttpRequest(adapters::SystemInternetApi(), server.address("/form"),
                                   kMethodPost, text, {}, {}, {}, headers, {}, bytes);
    EXPECT_EQ(body, "hello");
    EXPECT_EQ(bytes, text);
    const RecordedRequest request = onlyRequest();
    EXPECT_EQ(request.requestLine, "POST /form HTTP/1.1");
    EXPECT_EQ(request.body, text);
    EXPECT_EQ(HeaderValue(request.headerBlock, "Content-Type"),
              "application/x-www-form-urlencoded");
    EXPECT_EQ(HeaderValue(request.headerBlock, "Content-Length"), "15");
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
}

TEST_F(LoopbackClientTest, BodyBytesWithZerosAreSentWhole) {
    const Bytes sent = "\x01\0\xFF\0end"s;
    Bytes bytes = sent;
    const Text text = "not this";
    HttpRequest(adapters::SystemInternetApi(), server.address("/put"), kMethodPut, text, {}, {}, {},
                {}, {}, bytes);
    const RecordedRequest request = onlyRequest();
    EXPECT_EQ(request.requestLine, "PUT /put HTTP/1.1");
    EXPECT_EQ(request.body, sent);
    EXPECT_EQ(HeaderValue(request.headerBlock, "Content-Type"), "");  // only for POST
}

TEST_F(LoopbackClientTest, EachMethodNumberGoesOutAsItsVerb) {
    const char* verbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE"};
    for (int method = 0; method < 7; ++method) {
        HttpRequest(adapters::SystemInternetApi(), server.address("/m"), method);
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 7u);
    for (int method = 0; method < 7; ++method) {
        EXPECT_EQ(requests[static_cast<size_t>(method)].requestLine,
                  std::string(verbs[method]) + " /m HTTP/1.1");
    }
}

TEST_F(LoopbackClientTest, MethodNumbersOutOfRangeAreSentAsGetWithoutBody) {
    const Text text = "x=1";
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/nine"), 9, text),
              "hello");
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/minus"), -1, text),
              "hello");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine, "GET /nine HTTP/1.1");
    EXPECT_EQ(requests[1].requestLine, "GET /minus HTTP/1.1");
    for (const RecordedRequest& request : requests) {
        EXPECT_EQ(request.body, "");
        EXPECT_EQ(HeaderValue(request.headerBlock, "Content-Type"), "");
    }
}

TEST_F(LoopbackClientTest, WithoutCompletionNoHeaderTextIsSent) {
    HttpRequest(adapters::SystemInternetApi(), server.address("/bare"), {}, {}, {}, {}, {}, {}, {},
                {}, {}, {}, false);
    // Only the agent given when opening remains, and the library sends that itself.
    EXPECT_EQ(programLines(onlyRequest()), (std::vector<std::string>{"User-Agent: " + kAgent}));
}

TEST_F(LoopbackClientTest, ExtraHeaderNamesAreNormalisedAndTheirAgentIsUsed) {
    const Text extra = "x-trace-id: 42\r\nuser-agent: Probe/1.0\r\naccept: text/html";
    HttpRequest(adapters::SystemInternetApi(), server.address("/x"), {}, {}, {}, {}, extra);
    const RecordedRequest request = onlyRequest();
    const auto lines = programLines(request);
    EXPECT_EQ(HeaderValue(request.headerBlock, "User-Agent"), "Probe/1.0");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "X-Trace-Id: 42"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Accept: text/html"), lines.end());
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("Accept:"); }),
              1);
    EXPECT_EQ(HeaderValue(request.headerBlock, "Accept-Language"), "zh-cn");
}

TEST_F(LoopbackClientTest, NamesKeptAsWrittenWhenNormalisingIsOff) {
    const Text extra = "x-lower-case: 1";
    HttpRequest(adapters::SystemInternetApi(), server.address("/x"), {}, {}, {}, {}, extra, {}, {},
                {}, {}, {}, false, false);
    const auto lines = programLines(onlyRequest());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "x-lower-case: 1"), lines.end());
}

TEST_F(LoopbackClientTest, CookiesAreSentReceivedAndMerged) {
    reply = [](const RecordedRequest&) {
        return LoopbackServer::Response(200, "OK", "Set-Cookie: b=3; Path=/\r\nSet-Cookie: c=4\r\n",
                                        "ok");
    };
    Text sent = "a=1; b=2";
    Text received;
    Text headers;
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/c"), {}, {}, sent,
                          received, {}, headers),
              "ok");
    EXPECT_EQ(HeaderValue(onlyRequest().headerBlock, "Cookie"), "a=1; b=2");
    EXPECT_EQ(received, "b=3; c=4; a=1");
    EXPECT_EQ(sent, "b=3; c=4; a=1");
    EXPECT_NE(headers.find("\r\nSet-Cookie: b=3; Path=/\r\n"), std::string::npos) << headers;
}

TEST_F(LoopbackClientTest, CookiesGivenEvenEmptyKeepTheSystemCookieStoreOut) {
    reply = [](const RecordedRequest& request) {
        if (request.requestLine.starts_with("GET /set ")) {
            return LoopbackServer::Response(200, "OK", "Set-Cookie: jar=1; Path=/\r\n", "set");
        }
        return LoopbackServer::Response(200, "OK", "", "seen");
    };
    // Without cookies of its own the request lets the system keep and send the cookie...
    HttpRequest(adapters::SystemInternetApi(), server.address("/set"));
    HttpRequest(adapters::SystemInternetApi(), server.address("/store"));
    // ...and with them, given even empty, it does not.
    Text none;
    HttpRequest(adapters::SystemInternetApi(), server.address("/own"), {}, {}, none);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(HeaderValue(requests[1].headerBlock, "Cookie"), "jar=1");
    EXPECT_EQ(HeaderValue(requests[2].headerBlock, "Cookie"), "");
}

TEST_F(LoopbackClientTest, HeaderBlockOverFiveThousandBytesLeavesSpaces) {
    // Many ordinary lines: the library cuts single lines that are very long.
    reply = [](const RecordedRequest&) {
        std::string lines = "Set-Cookie: big=1\r\n";
        for (int i = 0; i < 10; ++i) {
            lines += "X-Filler-" + std::to_string(i) + ": " + std::string(600, 'f') + "\r\n";
        }
        return LoopbackServer::Response(200, "OK", lines, "body after big headers");
    };
    Text headers = "before";
    Text received = "before";
    const Bytes body = HttpRequest(adapters::SystemInternetApi(), server.address("/big"), {}, {},
                                   {}, received, {}, headers);
    EXPECT_EQ(body, "body after big headers");
    EXPECT_EQ(headers, std::string(5000, ' '));
    EXPECT_EQ(received, "");
}

// The raw block of an answer whose extra lines make it exactly `size` bytes long.
std::string answerWithHeaderBlockOf(size_t size) {
    std::string lines;
    for (int i = 0; i < 9; ++i)
        lines += "X-Pad-" + std::to_string(i) + ": " + std::string(500, 'p') + "\r\n";
    // Status line, Content-Length: 1, Connection: close and the empty line take 57.
    const size_t used = 57 + lines.size() + std::string("X-Last: \r\n").size();
    lines += "X-Last: " + std::string(size - used, 'l') + "\r\n";
    return LoopbackServer::Response(200, "OK", lines, "b");
}

TEST_F(LoopbackClientTest, HeaderBufferHoldsAtMostFourThousandNineHundredNinetyNineBytes) {
    reply = [](const RecordedRequest& request) {
        return answerWithHeaderBlockOf(request.requestLine.starts_with("GET /fits ") ? 4999 : 5000);
    };
    Text headers;
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/fits"), {}, {}, {}, {},
                          {}, headers),
              "b");
    EXPECT_EQ(headers.size(), 4999u);
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\nX-Pad-0: ")) << headers.substr(0, 40);
    EXPECT_TRUE(headers.ends_with("\r\n\r\n"));
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/full"), {}, {}, {}, {},
                          {}, headers),
              "b");
    EXPECT_EQ(headers, std::string(5000, ' '));  // no room left for the terminating zero
}

TEST_F(LoopbackClientTest, HeaderBlockThatFitsIsReturnedRaw) {
    reply = [](const RecordedRequest&) {
        return LoopbackServer::Response(200, "OK", "X-Filler: " + std::string(4000, 'f') + "\r\n",
                                        "fits");
    };
    Text headers;
    HttpRequest(adapters::SystemInternetApi(), server.address("/fits"), {}, {}, {}, {}, {},
                headers);
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers.substr(0, 40);
    EXPECT_NE(headers.find("\r\nX-Filler: " + std::string(4000, 'f') + "\r\n"), std::string::npos);
    EXPECT_TRUE(headers.ends_with("\r\n\r\n"));
}

TEST_F(LoopbackClientTest, BodyWithZerosComesBackWholeAndTheTextStopsAtTheFirst) {
    const std::string page = "<p>before\0after\0"s + std::string(3000, 'z');
    reply = [page](const RecordedRequest&) {
        return LoopbackServer::Response(200, "OK", "", page);
    };
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/nul")), page);
    EXPECT_EQ(HttpGetText(adapters::SystemInternetApi(), server.address("/nul")), "<p>before");
}

TEST_F(LoopbackClientTest, ErrorPagesAreReturnedWithTheirStatus) {
    reply = [](const RecordedRequest& request) {
        if (request.requestLine.starts_with("GET /missing ")) {
            return LoopbackServer::Response(404, "Not Found", "", "no such page");
        }
        return LoopbackServer::Response(500, "Internal Server Error", "", "it broke");
    };
    Text headers;
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/missing"), {}, {}, {}, {},
                          {}, headers),
              "no such page");
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 404 Not Found\r\n")) << headers.substr(0, 40);
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/broken"), {}, {}, {}, {},
                          {}, headers),
              "it broke");
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 500 Internal Server Error\r\n"))
        << headers.substr(0, 40);
}

TEST_F(LoopbackClientTest, RedirectsAreFollowedUnlessRefused) {
    reply = [](const RecordedRequest& request) {
        if (request.requestLine.starts_with("GET /old ")) {
            return LoopbackServer::Response(302, "Found", "Location: /new\r\n", "moved");
        }
        return LoopbackServer::Response(200, "OK", "", "new place");
    };
    EXPECT_EQ(HttpGetText(adapters::SystemInternetApi(), server.address("/old")), "new place");
    Text headers;
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/old"), {}, {}, {}, {}, {},
                          headers, true),
              "moved");
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 302 Found\r\n")) << headers.substr(0, 40);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].requestLine, "GET /new HTTP/1.1");
    EXPECT_EQ(requests[2].requestLine, "GET /old HTTP/1.1");
}

TEST_F(LoopbackClientTest, LargeBodyArrivesExactly) {
    std::string page;
    for (int i = 0; page.size() < 5'000'000; ++i) page += "row " + std::to_string(i) + "\n";
    reply = [page](const RecordedRequest&) {
        return LoopbackServer::Response(200, "OK", "", page);
    };
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), server.address("/large")), page);
}

TEST_F(LoopbackClientTest, HttpProxyGetsTheWholeAddress) {
    const Text proxy = "127.0.0.1:" + std::to_string(server.port());
    const Bytes body = HttpRequest(adapters::SystemInternetApi(), "http://pagorin.invalid/via?q=1",
                                   {}, {}, {}, {}, {}, {}, {}, {}, proxy);
    EXPECT_EQ(body, "hello");
    // The library may write the default port into the address; nothing else changes.
    const std::string line = onlyRequest().requestLine;
    EXPECT_TRUE(line == "GET http://pagorin.invalid/via?q=1 HTTP/1.1" ||
                line == "GET http://pagorin.invalid:80/via?q=1 HTTP/1.1")
        << line;
}

TEST_F(LoopbackClientTest, PortBeyondSixteenBitsReachesNoServer) {
    // Cut to 16 bits this would be the server's own port.
    const Text address = "http://127.0.0.1:" + std::to_string(server.port() + 65536) + "/wrapped";
    Text headers = "untouched";
    EXPECT_EQ(HttpRequest(adapters::SystemInternetApi(), address, {}, {}, {}, {}, {}, headers), "");
    EXPECT_EQ(headers, "untouched");
    EXPECT_TRUE(server.requests().empty());
}

// A port that nothing listens on: one just released by a socket of our own.
uint16_t closedPort() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof local;
    uint16_t port = 0;
    if (bind(probe, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&local), &size) == 0) {
        port = ntohs(local.sin_port);
    }
    closesocket(probe);
    WSACleanup();
    return port;
}

TEST(HttpClientUnreachable, RefusedConnectionGivesNothingQuickly) {
    const uint16_t port = closedPort();
    ASSERT_NE(port, 0);
    const auto start = std::chrono::steady_clock::now();
    Text headers;
    const Bytes body =
        HttpRequest(adapters::SystemInternetApi(), "http://127.0.0.1:" + std::to_string(port) + "/",
                    {}, {}, {}, {}, {}, headers);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(body, "");
    EXPECT_EQ(headers.find("HTTP/"), std::string::npos) << headers.substr(0, 40);
    EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST(WinInetBinding, DefaultIsTheSystemLibraryFullyBound) {
    auto* api = dynamic_cast<adapters::WinInetApi*>(&adapters::SystemInternetApi());
    ASSERT_NE(api, nullptr);
    EXPECT_TRUE(api->bound());
    EXPECT_EQ(&adapters::SystemInternetApi(), &adapters::SystemInternetApi());  // loaded once
}

TEST(WinInetBinding, MissingLibraryOrFunctionsMakeEveryCallFail) {
    for (const wchar_t* library : {L"pagorin-no-such-library.dll", L"kernel32.dll"}) {
        adapters::WinInetApi api(library);
        EXPECT_FALSE(api.bound());
        EXPECT_EQ(api.open("agent", 1, nullptr, nullptr, 0), nullptr);
        uint32_t count = 77;
        char buffer[4];
        EXPECT_FALSE(api.readFile(nullptr, buffer, sizeof buffer, &count));
        EXPECT_EQ(count, 0u);
        count = 77;
        EXPECT_FALSE(api.queryDataAvailable(nullptr, &count));
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(HttpRequest(api, "http://127.0.0.1:1/"), "");
    }
}

}  // namespace
}  // namespace pagorin::fetch
