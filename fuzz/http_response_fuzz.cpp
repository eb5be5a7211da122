// Fuzzes the HTTP client's handling of a response: the body read piece by piece, the raw
// header block (which may not fit its buffer) and the cookies taken from it, over a
// scripted stand-in for the system Internet calls that also checks how it is called.
//
// Input: an options byte, a chunk-size byte, length bytes for the address and for the
// cookies sent, two bytes (little-endian) for the header block's length, then the
// address, the cookies sent, the header block and the body, which takes the rest.
#include <algorithm>
#include <cstring>
#include <string>

#include "fetch/http_request.h"
#include "fuzz_support.h"

namespace {

using namespace pagorin;
using namespace pagorin::fuzz;
using fetch::InternetHandle;

// Options byte.
constexpr uint8_t kGiveSendCookies = 0x01;
constexpr uint8_t kDoNotMerge = 0x02;
constexpr uint8_t kPost = 0x04;
constexpr uint8_t kFailOpen = 0x08;
constexpr uint8_t kFailConnect = 0x10;
constexpr uint8_t kFailOpenRequest = 0x20;
constexpr uint8_t kFailReadAfterFirstChunk = 0x40;
// Spaces after the header block up to 4999 bytes, which fit the 5000-byte buffer with
// their terminating zero, or up to 5000 when the chunk-size byte is odd, which do not.
constexpr uint8_t kPadHeaders = 0x80;
// Serves the body again and again, forever: reading must stop at the cap. Not an input
// option, since every such run reads 64 MiB; the start-up check uses it once.
constexpr uint16_t kEndlessBody = 0x100;

constexpr uint32_t kRawHeadersCrLf = 22;  // the system's number for the raw CR LF headers
constexpr const char* kUntouched = "untouched";

class ScriptedInternet final : public fetch::InternetApi {
  public:
    ScriptedInternet(uint16_t options, size_t chunkSize, std::string_view headers,
                     std::string_view body)
        : options_(options), chunkSize_(chunkSize), headers_(headers), body_(body) {}

