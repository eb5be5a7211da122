// Waiting for an effect that another thread or process brings about in its own time.
#pragma once

#include <chrono>
#include <thread>

namespace pagorin::test_support {

// Polls `condition` every 10 ms until it holds or `timeout` passes; its last answer.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::steady_clock::duration timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace pagorin::test_support
