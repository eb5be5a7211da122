// What every request over the system Internet calls shares: its handles closed once, its
// time limits, and the body read piece by piece so that the caller's give-up is seen.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "fetch/internet_api.h"

namespace pagorin::fetch {

using Bytes = std::string;

// The body is read this much at a time at most: large enough that a page of megabytes
// takes a few dozen reads, not thousands.
inline constexpr uint32_t kReadChunkSize = 64 * 1024;
// A body that never ends must not take all memory: reading stops here.
inline constexpr size_t kMaxBodySize = size_t{64} << 20;
// How long a caller waits for a page.
inline constexpr std::chrono::milliseconds kPageTimeLimit{60000};

// The limits of one request. Whatever the server does (silent after connecting, a byte
// now and then, a body without end, a reset, no answer to the connection), the request
// ends by itself within twice `timeLimit`: connecting may take half of it, each wait for
// the answer or for the next bytes at most all of it, and `timeLimit` after its start
// no further piece of the body is read.
struct RequestBounds {
    std::chrono::milliseconds timeLimit = kPageTimeLimit;
    // True once the caller no longer waits for the answer (a stop, its own limit);
    // checked between pieces of the body.
    std::function<bool()> givenUp;

    bool givenUpNow() const { return givenUp && givenUp(); }
    // Given up, or `timeLimit` has passed since `started`: no further piece is read.
    bool over(std::chrono::steady_clock::time_point started) const {
        return givenUpNow() || std::chrono::steady_clock::now() >= started + timeLimit;
    }
};

// An Internet, connection or request handle, closed once when it goes out of scope.
// Declared in the order they are opened, they close request, connection, Internet.
class OwnedHandle {
  public:
    OwnedHandle(InternetApi& api, InternetHandle handle) : api_(api), handle_(handle) {}
    ~OwnedHandle() {
        if (handle_ != nullptr) api_.closeHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    InternetHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    InternetApi& api_;
    InternetHandle handle_;
};

// Gives a handle (an Internet handle, and so every request opened under it, or one
// request before it is sent) the time-outs of `timeLimit`: one try at connecting, of
// half the limit; sending and each wait for bytes, the whole limit. The system's own
// defaults are up to an hour.
void SetTimeouts(InternetApi& api, InternetHandle handle, std::chrono::milliseconds timeLimit);

// The response body: what is available, then a read of that much, piece after piece,
// until the end (or a failing call), `kMaxBodySize`, the bounds' time limit counted from
// `started`, or the caller's give-up. Each read's buffer starts zero-filled.
Bytes ReadResponseBody(InternetApi& api, InternetHandle request, const RequestBounds& bounds,
                       std::chrono::steady_clock::time_point started);

}  // namespace pagorin::fetch