    InternetHandle open(const char* agent, uint32_t, const char*, const char*, uint32_t) override {
        FUZZ_CHECK(agent != nullptr && opened_.empty());
        return opened((options_ & kFailOpen) != 0 ? nullptr : &internet_);
    }
    InternetHandle connect(InternetHandle internet, const char* serverName, uint16_t, const char*,
                           const char*, uint32_t, uint32_t, uintptr_t) override {
        FUZZ_CHECK(internet == &internet_ && isOpen(&internet_) && serverName != nullptr);
        return opened((options_ & kFailConnect) != 0 ? nullptr : &connection_);
    }
    InternetHandle openRequest(InternetHandle connection, const char* verb, const char* objectName,
                               const char*, const char*, const char* const*, uint32_t,
                               uintptr_t) override {
        FUZZ_CHECK(connection == &connection_ && isOpen(&connection_));
        FUZZ_CHECK(verb != nullptr && objectName != nullptr && objectName[0] == '/');
        return opened((options_ & kFailOpenRequest) != 0 ? nullptr : &request_);
    }
    bool setOption(InternetHandle handle, uint32_t, const void* buffer, uint32_t) override {
        FUZZ_CHECK(handle == &request_ && isOpen(&request_) && buffer != nullptr);
        return true;
    }
    bool sendRequest(InternetHandle request, const char* headers, uint32_t headersLength,
                     const void* optional, uint32_t optionalLength) override {
        FUZZ_CHECK(request == &request_ && isOpen(&request_) && !sent_);
        FUZZ_CHECK((headers == nullptr) == (headersLength == 0));
        FUZZ_CHECK((optional == nullptr) == (optionalLength == 0));
        sent_ = true;
        return true;
    }
    bool readFile(InternetHandle file, void* buffer, uint32_t bytesToRead,
                  uint32_t* bytesRead) override {
        FUZZ_CHECK(file == &request_ && isOpen(&request_) && sent_);
        FUZZ_CHECK(buffer != nullptr && bytesRead != nullptr && bytesToRead > 0);
        *bytesRead = 0;
        if ((options_ & kFailReadAfterFirstChunk) != 0 && reads_ > 0) return false;
        ++reads_;
        size_t chunkSize = chunkSize_;
        if ((options_ & kEndlessBody) != 0) {
            // Whole chunks, or the 64 MiB would take millions of calls.
            chunkSize = bytesToRead;
            if (served_ == body_.size()) served_ = 0;
        }
        const size_t take = std::min({chunkSize, size_t{bytesToRead}, body_.size() - served_});
        std::memcpy(buffer, body_.data() + served_, take);
        served_ += take;
        *bytesRead = static_cast<uint32_t>(take);
        return true;
    }
    // What is there to read: a chunk's worth, none at the end of a body that ends.
    bool queryDataAvailable(InternetHandle file, uint32_t* bytesAvailable) override {
        FUZZ_CHECK(file == &request_ && isOpen(&request_) && sent_);
        FUZZ_CHECK(bytesAvailable != nullptr);
        if ((options_ & kEndlessBody) != 0) {
            *bytesAvailable = body_.empty() ? 0 : fetch::kReadChunkSize;
        } else {
            *bytesAvailable = static_cast<uint32_t>(std::min(chunkSize_, body_.size() - served_));
        }
        return true;
    }
    // As the system call: the block and a terminating zero when they fit, else nothing
    // is written and the size needed is reported.
    bool queryInfo(InternetHandle request, uint32_t infoLevel, void* buffer, uint32_t* length,
                   uint32_t* index) override {
        FUZZ_CHECK(request == &request_ && isOpen(&request_) && sent_);
        FUZZ_CHECK(infoLevel == kRawHeadersCrLf && buffer != nullptr && length != nullptr);
        FUZZ_CHECK(index == nullptr);
        if (headers_.size() + 1 > *length) {
            *length = static_cast<uint32_t>(headers_.size() + 1);
            return false;
        }
        std::memcpy(buffer, headers_.data(), headers_.size());
        static_cast<char*>(buffer)[headers_.size()] = '\0';
        *length = static_cast<uint32_t>(headers_.size());
        return true;
    }
    bool closeHandle(InternetHandle handle) override {
        FUZZ_CHECK(isOpen(handle));
        closed_.push_back(handle);
        return true;
    }

    // Every handle handed out is closed once, the last opened first.
    void checkClosedInReverse() const {
        FUZZ_CHECK(closed_.size() == opened_.size());
        FUZZ_CHECK(std::equal(opened_.rbegin(), opened_.rend(), closed_.begin()));
    }
    bool requestOpened() const {
        return std::count(opened_.begin(), opened_.end(), &request_) == 1;
    }
    bool sent() const { return sent_; }

  private:
    InternetHandle opened(InternetHandle handle) {
        if (handle != nullptr) opened_.push_back(handle);
        return handle;
    }
    bool isOpen(InternetHandle handle) const {
        return std::count(opened_.begin(), opened_.end(), handle) == 1 &&
               std::count(closed_.begin(), closed_.end(), handle) == 0;
    }

