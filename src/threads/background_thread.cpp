// The process's background threads, each kept until it has ended and then joined.
#include "threads/background_thread.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace pagorin::threads {
namespace {

class BackgroundThreads {
  public:
    bool start(std::function<void()> body) {
        std::lock_guard lock(mutex_);
        joinEnded();
        try {
            // Room first: once the thread exists, keeping it must not fail.
            if (threads_.size() == threads_.capacity()) {
                threads_.reserve(std::max<std::size_t>(8, threads_.capacity() * 2));
            }
            auto ended = std::make_shared<std::atomic<bool>>(false);
            std::thread thread([body = std::move(body), ended] {
                // A failure ends the work at hand, never the program: the entries live
                // only in this process's memory.
                try {
                    body();
                } catch (const std::exception&) {
                }
                ended->store(true, std::memory_order_release);
            });
            threads_.push_back({std::move(thread), std::move(ended)});
            return true;
        } catch (const std::system_error&) {
            return false;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    std::size_t held() {
        std::lock_guard lock(mutex_);
        return threads_.size();
    }

    bool joinAll(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                joinEnded();
                if (threads_.empty()) return true;
            }
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

  private:
    struct Started {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };

    // A thread whose body has returned is only leaving: the join is short.
    void joinEnded() {
        std::erase_if(threads_, [](Started& started) {
            if (!started.ended->load(std::memory_order_acquire)) return false;
            started.thread.join();
            return true;
        });
    }

    std::mutex mutex_;
    std::vector<Started> threads_;
};

// Never destroyed: a thread still running at the end of the process must not be joined
// (or destroyed while joinable) by a static destructor.
BackgroundThreads& threads() {
    static BackgroundThreads& instance = *new BackgroundThreads;
    return instance;
}

}  // namespace

bool StartBackgroundThread(std::function<void()> body) {
    return threads().start(std::move(body));
}

std::size_t BackgroundThreadsHeld() {
    return threads().held();
}

bool JoinBackgroundThreads(std::chrono::milliseconds timeout) {
    return threads().joinAll(timeout);
}

}  // namespace pagorin::threads
