// Three workers write their own rows while the window reads every cell: each read
// sees a whole text that some writer stored, never a torn or mixed one.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "items/item_list.h"

namespace pagorin::items {
namespace {

// Texts of different lengths, so a torn read would show up as a text never written.
std::string statusText(int32_t row, int i) {
    return std::string(static_cast<size_t>(1 + (i % 40)), static_cast<char>('a' + row));
}

bool isWrittenText(const std::string& value, int32_t row) {
    if (value.empty()) return true;  // the cell before the first write
    return value.size() <= 40 &&
           value.find_first_not_of(static_cast<char>('a' + row)) == std::string::npos;
}

TEST(ItemListConcurrency, WorkersWriteOwnRowsWhileTheWindowReads) {
    ItemList list;
    for (int i = 0; i < 4; ++i) list.appendRow(text::IntToText(i + 1));
    constexpr int kWrites = 20000;
    std::atomic<int> running{3};
    std::vector<std::thread> workers;
    for (int32_t row = 0; row < 3; ++row) {
        workers.emplace_back([&list, &running, row] {
            for (int i = 0; i < kWrites; ++i) {
                list.setCellText(row, kStatus, statusText(row, i));
                list.setCellText(row, kTargetFound, i % 2 ? text::kYes : text::kNo);
            }
            running.fetch_sub(1);
        });
    }
    int reads = 0;
    bool allWhole = true;
    while (running.load() > 0 || reads == 0) {
        for (int32_t row = 0; row < 4; ++row) {
            for (int32_t column = 0; column < kColumnCount; ++column) {
                std::string value = list.cellText(row, column);
                if (column == kStatus && row < 3) allWhole &= isWrittenText(value, row);
                if (column == kTargetFound && row < 3) {
                    allWhole &= value.empty() || value == text::kYes || value == text::kNo;
                }
            }
        }
        monitoringActive(list);
        ++reads;
    }
    for (auto& worker : workers) worker.join();
    EXPECT_TRUE(allWhole);
    for (int32_t row = 0; row < 3; ++row) {
        EXPECT_EQ(list.cellText(row, kStatus), statusText(row, kWrites - 1));
        EXPECT_EQ(list.cellText(row, kTargetFound), text::kYes);
        EXPECT_EQ(list.cellText(row, kSequence), text::IntToText(row + 1));
    }
    EXPECT_EQ(list.cellText(3, kStatus), "");
}

TEST(ItemListConcurrency, AppendsAndDeletesBesideCellWrites) {
    ItemList list;
    for (int i = 0; i < 3; ++i) list.appendRow("x");
    std::thread writer([&list] {
        for (int i = 0; i < 20000; ++i) list.setCellText(i % 50, kStatus, text::kMonitoring);
    });
    for (int i = 0; i < 5000; ++i) {
        list.appendRow("y");
        if (list.rowCount() > 40) list.deleteRow(list.rowCount() - 1);
    }
    writer.join();
    EXPECT_LE(list.rowCount(), 41);
    EXPECT_EQ(list.cellText(0, kSequence), "x");
    EXPECT_EQ(list.cellText(0, kStatus), text::kMonitoring);
}

}  // namespace
}  // namespace pagorin::items
