// Fetching one large page from a server on loopback: the page fetch as a worker makes it
// (the page request on a thread of its own), and the program's own client, each the best
// of several runs, beside the platform's floor measured in the same run: a bare WinInet
// GET of the address reading 64 KiB at a time, and the client's own WinInet calls made
// bare.
// Prints "name milliseconds" lines for the benchmark script.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "adapters/win32/wininet_api.h"
#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "fetch/page_request.h"
#include "fetch/url_cookie.h"
#include "threads/time_limited_call.h"
#include "win32/code_page.h"

namespace {

double milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A plain WinInet GET with `flags`, reading 64 KiB at a time. Returns the body's size.
size_t bareWinInetGet(const std::string& address, DWORD flags) {
    HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet == nullptr) return 0;
    HINTERNET request = InternetOpenUrlA(internet, address.c_str(), nullptr, 0, flags, 0);
    size_t size = 0;
    if (request != nullptr) {
        std::vector<char> buffer(64 * 1024);
        DWORD read = 0;
        while (InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read) &&
               read > 0) {
            size += read;
        }
        InternetCloseHandle(request);
    }
    InternetCloseHandle(internet);
    return size;
}

// The client's own calls with nothing around them: a connection, a GET request with the
// client's flags, a send without headers, 64 KiB reads appended to the body a caller
// needs. Returns the body's size.
size_t bareSameCallsGet(const std::string& host, INTERNET_PORT port, const std::string& path) {
    HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (internet == nullptr) return 0;
    size_t size = 0;
    HINTERNET connection = InternetConnectA(internet, host.c_str(), port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (connection != nullptr) {
        HINTERNET request = HttpOpenRequestA(
            connection, "GET", path.c_str(), "HTTP/1.1", nullptr, nullptr,
            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS,
            0);
        if (request != nullptr && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
            std::vector<char> buffer(64 * 1024);
            std::string body;
            DWORD read = 0;
            while (InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    &read) &&
                   read > 0) {
                body.append(buffer.data(), read);
            }
            size = body.size();
        }
        if (request != nullptr) InternetCloseHandle(request);
        InternetCloseHandle(connection);
    }
    InternetCloseHandle(internet);
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pagorin;
    if (argc < 3) {
        std::fprintf(stderr, "usage: fetch_bench ADDRESS EXPECTED_BYTES\n");
        return 2;
    }
    const std::string address = argv[1];
    const size_t expected = std::stoul(argv[2]);
    // The worker's way: each request on a call thread, waited for up to the limit.
    const threads::TimeLimitedCall<std::optional<fetch::PageResponse>> calls(fetch::kPageTimeLimit);
    const auto never = [] { return false; };
    const fetch::PageFetchServices services{
        [&](std::string_view url) {
            return calls
                .run(
                    [url = std::string(url)](const auto& givenUp) {
                        return fetch::RequestPage(adapters::SystemInternetApi(), url,
                                                  {fetch::kPageTimeLimit, givenUp});
                    },
                    never)
                .value_or(std::nullopt);
        },
        [](std::string_view url) {
            return fetch::HttpGetText(adapters::SystemInternetApi(), fetch::Text(url));
        },
        [](std::string_view utf8) { return win32::Utf8ToGbk(utf8); },
    };
    // The client connects, opens and sends, with flags that ask for a cache file: the same
    // calls made bare are the floor of what the platform does for that sequence.
    const std::string host = fetch::UrlHost(address, false);
    const auto port = static_cast<INTERNET_PORT>(fetch::UrlPort(address));
    const std::string path = fetch::UrlPath(address);
    size_t fetchedSize = 0, clientSize = 0, bareWinInetSize = 0, bareSameCallsSize = 0;
    const std::function<void()> works[] = {
        [&] { fetchedSize = fetch::FetchPageText(address, services).size(); },
        [&] { clientSize = fetch::HttpGetText(adapters::SystemInternetApi(), address).size(); },
        [&] {
            bareWinInetSize =
                bareWinInetGet(address, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE);
        },
        [&] { bareSameCallsSize = bareSameCallsGet(host, port, path); },
    };
    // Round by round, each GET once, so a drift in the machine or in the platform's cache
    // over the run weighs on every row alike.
    double best[std::size(works)];
    std::fill(std::begin(best), std::end(best), 1e300);
    for (int round = 0; round < 10; ++round) {
        for (size_t work = 0; work < std::size(works); ++work) {
            best[work] = std::min(best[work], milliseconds(works[work]));
        }
    }
    const double pageFetch = best[0], client = best[1], bareWinInet = best[2],
                 bareSameCalls = best[3];
    for (size_t size : {fetchedSize, clientSize, bareWinInetSize, bareSameCallsSize}) {
        if (size != expected) {
            std::fprintf(stderr, "fetched %zu bytes, expected %zu\n", size, expected);
            return 1;
        }
    }
    std::printf(
        "FetchPageText %.2f %.2f\nHttpGetText %.2f %.2f\nHttpGetText-same-calls %.2f %.2f\n",
        pageFetch, bareWinInet, client, bareWinInet, client, bareSameCalls);
    return 0;
}
