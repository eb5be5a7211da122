// A blocking call that cannot be interrupted (a request inside WinInet or the automation
// HTTP object, which wait on a silent server for ever), run on a thread of its own so
// that its caller waits only up to a limit or a stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/background_thread.h"

namespace pagorin::fetch {

template <typename Result>
class TimeLimitedCall {
public:
    explicit TimeLimitedCall(std::chrono::milliseconds limit) : limit_(limit) {}
    TimeLimitedCall(const TimeLimitedCall&) = delete;
    TimeLimitedCall& operator=(const TimeLimitedCall&) = delete;

    // The call's result, or nothing when the limit passed or `givenUp` turned true first
    // (it is polled every 50 ms) or no thread could be made. A call given up is left to
    // end by itself, never cut short. At most one call is ever left behind: while it
    // runs, the next call waits for it first, within its own limit, and is not made
    // when it has not ended by then.
    std::optional<Result> run(std::function<Result()> call, const std::function<bool()>& givenUp) {
        const auto deadline = std::chrono::steady_clock::now() + limit_;
        if (leftBehind_) {
            if (!leftBehind_->wait(deadline, givenUp)) return std::nullopt;
            leftBehind_.reset();
        }
        auto pending = std::make_shared<Pending>();
        const bool started = platform::StartBackgroundThread([pending, call = std::move(call)] {
            Result result = call();
            std::lock_guard lock(pending->mutex);
            pending->result = std::move(result);
            pending->done.notify_all();
        });
        if (!started) return std::nullopt;
        if (pending->wait(deadline, givenUp)) {
            std::lock_guard lock(pending->mutex);
            return std::move(pending->result);
        }
        leftBehind_ = std::move(pending);
        return std::nullopt;
    }

private:
    struct Pending {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;

        // True once the call has ended; false at the deadline or when given up.
        bool wait(std::chrono::steady_clock::time_point deadline,
                  const std::function<bool()>& givenUp) {
            std::unique_lock lock(mutex);
            while (!result && !givenUp() && std::chrono::steady_clock::now() < deadline) {
                done.wait_for(lock, std::chrono::milliseconds(50));
            }
            return result.has_value();
        }
    };

    std::chrono::milliseconds limit_;
    std::shared_ptr<Pending> leftBehind_;
};

}  // namespace pagorin::fetch
