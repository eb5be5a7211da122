// Background threads: every body runs, the starter never waits for one, threads may start
// threads, and ended threads are joined rather than piling up.
#include "threads/background_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "support/wait_until.h"

namespace pagorin::threads {
namespace {

using namespace std::chrono_literals;
using test_support::WaitUntil;

TEST(BackgroundThread, EveryBodyRunsAndEndedThreadsAreJoined) {
    constexpr int kThreads = 2000;
    std::atomic<int> ran{0};
    for (int i = 0; i < kThreads; ++i) {
        ASSERT_TRUE(StartBackgroundThread([&ran] { ran.fetch_add(1); }));
    }
    EXPECT_TRUE(WaitUntil([&] { return ran.load() == kThreads; }, 60s)) << ran.load();
    // Each start joins the threads that have ended; only the newest may still be held.
    EXPECT_TRUE(WaitUntil(
        [] {
            StartBackgroundThread([] {});
            return BackgroundThreadsHeld() <= 1;
        },
        10s))
        << BackgroundThreadsHeld();
}

TEST(BackgroundThread, StarterGoesOnAndBodiesMayStartThreads) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<int> inner;
    std::future<int> innerDone = inner.get_future();
    ASSERT_TRUE(StartBackgroundThread([released, &inner] {
        released.wait();
        // A worker starts its own threads (the time-limited refetch): no deadlock.
        const bool started = StartBackgroundThread([&inner] { inner.set_value(7); });
        if (!started) inner.set_value(-1);
    }));
    release.set_value();  // only now: the start did not wait for its body
    ASSERT_EQ(innerDone.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(innerDone.get(), 7);
}

}  // namespace
}  // namespace pagorin::threads
