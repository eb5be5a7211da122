// The program's HTTP client through the real Windows Internet library against nginx:
// HTTPS with a self-signed certificate, redirects within and across schemes, chunked and
// large bodies. tools/https-test-server.sh serves them; scripts/test passes its ports in
// PAGORIN_TEST_NGINX_HTTP_PORT and PAGORIN_TEST_NGINX_HTTPS_PORT.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "adapters/win32/wininet_api.h"
#include "fetch/http_request.h"

namespace pagorin::fetch {
namespace {

// The files the server script writes.
const std::string kPage = "plain page from the test server\n";

std::string largeBody() {
    std::string body;
    char line[64];
    for (int i = 1; i <= 200000; ++i) {
        std::snprintf(line, sizeof line, "line %07d of the large body\n", i);
        body += line;
    }
    return body;
}

std::string chunkedBody() {
    std::string body;
    for (int i = 1; i <= 3000; ++i) body += "chunk line " + std::to_string(i) + ": replaced\n";
    return body;
}

// A port from the environment: 0 when the variable is not set at all (the tests are then
// skipped), -1 when it is set to anything but a port (the server did not start).
int portFrom(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr) return 0;
    char* end = nullptr;
    const long port = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || port < 1 || port > 65535) return -1;
    return static_cast<int>(port);
}

class NginxClientTest : public testing::Test {
  protected:
    void SetUp() override {
        const int http = portFrom("PAGORIN_TEST_NGINX_HTTP_PORT");
        const int https = portFrom("PAGORIN_TEST_NGINX_HTTPS_PORT");
        if (http == 0 && https == 0) {
            GTEST_SKIP() << "no nginx test server given (scripts/test starts one)";
        }
        ASSERT_GT(http, 0) << "the nginx test server did not start";
        ASSERT_GT(https, 0) << "the nginx test server did not start";
        httpBase_ = "http://127.0.0.1:" + std::to_string(http);
        httpsBase_ = "https://127.0.0.1:" + std::to_string(https);
    }

    Text http(const std::string& path) const { return httpBase_ + path; }
    Text https(const std::string& path) const { return httpsBase_ + path; }

    static Bytes get(const Text& address, Text& headers, bool noRedirect = false) {
        return HttpRequest(adapters::SystemInternetApi(), address, {}, {}, {}, {}, {}, headers,
                           noRedirect);
    }

  private:
    std::string httpBase_;
    std::string httpsBase_;
};

TEST_F(NginxClientTest, PlainPage) {
    Text headers;
    EXPECT_EQ(get(http("/page.txt"), headers), kPage);
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
    EXPECT_NE(headers.find("\r\nContent-Length: 32\r\n"), std::string::npos) << headers;
}

TEST_F(NginxClientTest, HttpsWithASelfSignedCertificate) {
    Text headers;
    EXPECT_EQ(get(https("/page.txt"), headers), kPage);
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
    EXPECT_EQ(HttpGetText(adapters::SystemInternetApi(), https("/page.txt")), kPage);
}

TEST_F(NginxClientTest, SchemeInCapitalsIsStillHttps) {
    Text address = https("/page.txt");
    address.replace(0, 5, "HTTPS");
    EXPECT_EQ(HttpGetText(adapters::SystemInternetApi(), address), kPage);
}

TEST_F(NginxClientTest, PlainRequestToTheTlsPortIsRefusedByTheServer) {
    // The same port without "https://": no TLS, and nginx says so.
    Text address = https("/page.txt");
    address.replace(0, 5, "http");
    Text headers;
    const Bytes body = get(address, headers);
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 400 Bad Request\r\n")) << headers.substr(0, 60);
    EXPECT_NE(body.find("plain HTTP request was sent to HTTPS port"), std::string::npos) << body;
}

TEST_F(NginxClientTest, RedirectIsFollowedOrReturnedAsIs) {
    for (const Text& address : {http("/redirect"), https("/redirect")}) {
        Text headers;
        EXPECT_EQ(get(address, headers), kPage) << address;
        EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;

        const Bytes moved = get(address, headers, true);
        EXPECT_TRUE(headers.starts_with("HTTP/1.1 302 Moved Temporarily\r\n")) << headers;
        EXPECT_NE(headers.find("/page.txt\r\n"), std::string::npos) << headers;
        EXPECT_NE(moved.find("302 Found"), std::string::npos) << moved;
    }
}

TEST_F(NginxClientTest, RedirectsAcrossSchemesAreFollowed) {
    EXPECT_EQ(HttpGetText(adapters::SystemInternetApi(), http("/to-other")), kPage);  // to HTTPS
    EXPECT_EQ(HttpGetText(adapters::SystemInternetApi(), https("/to-other")),
              kPage);  // back to HTTP
}

TEST_F(NginxClientTest, ChunkedBodyArrivesDecoded) {
    const std::string expected = chunkedBody();
    for (const Text& address : {http("/chunked.txt"), https("/chunked.txt")}) {
        Text headers;
        EXPECT_EQ(get(address, headers), expected) << address;
        EXPECT_NE(headers.find("\r\nTransfer-Encoding: chunked\r\n"), std::string::npos) << headers;
        EXPECT_EQ(headers.find("Content-Length:"), std::string::npos) << headers;
    }
}

TEST_F(NginxClientTest, LargeBodyArrivesExactly) {
    const std::string expected = largeBody();
    ASSERT_EQ(expected.size(), 6'200'000u);
    Text headers;
    EXPECT_EQ(get(http("/large.txt"), headers), expected);
    EXPECT_EQ(get(https("/large.txt"), headers), expected);
}

TEST_F(NginxClientTest, MissingFileGivesTheServersErrorPage) {
    Text headers;
    const Bytes body = get(https("/no-such-file"), headers);
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 404 Not Found\r\n")) << headers;
    EXPECT_NE(body.find("404 Not Found"), std::string::npos) << body;
}

}  // namespace
}  // namespace pagorin::fetch
