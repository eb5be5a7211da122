// FetchPageText over the worker's XmlHttpObject; both it and the refetches give a
// request up at the run's stop or the time limit.
#include "platform/win32/win32_page_reader.h"

#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "fetch/time_limited_call.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/wininet_api.h"

namespace pagorin::platform {
namespace {

class Win32PageReader : public monitor::PageReader {
  public:
    Win32PageReader(monitor::StopToken& stop, FetchLimits limits)
        : stopped_([&stop] { return stop.stopRequested(); }),
          http_(XmlHttpObject::CreateDefault, stopped_, limits),
          refetch_(limits.time) {}

    monitor::Text read(std::string_view address) override {
        const fetch::PageFetchServices services{
            [this](std::string_view url) {
                return refetch_
                    .run([url = fetch::Text(
                              url)] { return fetch::HttpGetText(SystemInternetApi(), url); },
                         stopped_)
                    .value_or(fetch::Text());
            },
            [](std::string_view utf8) { return Utf8ToGbk(utf8); },
        };
        return fetch::FetchPageText(address, http_, services);
    }

  private:
    std::function<bool()> stopped_;
    XmlHttpObject http_;
    // The UTF-8 refetches through the program's own client, which has no limit of its own.
    fetch::TimeLimitedCall<fetch::Text> refetch_;
};

}  // namespace

std::unique_ptr<monitor::PageReader> Win32PageReaderFactory::create(monitor::StopToken& stop) {
    return std::make_unique<Win32PageReader>(stop, limits_);
}

}  // namespace pagorin::platform
