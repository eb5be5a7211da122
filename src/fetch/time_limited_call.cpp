#include "fetch/time_limited_call.h"

#include <condition_variable>
#include <mutex>

#include "platform/background_thread.h"

namespace pagorin::fetch {

struct TimeLimitedCall::Pending {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<Text> result;
};

TimeLimitedCall::~TimeLimitedCall() = default;

std::optional<Text> TimeLimitedCall::run(std::function<Text()> call,
                                         const std::function<bool()>& stopped) {
    if (leftBehind_) {
        {
            std::lock_guard lock(leftBehind_->mutex);
            if (!leftBehind_->result) return std::nullopt;
        }
        leftBehind_.reset();
    }
    auto pending = std::make_shared<Pending>();
    const bool started = platform::StartBackgroundThread([pending, call = std::move(call)] {
        Text result = call();
        std::lock_guard lock(pending->mutex);
        pending->result = std::move(result);
        pending->done.notify_all();
    });
    if (!started) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + limit_;
    std::unique_lock lock(pending->mutex);
    while (!pending->result && !stopped() && std::chrono::steady_clock::now() < deadline) {
        pending->done.wait_for(lock, std::chrono::milliseconds(50));
    }
    if (pending->result) return std::move(pending->result);
    leftBehind_ = std::move(pending);
    return std::nullopt;
}

}  // namespace pagorin::fetch
