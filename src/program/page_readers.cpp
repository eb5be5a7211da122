// FetchPageText over the system Internet library. Each request runs on a thread of its
// own: the worker waits for it up to the time limit or the run's stop, and a request
// given up ends by itself within its bounds.
#include "program/page_readers.h"

#include <type_traits>

#include "adapters/win32/wininet_api.h"
#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "fetch/page_request.h"
#include "threads/time_limited_call.h"
#include "win32/code_page.h"

namespace pagorin::program {
namespace {

class Win32PageReader : public monitor::PageReader {
  public:
    Win32PageReader(monitor::StopToken& stop, std::chrono::milliseconds timeLimit)
        : stopped_([&stop] { return stop.stopRequested(); }), timeLimit_(timeLimit) {}

  private:
    // `request` of `url` on a call thread of its own, waited for up to the limit or the
    // stop; what a failed request gives (no answer, the empty text) when it is given up.
    template <typename Request>
    auto onCallThread(std::string_view url, Request request) const {
        using Result = std::invoke_result_t<Request, const fetch::Text&, fetch::RequestBounds>;
        return threads::TimeLimitedCall<Result>(timeLimit_)
            .run(
                [url = fetch::Text(url), limit = timeLimit_, request](const auto& givenUp) {
                    return request(url, fetch::RequestBounds{limit, givenUp});
                },
                stopped_)
            .value_or(Result{});
    }

  public:
    monitor::Text read(std::string_view address) override {
        const fetch::PageFetchServices services{
            [this](std::string_view url) {
                return onCallThread(url, [](const fetch::Text& page, const auto& bounds) {
                    return fetch::RequestPage(adapters::SystemInternetApi(), page, bounds);
                });
            },
            [this](std::string_view url) {
                return onCallThread(url, [](const fetch::Text& page, const auto& bounds) {
                    return fetch::HttpGetText(adapters::SystemInternetApi(), page, bounds);
                });
            },
            [](std::string_view utf8) { return win32::Utf8ToGbk(utf8); },
        };
        return fetch::FetchPageText(address, services);
    }

  private:
    std::function<bool()> stopped_;
    std::chrono::milliseconds timeLimit_;
};

}  // namespace

std::unique_ptr<monitor::PageReader> Win32PageReaderFactory::create(monitor::StopToken& stop) {
    return std::make_unique<Win32PageReader>(stop, timeLimit_);
}

}  // namespace pagorin::program
