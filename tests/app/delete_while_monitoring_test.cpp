// A command acting on a running engine: deleting a watched row while its worker waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/entry_commands.h"
#include "support/monitoring_fixture.h"
#include "text/fixed_texts.h"

namespace pagorin::app {
namespace {

using namespace std::chrono_literals;
using items::kStatus;
using items::kTargetFound;
using monitor::testing::MonitoringTest;
using namespace monitor::testing::cell_texts;

// A worker that has alarmed keeps its row until its next cycle, the row showing "停止", so
// the row may be deleted meanwhile. The entry that moves up into its place must not be
// fetched, alarmed for or written by that worker; a worker of a row above is untouched.
TEST_F(MonitoringTest, DeletingAWorkersRowEndsThatWorker) {
    struct NoDialogs : EntryDialogs {
        void showAddDialog(const EntryFields&, const Save&) override {}
        void showModifyDialog(const EntryFields&, const Save&) override {}
        void showAboutWindow() override {}
    } dialogs;
    EntryCommandHandlers commands{list, messages, dialogs, monitoring};
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

}  // namespace
}  // namespace pagorin::app
