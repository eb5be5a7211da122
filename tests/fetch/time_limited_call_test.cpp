// Blocking calls waited for up to a limit or a stop, with at most one left behind.
#include "fetch/time_limited_call.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace pagorin::fetch {
namespace {

using namespace std::chrono_literals;
using Text = std::string;

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

TEST(TimeLimitedCall, OverrunIsGivenUpAndTheNextCallWaitsForItToEnd) {
    TimeLimitedCall<Text> limited(200ms);
    EXPECT_EQ(limited.run([] { return Text("page"); }, kNeverStopped), "page");

    auto blocking = std::make_shared<Blocking>();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(limited.run([blocking] { return (*blocking)(); }, kNeverStopped), std::nullopt);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 5s);

    // The call left behind still runs through the next call's whole limit: that call
    // is not made.
    std::atomic<int> made{0};
    const auto refused = std::chrono::steady_clock::now();
    EXPECT_EQ(limited.run([&] { return ++made, Text("x"); }, kNeverStopped), std::nullopt);
    EXPECT_GE(std::chrono::steady_clock::now() - refused, 200ms);
    EXPECT_EQ(made, 0);

    // It ends while the next call waits for it: that call is made.
    TimeLimitedCall<Text> patient(60s);
    auto second = std::make_shared<Blocking>();
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        stop = true;
    });
    EXPECT_EQ(patient.run([second] { return (*second)(); }, [&] { return stop.load(); }),
              std::nullopt);
    stopper.join();
    std::thread releaser([&] {
        std::this_thread::sleep_for(200ms);
        second->release();
    });
    EXPECT_EQ(patient.run([&] { return ++made, Text("again"); }, kNeverStopped), "again");
    releaser.join();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(second->calls, 1);
    blocking->release();
}

TEST(TimeLimitedCall, StopEndsTheWaitAtOnce) {
    TimeLimitedCall<Text> limited(60s);
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

TEST(TimeLimitedCall, IdleThreadEndsAndTheNextCallStartsAnother) {
    struct Setup {
        std::mutex mutex;
        std::condition_variable changed;
        int enters = 0;
        int leaves = 0;
    };
    auto setup = std::make_shared<Setup>();
    const CallThreadSetup counting{
        [setup] {
            std::lock_guard lock(setup->mutex);
            ++setup->enters;
            return true;
        },
        [setup] {
            std::lock_guard lock(setup->mutex);
            ++setup->leaves;
            setup->changed.notify_all();
        },
    };
    {
        TimeLimitedCall<Text> limited(60s, counting, 20ms);
        EXPECT_EQ(limited.run([] { return Text("first"); }, kNeverStopped), "first");
        {
            std::unique_lock lock(setup->mutex);
            ASSERT_TRUE(setup->changed.wait_for(lock, 60s, [&] { return setup->leaves == 1; }));
        }
        EXPECT_EQ(limited.run([] { return Text("second"); }, kNeverStopped), "second");
        std::lock_guard lock(setup->mutex);
        EXPECT_EQ(setup->enters, 2);
    }

    // Calls handed over just as the thread gives up waiting are still made: with an idle
    // life of a millisecond, many land on that edge.
    TimeLimitedCall<Text> edge(10s, {}, 1ms);  // a lost call shows as no result
    int made = 0;
    for (int call = 0; call < 300; ++call) {
        std::this_thread::sleep_for(std::chrono::microseconds(900 + call % 5 * 50));
        if (edge.run([] { return Text("made"); }, kNeverStopped) == "made") ++made;
    }
    EXPECT_EQ(made, 300);
}

}  // namespace
}  // namespace pagorin::fetch
