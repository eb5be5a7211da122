// FetchPageText over the worker's XmlHttpObject, which gives a request up at the run's
// stop.
#include "platform/win32/win32_page_reader.h"

#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "platform/win32/text_encoding.h"

namespace pagorin::platform {
namespace {

class Win32PageReader : public monitor::PageReader {
public:
    Win32PageReader(monitor::StopToken& stop, FetchLimits limits)
        : http_(XmlHttpObject::CreateDefault, [&stop] { return stop.stopRequested(); }, limits),
          // A stop wakes the request's wait on this thread at once.
          wake_(stop.onStop([thread = GetCurrentThreadId()] {
              PostThreadMessageW(thread, WM_NULL, 0, 0);
          })) {}

    monitor::Text read(std::string_view address) override {
        static const fetch::PageFetchServices services{
            [](std::string_view url) { return fetch::HttpGetText(fetch::Text(url)); },
            [](std::string_view utf8) { return Utf8ToGbk(utf8); },
        };
        return fetch::FetchPageText(address, http_, services);
    }

private:
    XmlHttpObject http_;  // made on the worker's thread with the reader, and released there
    monitor::StopToken::Registration wake_;
};

}  // namespace

std::unique_ptr<monitor::PageReader> Win32PageReaderFactory::create(monitor::StopToken& stop) {
    return std::make_unique<Win32PageReader>(stop, limits_);
}

}  // namespace pagorin::platform
