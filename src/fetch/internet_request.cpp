// Time-outs and the piecewise body read shared by the page request and the HTTP client.
#include "fetch/internet_request.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace pagorin::fetch {
namespace {

void setNumber(InternetApi& api, InternetHandle handle, uint32_t option, uint32_t value) {
    api.setOption(handle, option, &value, sizeof value);
}

uint32_t milliseconds(std::chrono::milliseconds duration) {
    return static_cast<uint32_t>(std::clamp<std::chrono::milliseconds::rep>(
        duration.count(), 1, std::numeric_limits<uint32_t>::max()));
}

}  // namespace

void SetTimeouts(InternetApi& api, InternetHandle handle, std::chrono::milliseconds timeLimit) {
    setNumber(api, handle, wininet::kOptionConnectTimeout, milliseconds(timeLimit / 2));
    setNumber(api, handle, wininet::kOptionConnectRetries, 1);
    setNumber(api, handle, wininet::kOptionSendTimeout, milliseconds(timeLimit));
    setNumber(api, handle, wininet::kOptionReceiveTimeout, milliseconds(timeLimit));
}

Bytes ReadResponseBody(InternetApi& api, InternetHandle request, const RequestBounds& bounds,
                       std::chrono::steady_clock::time_point started) {
    Bytes body;
    std::vector<char> chunk(kReadChunkSize);
    size_t dirty = 0;  // bytes of the buffer the last read wrote
    while (body.size() < kMaxBodySize) {
        if (bounds.over(started)) break;
        uint32_t available = 0;
        if (!api.queryDataAvailable(request, &available) || available == 0) break;
        const auto wanted = static_cast<uint32_t>(
            std::min({size_t{available}, size_t{kReadChunkSize}, kMaxBodySize - body.size()}));
        std::memset(chunk.data(), 0, std::min<size_t>(dirty, wanted));
        uint32_t bytesRead = 0;
        api.readFile(request, chunk.data(), wanted, &bytesRead);
        if (bytesRead == 0) break;
        dirty = std::min(bytesRead, wanted);
        body.append(chunk.data(), dirty);
    }
    return body;
}

}  // namespace pagorin::fetch
