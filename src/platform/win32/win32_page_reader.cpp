// FetchPageText over the worker's XmlHttpObject.
#include "platform/win32/win32_page_reader.h"

#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/xml_http_object.h"

namespace pagorin::platform {
namespace {

class Win32PageReader : public monitor::PageReader {
public:
    monitor::Text read(std::string_view address) override {
        static const fetch::PageFetchServices services{
            [](std::string_view url) { return fetch::HttpGetText(fetch::Text(url)); },
            [](std::string_view utf8) { return Utf8ToGbk(utf8); },
        };
        return fetch::FetchPageText(address, http_, services);
    }

private:
    XmlHttpObject http_;  // made on the worker's thread with the reader, and released there
};

}  // namespace

std::unique_ptr<monitor::PageReader> Win32PageReaderFactory::create() {
    return std::make_unique<Win32PageReader>();
}

}  // namespace pagorin::platform
