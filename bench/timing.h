// Best-of-several timing: the least disturbed run is the best estimate of the cost.
#pragma once

#include <algorithm>
#include <chrono>
#include <limits>

namespace pagorin::bench {

// Seconds of the fastest of at least 5 runs of `work`; short work runs until about
// half a second has been spent on it (at most 50 runs), which steadies the figure.
template <typename Work>
double BestSeconds(Work&& work) {
    constexpr int kMinRuns = 5;
    constexpr int kMaxRuns = 50;
    constexpr double kMinTotal = 0.5;
    double best = std::numeric_limits<double>::infinity();
    double total = 0;
    for (int run = 0; run < kMaxRuns && (run < kMinRuns || total < kMinTotal); ++run) {
        auto start = std::chrono::steady_clock::now();
        work();
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, seconds);
        total += seconds;
    }
    return best;
}

}  // namespace pagorin::bench
