// Threads that run on by themselves while their starter goes on: a worker whose fetch
// outlives its stop, a sound that plays to its end, a call given up at its time limit.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

namespace pagorin::threads {

// Runs `body` on a new thread. False when no thread could be made; `body` has not run
// then. The threads are joined once they have ended (at a later start), never
// detached: the MinGW thread library, under Wine at least, now and then loses a
// detached thread before it runs its body. Threads still running when the process ends
// end with it.
bool StartBackgroundThread(std::function<void()> body);

// For tests: threads started and not yet joined (those running, and those ended since
// the last start).
std::size_t BackgroundThreadsHeld();

// For the end of a test program: waits up to `timeout` for every thread to end and joins
// it, so that none is still on its way out when the process ends (Wine then now and
// then kills the process). True when none is left.
bool JoinBackgroundThreads(std::chrono::milliseconds timeout);

}  // namespace pagorin::threads
