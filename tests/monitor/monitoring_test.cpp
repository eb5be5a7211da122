// Start, stop and the elapsed clock with real worker threads and fakes behind them:
// the refusals, the display, and a stop at every step of a cycle after which no worker
// writes again.
#include "monitor/monitoring.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/entry_commands.h"
#include "monitor/alarm.h"
#include "support/failing_allocator.h"
#include "support/monitor_fakes.h"
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

class MonitoringTest : public ::testing::Test {
  protected:
    ~MonitoringTest() override {
        // Let held fetches finish so no thread outlives the fakes.
        pages.release.open();
        monitoring.StopMonitoring();
        EXPECT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    }
    int32_t addRow(std::string keywords = "k", std::string refresh = "3") {
        const int32_t row = list.appendRow(text::IntToText(list.rowCount() + 1));
        list.setCellText(row, kStatus, kStopped);
        list.setCellText(row, items::kUrl, "http://srv/" + text::IntToText(row));
        list.setCellText(row, items::kKeywords, keywords);
        list.setCellText(row, items::kSoundAlarm, kYes);
        list.setCellText(row, items::kRefreshMinutes, refresh);
        list.setCellText(row, items::kMatchMode, text::kModeAny);
        list.setCellText(row, kTargetFound, kNo);
        return row;
    }
    // Stops, then checks that nothing is written afterwards and the rows keep "否".
    void stopAndExpectSilence() {
        monitoring.StopMonitoring();
        const size_t writesAtStop = log.size();
        pages.release.open();
        presenter.close.open();
        sleeper.release.open();
        ASSERT_TRUE(monitoring.waitUntilWorkersEnd(10s));
        EXPECT_EQ(log.size(), writesAtStop);
        for (int32_t row = 0; row < list.rowCount() && row < 3; ++row) {
            EXPECT_EQ(list.cellText(row, kStatus), kStopped) << row;
            EXPECT_EQ(list.cellText(row, kTargetFound), kNo) << row;
        }
    }

    items::ItemList list;
    WriteLog log{list};
    test_support::RecordedMessages messages;
    FakeDisplay display;
    FakeSleeper sleeper;
    FakePages pages;
    FakePresenter presenter;
    Monitoring monitoring{{list, messages, display, sleeper, pages, presenter}};
};

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

// A worker that has alarmed keeps its row until its next cycle, the row showing "停止", so
// the row may be deleted meanwhile. The entry that moves up into its place must not be
// fetched, alarmed for or written by that worker; a worker of a row above is untouched.
TEST_F(MonitoringTest, DeletingAWorkersRowEndsThatWorker) {
    struct NoDialogs : app::EntryDialogs {
        void showAddDialog(const app::EntryFields&, const Save&) override {}
        void showModifyDialog(const app::EntryFields&, const Save&) override {}
        void showAboutWindow() override {}
    } dialogs;
    app::EntryCommandHandlers commands{list, messages, dialogs, monitoring};
    addRow();  // rows 0 and 1 are found at once
    addRow();
    addRow();  // row 2 is not watched (no 序号) and moves up into row 1
    list.setCellText(2, items::kSequence, "");
    list.setCellText(2, items::kUrl, "http://srv/moves-up");
    pages.setPages({"k"});
    sleeper.setHold([](std::chrono::milliseconds d) { return d == 180s; });
    monitoring.StartMonitoring();
    ASSERT_TRUE(sleeper.holding.waitFor(2));  // both alarmed, waiting their interval
    ASSERT_EQ(list.cellText(1, kTargetFound), kYes);
    ASSERT_FALSE(items::monitoringActive(list));
    list.setCellText(0, kTargetFound, kNo);  // as the modify dialog does: row 0 goes on
    list.selectRow(1);
    commands.onDeleteClicked();
    ASSERT_EQ(list.rowCount(), 2);
    sleeper.release.open();
    ASSERT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    // The entry that moved up was never fetched, alarmed for or written.
    EXPECT_EQ(list.cellText(1, items::kUrl), "http://srv/moves-up");
    EXPECT_EQ(list.cellText(1, kTargetFound), kNo);
    EXPECT_EQ(list.cellText(1, kStatus), kStopped);
    const std::vector<std::string> addresses = pages.addresses();
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), "http://srv/1"), 1);
    // Row 0's worker went on: a second alarm.
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), "http://srv/0"), 2);
    EXPECT_EQ(presenter.texts().size(), 3u);
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
