// One worker and its alarms, run on the test thread with fakes: the order of writes,
// delays, waits, settings read once, and the message text.
#include "monitor/monitor_worker.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <limits>

#include "monitor/alarm.h"
#include "support/entry_rows.h"
#include "support/monitor_fakes.h"
#include "text/fixed_texts.h"

namespace pagorin::monitor {
namespace {

using namespace std::chrono_literals;
using items::kKeywords;
using items::kMatchMode;
using items::kRefreshMinutes;
using items::kSoundAlarm;
using items::kStatus;
using items::kTargetFound;
using items::kUrl;
using testing::CellWrite;
using testing::FakePages;
using testing::FakePresenter;
using testing::FakeSleeper;
using testing::WriteLog;
using namespace testing::cell_texts;

class MonitorWorkerTest : public ::testing::Test {
  protected:
    int32_t addRow(std::string url, std::string keywords, std::string mode,
                   std::string refresh = "3", std::string sound = kYes) {
        return test_support::AppendEntry(
            list,
            {.url = url, .keywords = keywords, .sound = sound, .refresh = refresh, .mode = mode});
    }
    void run(int slot) {
        MonitorWorker({list, sleeper, pages, presenter, stop},
                      kWorkerSlots[static_cast<size_t>(slot)]);
    }

    items::ItemList list;
    FakeSleeper sleeper;
    FakePages pages;
    FakePresenter presenter;
    StopToken stop;
};

TEST(RefreshInterval, MinutesAsA32BitMillisecondCount) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(RefreshIntervalMilliseconds("3"), 180000);
    EXPECT_EQ(RefreshIntervalMilliseconds("3\xB7\xD6\xD6\xD3"), 180000);  // 3分钟
    EXPECT_EQ(RefreshIntervalMilliseconds("\xA3\xB2"), 120000);           // ２
    EXPECT_EQ(RefreshIntervalMilliseconds("35791"), 2147460000);
    EXPECT_EQ(RefreshIntervalMilliseconds("35792"), kMax);
    EXPECT_EQ(RefreshIntervalMilliseconds("\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9\xA3\xB9"
                                          "\xA3\xB9\xA3\xB9\xA3\xB9"),
              kMax);
    EXPECT_EQ(RefreshIntervalMilliseconds("99999999999999999999999"), kMax);
    EXPECT_EQ(RefreshIntervalMilliseconds("-5"), -300000);
    EXPECT_EQ(RefreshIntervalMilliseconds("-99999999999"), kMin);
    EXPECT_EQ(RefreshIntervalMilliseconds(""), 0);
    EXPECT_EQ(RefreshIntervalMilliseconds("abc"), 0);
}

// An interval counts the time the machine sleeps: across a sleep the clock jumps, and the
// wait ends at the next slice instead of after the interval in waking time. A stop still
// ends it at once, and a clock that stands keeps it waiting.
TEST(StopTokenSleeper, WaitsUntilADeadlineOnAClockThatCountsSleep) {
    using namespace std::chrono_literals;
    std::atomic<int64_t> clock{0};
    StopTokenSleeper sleeper([&] { return std::chrono::milliseconds(clock.load()); }, 20ms);
    StopToken stop;
    std::thread machine([&] {
        std::this_thread::sleep_for(300ms);
        clock += 10 * 60 * 1000;  // ten minutes asleep
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(sleeper.sleep(10min, stop));
    const auto took = std::chrono::steady_clock::now() - started;
    machine.join();
    EXPECT_GE(took, 250ms);  // not before the clock got there
    EXPECT_LT(took, 10s);    // and not ten minutes of waking time

    std::thread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop.requestStop();
    });
    const auto beforeStop = std::chrono::steady_clock::now();
    EXPECT_FALSE(sleeper.sleep(1h, stop));
    EXPECT_LT(std::chrono::steady_clock::now() - beforeStop, 10s);
    stopper.join();
    EXPECT_FALSE(sleeper.sleep(0ms, stop));  // once stopped, no wait succeeds
}

TEST_F(MonitorWorkerTest, TwoFindsGiveTwoAlarmsThenOneWaitThenTheEnd) {
    addRow("http://srv/a", "a|b|zz", std::string(text::kModeAny));
    pages.setPages({"b and a"});
    WriteLog log(list);
    run(0);
    // "监控中"; for each alarm "是" then "停止"; nothing at the end.
    EXPECT_EQ(log.writes(), (std::vector<CellWrite>{{0, kStatus, kMonitoring},
                                                    {0, kTargetFound, kYes},
                                                    {0, kStatus, kStopped},
                                                    {0, kTargetFound, kYes},
                                                    {0, kStatus, kStopped}}));
    // Each alarm waits 10 s; the cycle ends with one wait of the interval; the worker
    // ends at the top of the next cycle without fetching again.
    EXPECT_EQ(sleeper.durations(), (std::vector<std::chrono::milliseconds>{10s, 10s, 180s}));
    EXPECT_EQ(pages.addresses(), (std::vector<std::string>{"http://srv/a"}));
    EXPECT_EQ(presenter.events(),
              (std::vector<std::string>{"sound", "message", "sound", "message"}));
    EXPECT_EQ(presenter.texts()[0], AlarmMessage("http://srv/a", {"a", "[\xBB\xF2]"}));
    EXPECT_EQ(presenter.texts()[1], AlarmMessage("http://srv/a", {"b", "[\xBB\xF2]"}));
    EXPECT_EQ(presenter.captions()[0], kAlarmCaption);
}

TEST_F(MonitorWorkerTest, NoSoundUnlessTheCellIsExactlyYes) {
    addRow("u", "a", std::string(text::kModeAll), "1", kYes + " ");
    pages.setPages({"a"});
    run(0);
    EXPECT_EQ(presenter.events(), (std::vector<std::string>{"message"}));
}

// A worker that never ends fails its test instead of hanging it: the fake pages stop it
// after their cycle limit and say so.
TEST_F(MonitorWorkerTest, AWorkerThatNeverEndsFailsTheTest) {
    addRow("u", "never", std::string(text::kModeAny), "0");
    pages.setPages({"nothing"});
    pages.cycleLimit = 5;
    ::testing::TestPartResultArray failures;
    {
        const ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        run(0);  // returns: the limit stopped it
    }
    ASSERT_EQ(failures.size(), 1);
    EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("went on"),
              std::string::npos);
    EXPECT_EQ(pages.addresses().size(), 5u);
}

