// Best-of-several timing: the least disturbed run is the best estimate of the cost.
#pragma once

#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

namespace pagorin::bench {

constexpr int kMinRuns = 7;
constexpr int kMaxRuns = 1000;
constexpr double kMinTotalSeconds = 2.0;

template <typename Work>
double SecondsOf(Work& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds of the fastest of at least kMinRuns runs of `work`; short work runs until
// kMinTotalSeconds have been spent on it (at most kMaxRuns runs), to steady the figure.
template <typename Work>
double BestSeconds(Work&& work) {
    double best = std::numeric_limits<double>::infinity();
    double total = 0;
    for (int run = 0; run < kMaxRuns && (run < kMinRuns || total < kMinTotalSeconds); ++run) {
        double seconds = SecondsOf(work);
        best = std::min(best, seconds);
        total += seconds;
    }
    return best;
}

// The same for two jobs run in turn, so that a slow spell of a shared machine falls on
// both alike rather than on whichever happened to run during it.
template <typename First, typename Second>
std::pair<double, double> BestSecondsInTurn(First&& first, Second&& second) {
    double bestFirst = std::numeric_limits<double>::infinity();
    double bestSecond = bestFirst;
    double total = 0;
    for (int run = 0; run < kMaxRuns && (run < kMinRuns || total < kMinTotalSeconds); ++run) {
        double firstSeconds = SecondsOf(first);
        double secondSeconds = SecondsOf(second);
        bestFirst = std::min(bestFirst, firstSeconds);
        bestSecond = std::min(bestSecond, secondSeconds);
        total += firstSeconds + secondSeconds;
    }
    return {bestFirst, bestSecond};
}

}  // namespace pagorin::bench
