// Start, stop and the elapsed clock with real worker threads and fakes behind them:
// the refusals, the display, and a stop at every step of a cycle after which no worker
// writes again.
#include "monitor/monitoring.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "monitor/alarm.h"
#include "support/failing_allocator.h"
#include "support/monitoring_fixture.h"
#include "text/fixed_texts.h"

namespace pagorin::monitor {
namespace {

using namespace std::chrono_literals;
using items::kStatus;
using items::kTargetFound;
using testing::FakeDisplay;
using testing::FakePages;
using testing::FakePresenter;
using testing::FakeSleeper;
using testing::WriteLog;
using namespace testing::cell_texts;

using testing::MonitoringTest;

TEST_F(MonitoringTest, EmptyListIsRefusedAndNothingChanges) {
    monitoring.StartMonitoring();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], kAddEntriesFirst);
    EXPECT_EQ(messages.captions[0], text::kCaptionNotice);
    EXPECT_EQ(messages.icons[0], system::MessageIcon::kInformation);
    EXPECT_EQ(display.textChanges, 0);
    EXPECT_EQ(display.interval, 0);
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(MonitoringTest, SecondStartIsRefusedWhileARowShowsMonitoring) {
    addRow();
    list.setCellText(0, kStatus, kMonitoring);  // as an imported row may be
    monitoring.StartMonitoring();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], kAlreadyMonitoring);
    EXPECT_EQ(pages.readersMade(), 0);
}

TEST_F(MonitoringTest, FoundRowsAreNotStartedAndTheFourthRowNever) {
    for (int i = 0; i < 4; ++i) addRow();
    for (int32_t row = 0; row < 3; ++row) list.setCellText(row, kTargetFound, kYes);
    monitoring.StartMonitoring();
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(display.textChanges, 0);
    EXPECT_EQ(display.interval, 0);
    EXPECT_TRUE(monitoring.waitUntilWorkersEnd(1s));
    EXPECT_EQ(pages.readersMade(), 0);
    EXPECT_EQ(list.cellText(3, kStatus), kStopped);
}

TEST_F(MonitoringTest, StartRunsAWorkerPerStartableRow) {
    addRow();
    addRow();
    list.setCellText(1, items::kSequence, "");  // no 序号: not startable
    addRow();
    sleeper.setHold([](std::chrono::milliseconds d) { return d == 180s; });
    pages.setPages({"nothing"});
    display.text = "12:34:56";
    monitoring.StartMonitoring();
    EXPECT_EQ(display.text, "00:00:00");
    EXPECT_EQ(display.interval, 1000);
    ASSERT_TRUE(sleeper.holding.waitFor(2));  // rows 0 and 2 reach their interval wait
    EXPECT_EQ(list.cellText(0, kStatus), kMonitoring);
    EXPECT_EQ(list.cellText(1, kStatus), kStopped);
    EXPECT_EQ(list.cellText(2, kStatus), kMonitoring);
    EXPECT_EQ(pages.readersMade(), 2);
    EXPECT_TRUE(items::monitoringActive(list));
    stopAndExpectSilence();
    EXPECT_EQ(display.interval, 0);
}

TEST_F(MonitoringTest, StopDuringTheStartDelay) {
    addRow();
    addRow();
    sleeper.setHold([](std::chrono::milliseconds d) { return d == 10s || d == 180s; });
    monitoring.StartMonitoring();
    ASSERT_TRUE(sleeper.holding.waitFor(2));  // row 0 waits its interval, row 1 its delay
    stopAndExpectSilence();
    EXPECT_EQ(pages.addresses().size(), 1u);  // row 1 never fetched
}

TEST_F(MonitoringTest, StopDuringAFetchThrowsThePageAway) {
    addRow();
    pages.setPages({"k"});  // would be a find
    pages.holdReads = true;
    monitoring.StartMonitoring();
    ASSERT_TRUE(pages.reading.waitFor(1));
    stopAndExpectSilence();
    EXPECT_TRUE(presenter.events().empty());
}

TEST_F(MonitoringTest, StopDuringTheAlarmDelay) {
    addRow();
    pages.setPages({"k"});
    sleeper.setHold([](std::chrono::milliseconds d) { return d == kAlarmDelay; });
    monitoring.StartMonitoring();
    ASSERT_TRUE(sleeper.holding.waitFor(1));
    stopAndExpectSilence();
    EXPECT_TRUE(presenter.events().empty());
}

TEST_F(MonitoringTest, StopWhileTheMessageIsOpen) {
    addRow();
    pages.setPages({"k"});
    presenter.holdMessages = true;
    monitoring.StartMonitoring();
    ASSERT_TRUE(presenter.shown.waitFor(1));
    EXPECT_EQ(list.cellText(0, kStatus), kMonitoring);
    stopAndExpectSilence();
}

