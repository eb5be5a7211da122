// One monitoring run's stop: shared by the window and that run's workers. Every wait
// of a worker wakes at the stop, every blocking step registers how to cut itself short,
// and every cell write of a worker is made under the run's lock, so that once the stop
// has returned no worker of the run writes again.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace pagorin::monitor {

class StopToken {
  public:
    StopToken() = default;
    StopToken(const StopToken&) = delete;
    StopToken& operator=(const StopToken&) = delete;

    bool stopRequested() const;

    // Wakes every wait, runs every registered action, and returns only when no write
    // of this run is in progress; none happens afterwards.
    void requestStop();

    // Waits up to `duration`; false when the stop came first (or had come already).
    bool waitFor(std::chrono::milliseconds duration);

    // Runs `write` under the run's lock unless the stop has been requested; tells
    // whether it ran.
    bool writeUnlessStopped(const std::function<void()>& write);

    // While the returned object lives, requestStop runs `action` (at once when the stop
    // has already been requested). The action runs on the stopping thread under the
    // run's lock: it must only post or signal, never wait for the worker.
    class Registration {
      public:
        Registration(StopToken& token, uint64_t id) : token_(&token), id_(id) {}
        ~Registration();
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;

      private:
        StopToken* token_;
        uint64_t id_;
    };
    [[nodiscard]] Registration onStop(std::function<void()> action);

  private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopped_ = false;
    uint64_t nextId_ = 1;
    std::map<uint64_t, std::function<void()>> actions_;
};

}  // namespace pagorin::monitor
