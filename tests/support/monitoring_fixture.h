// The monitoring engine over the fakes, with the rows it watches: the fixture of the
// engine's own tests and of the commands that act on a running engine.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "items/item_list.h"
#include "monitor/monitoring.h"
#include "support/entry_rows.h"
#include "support/monitor_fakes.h"
#include "support/recorded_messages.h"
#include "text/fixed_texts.h"

namespace pagorin::monitor::testing {

using namespace std::chrono_literals;

class MonitoringTest : public ::testing::Test {
  protected:
    ~MonitoringTest() override {
        // Let held fetches finish so no thread outlives the fakes.
        pages.release.open();
        monitoring.StopMonitoring();
        EXPECT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    }
    int32_t addRow(std::string keywords = "k", std::string refresh = "3") {
        return test_support::AppendEntry(list,
                                         {.url = "http://srv/" + text::IntToText(list.rowCount()),
                                          .keywords = keywords,
                                          .refresh = refresh});
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
            EXPECT_EQ(list.cellText(row, items::kStatus), cell_texts::kStopped) << row;
            EXPECT_EQ(list.cellText(row, items::kTargetFound), cell_texts::kNo) << row;
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

}  // namespace pagorin::monitor::testing