TEST_F(MonitoringTest, StopRightAfterTheMessageClosesWinsOverTheWrites) {
    addRow();
    pages.setPages({"k"});
    // The user has closed the message; the worker is held just before its writes.
    testing::Signal closed;
    testing::Gate proceed;
    presenter.onShow = [&] {
        closed.raise();
        proceed.wait();
    };
    monitoring.StartMonitoring();
    ASSERT_TRUE(closed.waitFor(1));
    monitoring.StopMonitoring();
    proceed.open();
    ASSERT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    EXPECT_EQ(list.cellText(0, kStatus), kStopped);
    EXPECT_EQ(list.cellText(0, kTargetFound), kNo);
}

TEST_F(MonitoringTest, NewStartWhileAnAbandonedFetchIsStillRunning) {
    addRow();
    pages.holdReads = true;
    pages.setPages({"k"});
    monitoring.StartMonitoring();
    ASSERT_TRUE(pages.reading.waitFor(1));
    monitoring.StopMonitoring();
    const size_t writesAtStop = log.size();
    // The first fetch still hangs; a new run starts and fetches on its own.
    pages.holdReads = false;
    pages.setPages({"nothing"});
    sleeper.setHold([](std::chrono::milliseconds d) { return d == 180s; });
    monitoring.StartMonitoring();
    ASSERT_TRUE(sleeper.holding.waitFor(1));
    EXPECT_EQ(pages.readersMade(), 2);
    EXPECT_EQ(list.cellText(0, kStatus), kMonitoring);
    // The old fetch finishes with a page that would be a find: thrown away.
    pages.release.open();
    monitoring.StopMonitoring();
    ASSERT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    EXPECT_TRUE(presenter.events().empty());
    EXPECT_EQ(list.cellText(0, kTargetFound), kNo);
    EXPECT_GT(log.size(), writesAtStop);  // only the second run's "监控中" and the stop
}

// Memory runs out in the middle of a cycle (a huge page to match): that cycle is an empty
// page, and the worker goes on to find the page in its next one.
TEST_F(MonitoringTest, ACycleThatRunsOutOfMemoryIsAnEmptyPage) {
    addRow("k", "0");
    pages.setPages({std::string(4096, 'k')});  // too long to be kept without memory of its own
    pages.onRead = [](int number) {
        // On the worker's thread: its first cycle's next allocations fail.
        if (number == 1) test_support::FailAllocations(0, 1000);
    };
    monitoring.StartMonitoring();
    ASSERT_TRUE(presenter.shown.waitFor(1));
    ASSERT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    EXPECT_GE(pages.addresses().size(), 2u);  // the failed cycle, then the find
    EXPECT_EQ(list.cellText(0, kTargetFound), kYes);
    EXPECT_EQ(presenter.texts().size(), 1u);
}

TEST_F(MonitoringTest, ElapsedClockTicksRollsOverAndStopsAt99Hours) {
    for (int i = 0; i < 59; ++i) monitoring.ElapsedTick();
    EXPECT_EQ(display.text, "00:00:59");
    monitoring.ElapsedTick();
    EXPECT_EQ(display.text, "00:01:00");
    for (int i = 0; i < 59 * 60; ++i) monitoring.ElapsedTick();
    EXPECT_EQ(display.text, "01:00:00");
    display.interval = 1000;
    for (int i = 0; i < 98 * 3600 - 1; ++i) monitoring.ElapsedTick();
    EXPECT_EQ(display.text, "98:59:59");
    EXPECT_EQ(display.interval, 1000);
    monitoring.ElapsedTick();
    EXPECT_EQ(display.text, "99:00:00");
    EXPECT_EQ(display.interval, 0);
}

TEST_F(MonitoringTest, StartKeepsTheCountersAndStopResetsThem) {
    addRow();
    pages.setPages({"k"});
    monitoring.ElapsedTick();
    monitoring.ElapsedTick();
    monitoring.StartMonitoring();  // finds at once and ends by itself
    ASSERT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    list.setCellText(0, kTargetFound, kNo);
    monitoring.StartMonitoring();
    EXPECT_EQ(display.text, "00:00:00");
    monitoring.ElapsedTick();
    EXPECT_EQ(display.text, "00:00:03");
    monitoring.StopMonitoring();
    EXPECT_EQ(display.text, "00:00:03");  // the box keeps its text
    monitoring.ElapsedTick();
    EXPECT_EQ(display.text, "00:00:01");
}

TEST(ElapsedText, TwoDigitFields) {
    EXPECT_EQ(ElapsedText(0, 0, 0), "00:00:00");
    EXPECT_EQ(ElapsedText(7, 42, 5), "07:42:05");
    EXPECT_EQ(ElapsedText(99, 0, 0), "99:00:00");
}

}  // namespace
}  // namespace pagorin::monitor
