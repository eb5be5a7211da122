// Fakes behind the monitoring engine's interfaces: scripted pages, sleeps that return
// at once or hold until stopped, an alarm presenter that records or holds its message,
// and a record of every cell write.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "items/item_list.h"
#include "monitor/monitor_ports.h"
#include "support/recorded_messages.h"
#include "system/user_messages.h"
#include "text/fixed_texts.h"

namespace pagorin::monitor::testing {

// The cell texts as std::string, so they compare and build CellWrite values directly.
namespace cell_texts {
inline const std::string kMonitoring(text::kMonitoring);
inline const std::string kStopped(text::kStopped);
inline const std::string kYes(text::kYes);
inline const std::string kNo(text::kNo);
}  // namespace cell_texts

// A latch the test opens; waiting on it can also end with a stop.
class Gate {
  public:
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    // Waits until opened; with a stop token, also until stopped. True when opened.
    bool wait(StopToken* stop = nullptr) {
        std::unique_lock lock(mutex_);
        while (!open_) {
            if (stop != nullptr && stop->stopRequested()) return false;
            changed_.wait_for(lock, std::chrono::milliseconds(5));
        }
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// Signals that something has happened, for the test thread to wait on.
class Signal {
  public:
    void raise() {
        std::lock_guard lock(mutex_);
        ++count_;
        changed_.notify_all();
    }
    bool waitFor(int count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return count_ >= count; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

struct CellWrite {
    int32_t row;
    int32_t column;
    std::string text;
    bool operator==(const CellWrite&) const = default;
};

// Records every cell write of the list, from any thread.
class WriteLog : public items::ItemListObserver {
  public:
    explicit WriteLog(items::ItemList& list) : list_(list) { list.setObserver(this); }
    ~WriteLog() override { list_.setObserver(nullptr); }
    void onRowsChanged(int32_t) override {}
    void onSelectionChanged(int32_t) override {}
    void onCellChanged(int32_t row, int32_t column) override {
        std::lock_guard lock(mutex_);
        writes_.push_back({row, column, list_.cellText(row, column)});
    }
    std::vector<CellWrite> writes() const {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    size_t size() const {
        std::lock_guard lock(mutex_);
        return writes_.size();
    }

  private:
    items::ItemList& list_;
    mutable std::mutex mutex_;
    std::vector<CellWrite> writes_;
};

// Real waits, a hundred times shorter, still cut short by a stop.
struct FastSleeper : Sleeper {
    bool sleep(std::chrono::milliseconds duration, StopToken& stop) override {
        return stop.waitFor(duration / 100);
    }
};

// Records each sleep. Sleeps for which `hold` answers true wait until the stop (or the
// test opens `release`); the others return at once. `onSleep` runs before each one.
class FakeSleeper : public Sleeper {
  public:
    std::function<void(std::chrono::milliseconds)> onSleep = [](auto) {};
    Gate release;
    Signal holding;

    // May be changed while workers run.
    void setHold(std::function<bool(std::chrono::milliseconds)> hold) {
        std::lock_guard lock(mutex_);
        hold_ = std::move(hold);
    }

    bool sleep(std::chrono::milliseconds duration, StopToken& stop) override {
        bool held;
        {
            std::lock_guard lock(mutex_);
            durations_.push_back(duration);
            held = hold_(duration);
        }
        onSleep(duration);
        if (held) {
            holding.raise();
            return release.wait(&stop) && !stop.stopRequested();
        }
        return !stop.stopRequested();
    }
    std::vector<std::chrono::milliseconds> durations() const {
        std::lock_guard lock(mutex_);
        return durations_;
    }

  private:
    mutable std::mutex mutex_;
    std::function<bool(std::chrono::milliseconds)> hold_ = [](auto) { return false; };
    std::vector<std::chrono::milliseconds> durations_;
};

// Pages in order (the last one repeats); records each address read. With `holdReads`,
// each read waits for `release` (a fetch in flight that ignores stops, as a real one).
// A worker that reads more than `cycleLimit` pages does not end as it should: the test
// fails, and the worker is stopped so that the test program ends instead of hanging.
class FakePages : public PageReaderFactory {
  public:
    static constexpr int kDefaultCycleLimit = 10000;
    std::atomic<int> cycleLimit{kDefaultCycleLimit};
    std::atomic<bool> holdReads{false};
    std::function<void(int readNumber)> onRead = [](int) {};
    Gate release;
    Signal reading;

    // The pages to serve, in order; the last one repeats. May be changed while workers run.
    void setPages(std::deque<std::string> pages) {
        std::lock_guard lock(mutex_);
        pages_ = std::move(pages);
    }

    std::unique_ptr<PageReader> create(StopToken& stop) override {
        std::lock_guard lock(mutex_);
        ++readersMade_;
        return std::make_unique<Reader>(*this, stop);
    }
    std::vector<std::string> addresses() const {
        std::lock_guard lock(mutex_);
        return addresses_;
    }
    int readersMade() const {
        std::lock_guard lock(mutex_);
        return readersMade_;
    }

  private:
    struct Reader : PageReader {
        Reader(FakePages& owner, StopToken& stop) : owner_(owner), stop_(stop) {}
        Text read(std::string_view address) override {
            if (++cycles_ > owner_.cycleLimit) {
                if (cycles_ == owner_.cycleLimit + 1) {
                    ADD_FAILURE() << "a worker read " << cycles_ - 1 << " pages and went on";
                }
                stop_.requestStop();
                return {};
            }
            return owner_.read(address);
        }
        FakePages& owner_;
        StopToken& stop_;
        int cycles_ = 0;
    };
    Text read(std::string_view address) {
        int number;
        std::string page;
        {
            std::lock_guard lock(mutex_);
            addresses_.emplace_back(address);
            number = static_cast<int>(addresses_.size());
            page = pages_.front();
            if (pages_.size() > 1) pages_.pop_front();
        }
        onRead(number);
        reading.raise();
        if (holdReads) release.wait();
        return page;
    }

    mutable std::mutex mutex_;
    std::deque<std::string> pages_{""};
    std::vector<std::string> addresses_;
    int readersMade_ = 0;
};

// Records sounds and messages. With `holdMessages`, a message stays open until the test
// opens `close` or the run is stopped; `onShow` runs when one opens.
class FakePresenter : public AlarmPresenter {
  public:
    bool holdMessages = false;
    std::function<void()> onShow = [] {};
    Gate close;
    Signal shown;

    void playSound() override {
        std::lock_guard lock(mutex_);
        events_.push_back("sound");
    }
    void showMessage(std::string_view text, std::string_view caption, StopToken& stop) override {
        {
            std::lock_guard lock(mutex_);
            events_.push_back("message");
            texts_.emplace_back(text);
            captions_.emplace_back(caption);
        }
        shown.raise();
        onShow();
        if (holdMessages) close.wait(&stop);
    }
    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<std::string> texts() const {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    std::vector<std::string> captions() const {
        std::lock_guard lock(mutex_);
        return captions_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
    std::vector<std::string> texts_;
    std::vector<std::string> captions_;
};

struct FakeDisplay : ElapsedDisplay {
    std::string text = "00:00:00";
    int32_t interval = 0;
    int textChanges = 0;
    void setElapsedText(std::string_view value) override {
        text = value;
        ++textChanges;
    }
    void setElapsedTimerInterval(int32_t milliseconds) override { interval = milliseconds; }
};

}  // namespace pagorin::monitor::testing
