// FetchPageText over the system Internet library. Each request runs on a thread of its
// own: the worker waits for it up to the time limit or the run's stop, and a request
// given up ends by itself within its bounds.
#include "platform/win32/win32_page_reader.h"

#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "fetch/page_request.h"
#include "fetch/time_limited_call.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/wininet_api.h"

namespace pagorin::platform {
namespace {

class Win32PageReader : public monitor::PageReader {
  public:
    Win32PageReader(monitor::StopToken& stop, std::chrono::milliseconds timeLimit)
        : stopped_([&stop] { return stop.stopRequested(); }),
          timeLimit_(timeLimit),
          pageCalls_(timeLimit),
          textCalls_(timeLimit) {}

    monitor::Text read(std::string_view address) override {
        const fetch::PageFetchServices services{
            [this](std::string_view url) {
                return pageCalls_
                    .run(
                        [url = fetch::Text(url), limit = timeLimit_](const auto& givenUp) {
                            return fetch::RequestPage(SystemInternetApi(), url, {limit, givenUp});
                        },
                        stopped_)
                    .value_or(std::nullopt);
            },
            [this](std::string_view url) {
                return textCalls_
                    .run(
                        [url = fetch::Text(url), limit = timeLimit_](const auto& givenUp) {
                            return fetch::HttpGetText(SystemInternetApi(), url, {limit, givenUp});
                        },
                        stopped_)
                    .value_or(fetch::Text());
            },
            [](std::string_view utf8) { return Utf8ToGbk(utf8); },
        };
        return fetch::FetchPageText(address, services);
    }

  private:
    std::function<bool()> stopped_;
    std::chrono::milliseconds timeLimit_;
    fetch::TimeLimitedCall<std::optional<fetch::PageResponse>> pageCalls_;
    fetch::TimeLimitedCall<fetch::Text> textCalls_;
};

}  // namespace

std::unique_ptr<monitor::PageReader> Win32PageReaderFactory::create(monitor::StopToken& stop) {
    return std::make_unique<Win32PageReader>(stop, timeLimit_);
}

}  // namespace pagorin::platform
