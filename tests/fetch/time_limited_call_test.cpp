// Blocking calls waited for up to a limit or a stop, with at most one left behind.
#include "fetch/time_limited_call.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace pagorin::fetch {
namespace {

using namespace std::chrono_literals;

// A call that blocks until released.
struct Blocking {
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    std::atomic<int> calls{0};
    Text operator()() {
        ++calls;
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return open; });
        return "late";
    }
    void release() {
        std::lock_guard lock(mutex);
        open = true;
        released.notify_all();
    }
};

const std::function<bool()> kNeverStopped = [] { return false; };

TEST(TimeLimitedCall, OverrunIsGivenUpAndBlocksFurtherCallsUntilItEnds) {
    TimeLimitedCall limited(200ms);
    EXPECT_EQ(limited.run([] { return Text("page"); }, kNeverStopped), "page");

    auto blocking = std::make_shared<Blocking>();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(limited.run([blocking] { return (*blocking)(); }, kNeverStopped), std::nullopt);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 5s);

    // The call left behind still runs: the next one is refused without being made.
    std::atomic<int> made{0};
    EXPECT_EQ(limited.run([&] { return ++made, Text("x"); }, kNeverStopped), std::nullopt);
    EXPECT_EQ(made, 0);

    blocking->release();
    std::optional<Text> after;
    for (int i = 0; i < 100 && !after; ++i) {
        after = limited.run([&] { return ++made, Text("again"); }, kNeverStopped);
        if (!after) std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(after, "again");
    EXPECT_EQ(blocking->calls, 1);
}

TEST(TimeLimitedCall, StopEndsTheWaitAtOnce) {
    TimeLimitedCall limited(60s);
    auto blocking = std::make_shared<Blocking>();
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop = true;
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(limited.run([blocking] { return (*blocking)(); }, [&] { return stop.load(); }),
              std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    stopper.join();
    blocking->release();
}

}  // namespace
}  // namespace pagorin::fetch
