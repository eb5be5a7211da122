// Fetching one large page from a server on loopback: the page fetch through the
// automation HTTP object, and the program's own client, each the best of several runs.
// Prints "name milliseconds" lines for the benchmark script to set beside curl.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/wininet_api.h"
#include "platform/win32/xml_http_object.h"

namespace {

template <typename Work>
double bestMilliseconds(int runs, Work&& work) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        best = ms < best ? ms : best;
    }
    return best;
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
    platform::XmlHttpObject http;
    const fetch::PageFetchServices services{
        [](std::string_view url) {
            return fetch::HttpGetText(platform::SystemInternetApi(), fetch::Text(url));
        },
        [](std::string_view utf8) { return platform::Utf8ToGbk(utf8); },
    };
    size_t fetchedSize = 0;
    size_t clientSize = 0;
    const double pageFetch = bestMilliseconds(
        10, [&] { fetchedSize = fetch::FetchPageText(address, http, services).size(); });
    const double client = bestMilliseconds(10, [&] {
        clientSize = fetch::HttpGetText(platform::SystemInternetApi(), address).size();
    });
    if (fetchedSize != expected || clientSize != expected) {
        std::fprintf(stderr, "fetched %zu and %zu bytes, expected %zu\n", fetchedSize, clientSize,
                     expected);
        return 1;
    }
    std::printf("FetchPageText %.2f\nHttpGetText %.2f\n", pageFetch, client);
    return 0;
}
