// A blocking call that cannot be interrupted (the program's own HTTP client inside
// WinInet, which follows a redirect loop for ever and waits on a trickling server),
// run on a thread of its own so that its caller waits only up to a limit or a stop.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "text/gbk_text.h"

namespace pagorin::fetch {

using text::Text;

class TimeLimitedCall {
public:
    explicit TimeLimitedCall(std::chrono::milliseconds limit) : limit_(limit) {}
    ~TimeLimitedCall();
    TimeLimitedCall(const TimeLimitedCall&) = delete;
    TimeLimitedCall& operator=(const TimeLimitedCall&) = delete;

    // The call's result, or nothing when the limit passed or `stopped` turned true first
    // (it is polled every 50 ms) or no thread could be made. A call that is given up is
    // left to end by itself; while it has not, later calls are refused at once, so at
    // most one call of this object is ever left behind.
    std::optional<Text> run(std::function<Text()> call, const std::function<bool()>& stopped);

private:
    struct Pending;
    std::chrono::milliseconds limit_;
    std::shared_ptr<Pending> leftBehind_;
};

}  // namespace pagorin::fetch
