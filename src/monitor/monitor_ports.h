// What the monitoring engine needs from the platform and the window, as interfaces, so
// the engine runs and is tested without either.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "monitor/stop_token.h"
#include "text/gbk_text.h"

namespace pagorin::monitor {

using text::Text;

// Sleeps that a stop cuts short.
class Sleeper {
  public:
    virtual ~Sleeper() = default;
    // False when the run was stopped before the time was up.
    virtual bool sleep(std::chrono::milliseconds duration, StopToken& stop) = 0;
};

// The real sleeper: waits on the run's stop until a deadline on `clock`, which must also
// count the time the machine spends asleep. The system's own waits do not, so a daily
// entry on a laptop that sleeps at night would be checked every few days, and nothing
// would be fetched after a resume until the rest of the interval had passed awake. The
// wait is cut into slices of at most `slice`, so a deadline passed during a sleep is
// seen within one slice of the resume; a stop still ends the wait at once.
class StopTokenSleeper : public Sleeper {
  public:
    using Clock = std::function<std::chrono::milliseconds()>;

    explicit StopTokenSleeper(Clock clock = SteadyClock,
                              std::chrono::milliseconds slice = std::chrono::minutes(1))
        : clock_(std::move(clock)), slice_(slice) {}

    bool sleep(std::chrono::milliseconds duration, StopToken& stop) override {
        const std::chrono::milliseconds deadline = clock_() + duration;
        for (;;) {
            const std::chrono::milliseconds now = clock_();
            if (now >= deadline) return !stop.stopRequested();
            if (!stop.waitFor(std::min(deadline - now, slice_))) return false;
        }
    }

    // The standard library's monotonic clock, for builds without a better one.
    static std::chrono::milliseconds SteadyClock() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }

  private:
    Clock clock_;
    std::chrono::milliseconds slice_;
};

// Turns an address into page text. One per worker, made, used and destroyed on the
// worker's thread (it owns the worker's HTTP object).
class PageReader {
  public:
    virtual ~PageReader() = default;
    virtual Text read(std::string_view address) = 0;
};

class PageReaderFactory {
  public:
    virtual ~PageReaderFactory() = default;
    // A reader for the worker of the run that `stop` ends; a read in flight gives up
    // at that stop where the platform allows.
    virtual std::unique_ptr<PageReader> create(StopToken& stop) = 0;
};

// The alarm's sound and message.
class AlarmPresenter {
  public:
    virtual ~AlarmPresenter() = default;
    // Starts the alarm sound and returns at once; sounds of several alarms may overlap.
    virtual void playSound() = 0;
    // Shows the alarm message on the calling worker's thread and returns when the user
    // has closed it, or at once when `stop` is requested (the message then disappears).
    virtual void showMessage(std::string_view text, std::string_view caption, StopToken& stop) = 0;
};

// "开始监控", "停止监控" and the clock's tick, as the main window calls them.
class MonitorCommands {
  public:
    virtual ~MonitorCommands() = default;
    virtual void StartMonitoring() = 0;
    virtual void StopMonitoring() = 0;
    virtual void ElapsedTick() = 0;
};

// The workers as the delete command sees them.
class RowWorkers {
  public:
    virtual ~RowWorkers() = default;
    // Before rows from `row` on move up: ends the workers of those rows at once, as a
    // stop ends them (they write nothing more), so that none goes on with the entry
    // that slides under it. Workers of the rows above are untouched.
    virtual void EndWorkersFromRow(int32_t row) = 0;
};

// The main window's elapsed-time box and its one-second timer.
class ElapsedDisplay {
  public:
    virtual ~ElapsedDisplay() = default;
    virtual void setElapsedText(std::string_view text) = 0;
    // 0 stops the timer.
    virtual void setElapsedTimerInterval(int32_t milliseconds) = 0;
};

}  // namespace pagorin::monitor