TEST_F(MonitorWorkerTest, LaterSlotsWaitBeforeReadingTheirSettings) {
    addRow("first", "x", std::string(text::kModeAny));
    addRow("old address", "x", std::string(text::kModeAny));
    // Changed during the start delay: the worker must read the new text.
    sleeper.onSleep = [&](std::chrono::milliseconds duration) {
        if (duration == 10s && pages.addresses().empty()) list.setCellText(1, kUrl, "new address");
    };
    pages.setPages({"x"});
    run(1);
    EXPECT_EQ(sleeper.durations().front(), 10s);
    EXPECT_EQ(pages.addresses(), (std::vector<std::string>{"new address"}));
    EXPECT_EQ(list.cellText(0, kStatus), kStopped);  // no other row is touched
}

TEST_F(MonitorWorkerTest, ThirdSlotWaitsTwentySeconds) {
    addRow("a", "x", "");
    addRow("b", "x", "");
    addRow("c", "x", std::string(text::kModeAny));
    pages.setPages({"x"});
    run(2);
    EXPECT_EQ(sleeper.durations().front(), 20s);
    EXPECT_EQ(list.cellText(2, kTargetFound), kYes);
}

TEST_F(MonitorWorkerTest, NoWaitForZeroNegativeOrNoNumber) {
    for (std::string refresh : {"0", "-5", "abc", ""}) {
        items::ItemList fresh;
        FakeSleeper sleeps;
        FakePages script;
        StopToken token;
        const int32_t row = fresh.appendRow("1");
        fresh.setCellText(row, kRefreshMinutes, refresh);
        fresh.setCellText(row, kMatchMode, text::kModeAny);
        fresh.setCellText(row, kKeywords, "never");
        // The fourth fetch ends the run the way the modify dialog would not: by a find.
        script.onRead = [&](int number) {
            if (number == 4) fresh.setCellText(row, kTargetFound, kYes);
        };
        MonitorWorker({fresh, sleeps, script, presenter, token}, kWorkerSlots[0]);
        EXPECT_TRUE(sleeps.durations().empty()) << refresh;
        EXPECT_EQ(script.addresses().size(), 4u) << refresh;
    }
}

