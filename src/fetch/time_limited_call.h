// Blocking calls that cannot be interrupted (a request inside WinInet or the automation
// HTTP object, which wait on a silent server for ever), run one at a time on a thread of
// their own, so that their caller waits only up to a limit or a stop. The thread ends
// when it has been idle a while and the next call starts another.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/background_thread.h"

namespace pagorin::fetch {

// What the call thread does when it starts (false: it could not prepare, and so makes
// no call) and before it ends; both run on that thread.
struct CallThreadSetup {
    std::function<bool()> enter;
    std::function<void()> leave;
};

// How long the call thread waits for the next call before it ends. A worker that waits
// minutes between pages should not keep a thread (and what its setup holds) meanwhile;
// back-to-back calls keep using the one thread.
inline constexpr std::chrono::milliseconds kCallThreadIdleLife{10000};

template <typename Result>
class TimeLimitedCall {
  public:
    explicit TimeLimitedCall(std::chrono::milliseconds limit, CallThreadSetup setup = {},
                             std::chrono::milliseconds idleLife = kCallThreadIdleLife)
        : limit_(limit), setup_(std::move(setup)), idleLife_(idleLife) {}
    // The call thread ends by itself once it is idle, after any call left behind.
    ~TimeLimitedCall() {
        if (!shared_) return;
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
        shared_->changed.notify_all();
    }
    TimeLimitedCall(const TimeLimitedCall&) = delete;
    TimeLimitedCall& operator=(const TimeLimitedCall&) = delete;

    // The call's result, or nothing when the limit passed or `givenUp` turned true first
    // (it is polled every 50 ms) or the call thread could not be made. A call given up
    // is left to end by itself, never cut short, and the next call waits for it first,
    // within its own limit: it is not made when the thread is still busy by then.
    std::optional<Result> run(std::function<Result()> call, const std::function<bool()>& givenUp) {
        const auto deadline = std::chrono::steady_clock::now() + limit_;
        if (!shared_) shared_ = std::make_shared<Shared>();
        std::unique_lock lock(shared_->mutex);
        if (!waitUntilIdle(lock, deadline, givenUp)) return std::nullopt;
        if (!shared_->threadRunning && !startThread()) return std::nullopt;
        shared_->call = std::move(call);
        shared_->result.reset();
        shared_->busy = true;
        shared_->changed.notify_all();
        if (!waitUntilIdle(lock, deadline, givenUp)) return std::nullopt;
        return std::move(shared_->result);
    }

  private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        std::function<Result()> call;  // handed over, not yet taken
        std::optional<Result> result;
        bool busy = false;
        bool quit = false;
        bool threadRunning = false;  // a busy call always has its thread
    };

    // Called with the mutex held: the new thread takes its first call once it is let go.
    bool startThread() {
        shared_->threadRunning = platform::StartBackgroundThread(
            [shared = shared_, setup = setup_, idleLife = idleLife_] {
                const bool ready = !setup.enter || setup.enter();
                std::unique_lock lock(shared->mutex);
                for (;;) {
                    // A call handed over as the wait runs out is still seen here and made.
                    if (!shared->changed.wait_for(lock, idleLife,
                                                  [&] { return shared->call || shared->quit; })) {
                        break;
                    }
                    if (!shared->call) break;
                    std::function<Result()> call = std::move(shared->call);
                    shared->call = nullptr;
                    lock.unlock();
                    std::optional<Result> result;
                    if (ready) result = call();
                    lock.lock();
                    shared->result = std::move(result);
                    shared->busy = false;
                    shared->changed.notify_all();
                }
                shared->threadRunning = false;
                lock.unlock();
                if (ready && setup.leave) setup.leave();
            });
        return shared_->threadRunning;
    }

    bool waitUntilIdle(std::unique_lock<std::mutex>& lock,
                       std::chrono::steady_clock::time_point deadline,
                       const std::function<bool()>& givenUp) {
        while (shared_->busy && !givenUp() && std::chrono::steady_clock::now() < deadline) {
            shared_->changed.wait_for(lock, std::chrono::milliseconds(50));
        }
        return !shared_->busy;
    }

    std::chrono::milliseconds limit_;
    CallThreadSetup setup_;
    std::chrono::milliseconds idleLife_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace pagorin::fetch
