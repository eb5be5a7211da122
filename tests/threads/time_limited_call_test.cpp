// Blocking calls waited for up to a limit or a stop, each on a thread of its own, with
// the calls left behind told so and never more of them than the process allows.
#include "threads/time_limited_call.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pagorin::threads {
namespace {

using namespace std::chrono_literals;
using Text = std::string;

// A call that blocks until released, and notes whether it was told it had been given up.
struct Blocking {
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    std::atomic<int> calls{0};
    std::atomic<bool> sawGivenUp{false};
    Text operator()(const std::function<bool()>& givenUp) {
        ++calls;
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return open; });
        sawGivenUp = givenUp();
        return "late";
    }
    void release() {
        std::lock_guard lock(mutex);
        open = true;
        released.notify_all();
    }
};

const std::function<bool()> kNeverStopped = [] { return false; };

TEST(TimeLimitedCall, OverrunIsGivenUpAndNeverDelaysTheNextCall) {
    const TimeLimitedCall<Text> limited(200ms);
    EXPECT_EQ(limited.run([](const auto&) { return Text("page"); }, kNeverStopped), "page");

    auto blocking = std::make_shared<Blocking>();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(limited.run([blocking](const auto& givenUp) { return (*blocking)(givenUp); },
                          kNeverStopped),
              std::nullopt);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 5s);

    // The call left behind still runs: the next one is made beside it.
    EXPECT_EQ(limited.run([](const auto&) { return Text("again"); }, kNeverStopped), "again");

    // Released, the call left behind learns it was given up, and its thread ends.
    blocking->release();
    EXPECT_TRUE(threads::JoinBackgroundThreads(10s));
    EXPECT_TRUE(blocking->sawGivenUp);
    EXPECT_EQ(blocking->calls, 1);
    EXPECT_EQ(CallThreadsRunning(), 0u);
}

TEST(TimeLimitedCall, StopEndsTheWaitAtOnce) {
    const TimeLimitedCall<Text> limited(60s);
    auto blocking = std::make_shared<Blocking>();
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop = true;
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(limited.run([blocking](const auto& givenUp) { return (*blocking)(givenUp); },
                          [&] { return stop.load(); }),
              std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    stopper.join();
    blocking->release();
    EXPECT_TRUE(threads::JoinBackgroundThreads(10s));
    EXPECT_TRUE(blocking->sawGivenUp);
}

// Calls left behind fill the process's places: the next call waits for one within its
// own limit (and gets none while all are held), and is made as soon as one is free.
TEST(TimeLimitedCall, CallsLeftBehindNeverPileUp) {
    const TimeLimitedCall<Text> limited(100ms);
    auto blocking = std::make_shared<Blocking>();
    for (size_t i = 0; i < kMaxCallThreads; ++i) {
        EXPECT_EQ(limited.run([blocking](const auto& givenUp) { return (*blocking)(givenUp); },
                              kNeverStopped),
                  std::nullopt);
    }
    EXPECT_EQ(CallThreadsRunning(), kMaxCallThreads);
    std::atomic<int> made{0};
    const auto refused = std::chrono::steady_clock::now();
    EXPECT_EQ(limited.run([&](const auto&) { return ++made, Text("x"); }, kNeverStopped),
              std::nullopt);
    EXPECT_GE(std::chrono::steady_clock::now() - refused, 100ms);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(CallThreadsRunning(), kMaxCallThreads);

    const TimeLimitedCall<Text> patient(60s);
    std::thread releaser([&] {
        std::this_thread::sleep_for(200ms);
        blocking->release();
    });
    EXPECT_EQ(patient.run([&](const auto&) { return ++made, Text("made"); }, kNeverStopped),
              "made");
    releaser.join();
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(threads::JoinBackgroundThreads(10s));
    EXPECT_EQ(CallThreadsRunning(), 0u);
}

// A call that fails with an exception has no result, and its place is given back.
TEST(TimeLimitedCall, FailingCallIsNoResult) {
    const TimeLimitedCall<Text> limited(10s);
    EXPECT_EQ(limited.run([](const auto&) -> Text { throw std::bad_alloc(); }, kNeverStopped),
              std::nullopt);
    EXPECT_TRUE(threads::JoinBackgroundThreads(10s));
    EXPECT_EQ(CallThreadsRunning(), 0u);
}

}  // namespace
}  // namespace pagorin::threads