TEST_F(MonitorWorkerTest, OtherModeTextsAreFetchedEveryIntervalAndNeverFound) {
    addRow("u", "x", "or");
    pages.setPages({"x x x"});
    int reads = 0;
    pages.onRead = [&](int number) {
        reads = number;
        if (number == 3) list.setCellText(0, kTargetFound, kYes);
    };
    run(0);
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(sleeper.durations(), (std::vector<std::chrono::milliseconds>{180s, 180s, 180s}));
    EXPECT_TRUE(presenter.events().empty());
}

TEST_F(MonitorWorkerTest, RowSetBackToNoKeepsTheOldSettings) {
    addRow("http://old/", "k", std::string(text::kModeAny), "2");
    pages.setPages({"k", "nothing", "k"});
    sleeper.onSleep = [&](std::chrono::milliseconds duration) {
        if (duration == 120s && pages.addresses().size() == 1) {
            // The modify dialog saved the row during the interval.
            list.setCellText(0, kTargetFound, kNo);
            list.setCellText(0, kUrl, "http://new/");
        }
    };
    run(0);
    EXPECT_EQ(pages.addresses(),
              (std::vector<std::string>{"http://old/", "http://old/", "http://old/"}));
    EXPECT_EQ(presenter.events().size(), 4u);  // sound + message, twice
    EXPECT_EQ(list.cellText(0, kTargetFound), kYes);
}

TEST_F(MonitorWorkerTest, UntilTheMessageIsClosedTheRowStillShowsMonitoring) {
    addRow("u", "k", std::string(text::kModeAny));
    pages.setPages({"k"});
    presenter.onShow = [&] {
        EXPECT_EQ(list.cellText(0, kStatus), kMonitoring);
        EXPECT_EQ(list.cellText(0, kTargetFound), kNo);
    };
    run(0);
    EXPECT_EQ(list.cellText(0, kStatus), kStopped);
}

TEST_F(MonitorWorkerTest, AStoppedRunWritesNothing) {
    addRow("u", "k", std::string(text::kModeAny));
    WriteLog log(list);
    stop.requestStop();
    run(0);
    EXPECT_EQ(log.size(), 0u);
    EXPECT_TRUE(pages.addresses().empty());
}

TEST_F(MonitorWorkerTest, StopBetweenTheMessageAndTheWritesLeavesTheRow) {
    addRow("u", "k", std::string(text::kModeAny));
    pages.setPages({"k"});
    presenter.onShow = [&] { stop.requestStop(); };
    WriteLog log(list);
    run(0);
    EXPECT_EQ(log.writes(), (std::vector<CellWrite>{{0, kStatus, kMonitoring}}));
    EXPECT_EQ(list.cellText(0, kTargetFound), kNo);
}

TEST(AlarmMessage, ExactBytes) {
    const std::string head =
        "\xD4\xDA\xCF\xC2\xC3\xE6\xCD\xF8\xD2\xB3\xD6\xD0\xB7\xA2\xCF\xD6\xBC\xE0\xBF\xD8\xC4\xBF"
        "\xB1\xEA\xA3\xBA\r\n\r\n\xBC\xE0\xBF\xD8\xCD\xF8\xD6\xB7\xA3\xBA";
    const std::string middle = "\r\n\xBC\xE0\xBF\xD8\xC4\xBF\xB1\xEA\xA3\xBA";
    ASSERT_EQ(head.size(), 40u);
    ASSERT_EQ(middle.size(), 12u);
    EXPECT_EQ(AlarmMessage("U", {"abc", "[\xBB\xF2]"}), head + "U" + middle + "abc[\xBB\xF2]");
    EXPECT_EQ(AlarmMessage("U", {"", "[\xBB\xF2]"}), head + "U" + middle + "[\xBB\xF2]");
    EXPECT_EQ(kAlarmCaption.size(), 30u);
    EXPECT_EQ(kAlarmCaption.substr(0, 2), "\xA1\xFE");  // 〓
}

}  // namespace
}  // namespace pagorin::monitor
