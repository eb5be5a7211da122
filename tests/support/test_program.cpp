// What every test program does around its tests.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "threads/background_thread.h"

namespace {

// Output is unbuffered from before main: what a program printed before it died is never
// lost in a buffer, and a program that printed nothing never started (which the Wine
// test runner relies on).
const bool kUnbuffered = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return true;
}();

// After the last test, the background threads that have ended or are about to are
// joined: under Wine a thread still on its way out as the process ends now and then gets
// the whole process killed. Threads a test left blocked on purpose are left as they are.
class JoinBackgroundThreadsAtTheEnd : public ::testing::Environment {
  public:
    void TearDown() override { pagorin::threads::JoinBackgroundThreads(std::chrono::seconds(1)); }
};

const auto* const kJoinAtTheEnd =
    ::testing::AddGlobalTestEnvironment(new JoinBackgroundThreadsAtTheEnd);

}  // namespace