    uint16_t options_;
    size_t chunkSize_;
    std::string_view headers_;
    std::string_view body_;
    size_t served_ = 0;
    size_t reads_ = 0;
    bool sent_ = false;
    char internet_ = 0, connection_ = 0, request_ = 0;
    std::vector<InternetHandle> opened_;
    std::vector<InternetHandle> closed_;
};

// The body a reader of this script must end up with.
void checkBody(const fetch::Bytes& returned, uint16_t options, size_t chunkSize,
               std::string_view body) {
    if ((options & kEndlessBody) != 0 && !body.empty()) {
        // The served bytes repeat with the body's period, up to the cap exactly.
        FUZZ_CHECK(returned.size() == fetch::kMaxBodySize);
        FUZZ_CHECK(returned.compare(0, body.size(), body) == 0);
        FUZZ_CHECK(std::memcmp(returned.data() + body.size(), returned.data(),
                               returned.size() - body.size()) == 0);
        return;
    }
    if ((options & kFailReadAfterFirstChunk) != 0) {
        FUZZ_CHECK(returned == body.substr(0, std::min<size_t>(chunkSize, fetch::kReadChunkSize)));
        return;
    }
    FUZZ_CHECK(returned == body.substr(0, fetch::kMaxBodySize));
}

// One request over the script, and everything the caller can see afterwards.
void checkRequest(uint16_t options, size_t chunkSize, const std::string& address,
                  std::string sendCookies, std::string_view headers, std::string_view body) {
    ScriptedInternet api(options, chunkSize, headers, body);
    std::string received = kUntouched;
    std::string responseHeaders = kUntouched;
    const bool giveCookies = (options & kGiveSendCookies) != 0;
    const bool merge = (options & kDoNotMerge) == 0;
    const std::string sentBefore = sendCookies;
    const std::string bodyText = "q=1";
    fetch::OptionalRef<std::string> sendCookiesRef;
    if (giveCookies) sendCookiesRef = sendCookies;

    const fetch::Bytes returned = fetch::HttpRequest(
        api, address, (options & kPost) != 0 ? fetch::kMethodPost : fetch::kMethodGet, bodyText,
        sendCookiesRef, received, {}, responseHeaders, {}, {}, {}, merge);

    api.checkClosedInReverse();
    if (!api.sent()) {
        // Failing before sending leaves every output as it was.
        FUZZ_CHECK(returned.empty());
        FUZZ_CHECK(received == kUntouched && responseHeaders == kUntouched);
        FUZZ_CHECK(sendCookies == sentBefore);
        return;
    }
    FUZZ_CHECK(api.requestOpened());
    checkBody(returned, options, chunkSize, body);

    // The block up to its first zero byte when it fits the buffer, else the buffer's spaces.
    const bool fits = headers.size() + 1 <= fetch::kResponseHeaderBufferSize;
    const std::string expectedHeaders = fits ? std::string(headers.substr(0, headers.find('\0')))
                                             : std::string(fetch::kResponseHeaderBufferSize, ' ');
    FUZZ_CHECK(responseHeaders == expectedHeaders);

    // A cookie never carries a line break: it would end the "Cookie:" line it is sent in
    // next time. Merged with the cookies sent, it is as clean as those were.
    const bool merged = giveCookies && merge;
    if (merged) FUZZ_CHECK(received == sendCookies);
    if (!merged || sentBefore.find_first_of("\r\n") == std::string::npos) {
        FUZZ_CHECK(received.find_first_of("\r\n") == std::string::npos);
    }
    if (!merged && !fits) FUZZ_CHECK(received.empty());
}

}  // namespace

// The cap, once at start-up: a body that never ends.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    checkRequest(kEndlessBody, fetch::kReadChunkSize, "http://example.com/", "",
                 "HTTP/1.1 200 OK\r\n\r\n", "<html>endless</html>");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const uint8_t options = data[0];
    const size_t chunkSize = data[1] == 0 ? fetch::kReadChunkSize : data[1];
    const size_t addressSize = data[2];
    const size_t cookiesSize = data[3];
    const size_t headersSize = data[4] | (size_t{data[5]} << 8);
    std::string_view rest(reinterpret_cast<const char*>(data) + 6, size - 6);
    auto take = [&rest](size_t wanted) {
        const std::string_view piece = rest.substr(0, std::min(wanted, rest.size()));
        rest.remove_prefix(piece.size());
        return piece;
    };
    const std::string address(take(addressSize));
    const std::string sendCookies(take(cookiesSize));
    std::string headers(take(headersSize));
    if ((options & kPadHeaders) != 0) {
        const size_t padded = fetch::kResponseHeaderBufferSize - 1 + (data[1] & 1);
        if (headers.size() < padded) headers.resize(padded, ' ');
    }
    checkRequest(options, chunkSize, address, sendCookies, headers, rest);
    return 0;
}
