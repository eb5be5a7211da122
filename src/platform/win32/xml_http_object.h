// The worker's HTTP object: an "Msxml2.XMLHTTP" instance driven by name through its
// automation interface. It must be created, used and destroyed on one thread.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <functional>

#include "fetch/http_request.h"
#include "fetch/page_fetch.h"
#include "platform/win32/com_ptr.h"

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

class XmlHttpObject : public fetch::HttpObject {
public:
    // Makes one new instance.
    using Creator = std::function<HRESULT(IDispatch** instance)>;
    // Polled while a request runs: true gives the request up at once. Whoever sets it
    // should also post a message to the thread, which wakes the wait.
    using StopCheck = std::function<bool()>;

    // Asks COM for "Msxml2.XMLHTTP".
    static HRESULT CreateDefault(IDispatch** instance);

    explicit XmlHttpObject(Creator creator = CreateDefault, StopCheck stopped = {},
                           FetchLimits limits = {});
    // Releases the instance, then undoes this thread's COM initialisations.
    ~XmlHttpObject() override;
    XmlHttpObject(const XmlHttpObject&) = delete;
    XmlHttpObject& operator=(const XmlHttpObject&) = delete;

    void renew() override;
    // Blocks until the whole body is there, as a synchronous request would, but sends
    // it asynchronously and pumps this thread's messages meanwhile, so that a stop or
    // a limit can end it: the request is then aborted and nothing is returned. The
    // body is cut at 64 MiB like the program's own client's.
    std::optional<std::string> get(std::string_view address) override;

    bool hasInstance() const { return static_cast<bool>(instance_); }
    IDispatch* instance() const { return instance_.get(); }

private:
    bool waitForResponse();

    Creator creator_;
    StopCheck stopped_;
    FetchLimits limits_;
    ComPtr<IDispatch> instance_;
    int comInitializations_ = 0;
};

}  // namespace pagorin::platform
