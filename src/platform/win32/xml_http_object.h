// The worker's HTTP object: "Msxml2.XMLHTTP" driven by name through its automation
// interface, each request on a thread of its own.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <chrono>
#include <cstddef>
#include <functional>

#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "fetch/time_limited_call.h"

namespace pagorin::platform {

// How far one request may go before it is given up: the object has no time-out and no
// body limit of its own, and some servers never finish (a trickle, a reset it does not
// notice, a redirect loop) or never stop sending.
struct FetchLimits {
    std::chrono::milliseconds time{60000};
    // Growth of the process's working set while the request runs; it stands for the
    // body, which the object does not show before the end. Room for three workers'
    // full-size pages at once.
    size_t memoryGrowth = 8 * fetch::kMaxBodySize;
};

// The requests run one at a time on a thread of their own, a single-threaded apartment:
// for each, the thread makes an instance, sends a synchronous GET, reads the answer and
// releases the instance. The caller waits for it up to the limits or the stop. A request
// given up is never aborted and its instance never released early: it is left to end
// by itself, as the object calls back into its instance until its request has ended
// (under Wine it then writes a late answer into freed memory). The next request waits
// for it first, within its own limits.
class XmlHttpObject : public fetch::HttpObject {
  public:
    // Makes one new instance, on the request's thread.
    using Creator = std::function<HRESULT(IDispatch** instance)>;
    // Polled every 50 ms while a request runs: true gives the request up at once.
    using StopCheck = std::function<bool()>;

    // Asks COM for "Msxml2.XMLHTTP".
    static HRESULT CreateDefault(IDispatch** instance);

    explicit XmlHttpObject(Creator creator = CreateDefault, StopCheck stopped = {},
                           FetchLimits limits = {});
    XmlHttpObject(const XmlHttpObject&) = delete;
    XmlHttpObject& operator=(const XmlHttpObject&) = delete;

    // The body is cut at 64 MiB like the program's own client's.
    std::optional<fetch::HttpObjectResponse> get(std::string_view address) override;

  private:
    Creator creator_;
    StopCheck stopped_;
    FetchLimits limits_;
    fetch::TimeLimitedCall<std::optional<fetch::HttpObjectResponse>> requests_;
};

}  // namespace pagorin::platform
