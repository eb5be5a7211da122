// Blocking calls that cannot be interrupted (a request inside the system Internet
// library, which waits on a silent server up to its time-outs), each run on a thread of
// its own, so that their caller waits only up to a limit or a stop, and a call given up
// never delays the next one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "threads/background_thread.h"

namespace pagorin::threads {

// Calls running at once in the whole process, given-up ones included. Three workers each
// have one call and at most one given up and still ending; the rest is room for stops
// and starts in quick succession, so that calls left behind can never pile up.
inline constexpr std::size_t kMaxCallThreads = 12;

namespace detail {

// The process's count of call threads.
class CallThreadBudget {
  public:
    // Waits for a free place until `deadline` or `stopped`; false when none came.
    bool acquire(std::chrono::steady_clock::time_point deadline,
                 const std::function<bool()>& stopped) {
        std::unique_lock lock(mutex_);
        while (running_ >= kMaxCallThreads) {
            if (stopped() || std::chrono::steady_clock::now() >= deadline) return false;
            freed_.wait_for(lock, std::chrono::milliseconds(50));
        }
        ++running_;
        return true;
    }
    void release() {
        std::lock_guard lock(mutex_);
        --running_;
        freed_.notify_all();
    }
    std::size_t running() {
        std::lock_guard lock(mutex_);
        return running_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable freed_;
    std::size_t running_ = 0;
};

// Never destroyed: a call may still be ending while the process exits.
inline CallThreadBudget& callThreadBudget() {
    static CallThreadBudget& budget = *new CallThreadBudget;
    return budget;
}

}  // namespace detail

// For tests: call threads running now.
inline std::size_t CallThreadsRunning() {
    return detail::callThreadBudget().running();
}

template <typename Result>
class TimeLimitedCall {
  public:
    // The call gets a check that turns true once its caller has given it up; it should
    // then end soon, and its result is thrown away.
    using Call = std::function<Result(const std::function<bool()>& givenUp)>;

    explicit TimeLimitedCall(std::chrono::milliseconds limit) : limit_(limit) {}

    // The call's result, or nothing when the limit passed or `stopped` turned true first
    // (it is polled every 50 ms), when no thread could be had within the limit, or when
    // the call failed with an exception.
    std::optional<Result> run(Call call, const std::function<bool()>& stopped) const {
        const auto deadline = std::chrono::steady_clock::now() + limit_;
        detail::CallThreadBudget& budget = detail::callThreadBudget();
        if (!budget.acquire(deadline, stopped)) return std::nullopt;
        auto state = std::make_shared<State>();
        const bool started =
            threads::StartBackgroundThread([state, call = std::move(call), &budget] {
                std::optional<Result> result;
                try {
                    result = call([state] {
                        std::lock_guard lock(state->mutex);
                        return state->givenUp;
                    });
                } catch (const std::exception&) {
                    // A call that cannot finish (memory) has no result; the caller goes on.
                }
                {
                    std::lock_guard lock(state->mutex);
                    state->result = std::move(result);
                    state->done = true;
                    state->changed.notify_all();
                }
                budget.release();
            });
        if (!started) {
            budget.release();
            return std::nullopt;
        }
        std::unique_lock lock(state->mutex);
        while (!state->done && !stopped() && std::chrono::steady_clock::now() < deadline) {
            state->changed.wait_for(lock, std::chrono::milliseconds(50));
        }
        if (!state->done) {
            state->givenUp = true;
            return std::nullopt;
        }
        return std::move(state->result);
    }

  private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::optional<Result> result;
        bool done = false;
        bool givenUp = false;
    };

    std::chrono::milliseconds limit_;
};

}  // namespace pagorin::threads
