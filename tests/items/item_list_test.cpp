// ItemList: rows that do not exist, sequence numbers, selection, and the shared tests.
#include "items/item_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace pagorin::items {
namespace {

using text::kMonitoring;
using text::kStopped;

// Records what the observer is told, to check that the list view would repaint.
struct RecordingObserver : ItemListObserver {
    std::vector<int32_t> rowCounts;
    std::vector<std::pair<int32_t, int32_t>> cells;
    std::vector<int32_t> selections;
    void onRowsChanged(int32_t rowCount) override { rowCounts.push_back(rowCount); }
    void onCellChanged(int32_t row, int32_t column) override { cells.emplace_back(row, column); }
    void onSelectionChanged(int32_t row) override { selections.push_back(row); }
};

// The add dialog's rule: the new 序号 is the new index + 1.
int32_t addEntry(ItemList& list) {
    int32_t row = list.appendRow();
    list.setCellText(row, kSequence, text::IntToText(row + 1));
    return row;
}

TEST(ItemList, EmptyListReadsAsEmptyCells) {
    ItemList list;
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_TRUE(listIsEmpty(list));
    EXPECT_FALSE(monitoringActive(list));
    for (int32_t row : {-1, 0, 1, 5}) {
        for (int32_t column : {-1, 0, 7, 8}) EXPECT_EQ(list.cellText(row, column), "");
    }
    EXPECT_EQ(list.selectedRow(), -1);
}

TEST(ItemList, AppendRowFillsOnlyTheFirstCell) {
    ItemList list;
    EXPECT_EQ(list.appendRow("7"), 0);
    EXPECT_EQ(list.appendRow(), 1);
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.cellText(0, kSequence), "7");
    EXPECT_EQ(list.cellText(1, kSequence), "");
    for (int32_t column = 1; column < kColumnCount; ++column) {
        EXPECT_EQ(list.cellText(0, column), "");
    }
}

TEST(ItemList, MissingRowsAndColumnsAreNeitherReadNorWritten) {
    ItemList list;
    for (int i = 0; i < 3; ++i) addEntry(list);
    list.setCellText(5, kStatus, kStopped);
    list.setCellText(-1, kStatus, kStopped);
    list.setCellText(0, 8, "x");
    list.setCellText(0, -1, "x");
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.cellText(5, kStatus), "");
    for (int32_t column = 1; column < kColumnCount; ++column) {
        EXPECT_EQ(list.cellText(0, column), "");
    }
    list.deleteRow(3);
    list.deleteRow(-1);
    EXPECT_EQ(list.rowCount(), 3);
}

TEST(ItemList, CellsHoldAnyBytes) {
    ItemList list;
    list.appendRow();
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    list.setCellText(0, kUrl, all);
    EXPECT_EQ(list.cellText(0, kUrl), all);
    const std::string withZero("a\0b", 3);
    list.setCellText(0, kKeywords, withZero);
    EXPECT_EQ(list.cellText(0, kKeywords), withZero);
}

// What a view shows of a cell: a prefix that never ends inside a character.
TEST(ItemList, CellPrefixesEndBetweenCharacters) {
    ItemList list;
    list.appendRow();
    list.setCellText(0, kUrl,
                     "ab\xD6\xD0"
                     "cd\xB0");  // ab中cd and a lone lead byte
    const std::pair<size_t, std::string> cases[] = {{0, ""},
                                                    {1, "a"},
                                                    {2, "ab"},
                                                    {3, "ab"},
                                                    {4, "ab\xD6\xD0"},
                                                    {6,
                                                     "ab\xD6\xD0"
                                                     "cd"},
                                                    {7,
                                                     "ab\xD6\xD0"
                                                     "cd"},
                                                    {8,
                                                     "ab\xD6\xD0"
                                                     "cd\xB0"},
                                                    {1000,
                                                     "ab\xD6\xD0"
                                                     "cd\xB0"}};
    for (const auto& [maxBytes, prefix] : cases) {
        EXPECT_EQ(list.cellTextPrefix(0, kUrl, maxBytes), prefix) << maxBytes;
    }
    EXPECT_EQ(list.cellTextPrefix(1, kUrl, 10), "");
    EXPECT_EQ(list.cellTextPrefix(0, kColumnCount, 10), "");
}

TEST(ItemList, SequenceNumbersAreNeverRecomputed) {
    ItemList list;
    EXPECT_EQ(addEntry(list), 0);
    addEntry(list);
    addEntry(list);
    list.deleteRow(1);  // the row numbered 2
    EXPECT_EQ(list.cellText(0, kSequence), "1");
    EXPECT_EQ(list.cellText(1, kSequence), "3");
    addEntry(list);
    EXPECT_EQ(list.cellText(2, kSequence), "3");
}

TEST(ItemList, DeleteMovesLaterRowsUp) {
    ItemList list;
    for (const char* url : {"a", "b", "c", "d"}) {
        int32_t row = addEntry(list);
        list.setCellText(row, kUrl, url);
    }
    list.deleteRow(0);
    EXPECT_EQ(list.cellText(0, kUrl), "b");
    EXPECT_EQ(list.cellText(2, kUrl), "d");
    list.deleteRow(2);
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.cellText(2, kUrl), "");
}

TEST(ItemList, SelectionFollowsDeletes) {
    ItemList list;
    for (int i = 0; i < 4; ++i) addEntry(list);
    list.selectRow(2);
    EXPECT_EQ(list.selectedRow(), 2);
    list.deleteRow(3);  // below the selection: unchanged
    EXPECT_EQ(list.selectedRow(), 2);
    list.deleteRow(0);  // above it: it moves up with its row
    EXPECT_EQ(list.selectedRow(), 1);
    list.deleteRow(1);  // the selected row itself
    EXPECT_EQ(list.selectedRow(), -1);
    list.selectRow(9);
    EXPECT_EQ(list.selectedRow(), -1);
    list.selectRow(0);
    list.selectRow(-1);
    EXPECT_EQ(list.selectedRow(), -1);
}

TEST(ItemList, ObserverHearsEveryChange) {
    ItemList list;
    RecordingObserver observer;
    list.setObserver(&observer);
    list.appendRow("1");
    list.appendRow("2");
    list.setCellText(1, kStatus, kMonitoring);
    list.setCellText(7, kStatus, kMonitoring);  // no such row: nothing to repaint
    list.selectRow(1);
    list.deleteRow(0);
    std::vector<MonitorItem> rows(2);
    rows[1].url = "u";
    EXPECT_EQ(list.appendRows(std::move(rows)), 2);  // many rows, one notice, no cell notices
    EXPECT_EQ(list.appendRows({}), 0);               // nothing appended: nothing to repaint
    EXPECT_EQ(list.cellText(2, kUrl), "u");
    EXPECT_EQ(list.selectedRow(), 0);
    EXPECT_EQ(observer.rowCounts, (std::vector<int32_t>{1, 2, 1, 3}));
    EXPECT_EQ(observer.cells, (std::vector<std::pair<int32_t, int32_t>>{{1, kStatus}}));
    EXPECT_EQ(observer.selections, (std::vector<int32_t>{1, 0}));
    list.setObserver(nullptr);
    // Rows given to an empty list are taken whole; the notice is the same.
    ItemList empty;
    empty.setObserver(&observer);
    std::vector<MonitorItem> one(1);
    one[0].sequence = "1";
    EXPECT_EQ(empty.appendRows(std::move(one)), 1);
    EXPECT_EQ(empty.cellText(0, kSequence), "1");
    EXPECT_EQ(observer.rowCounts, (std::vector<int32_t>{1, 2, 1, 3, 1}));
    empty.setObserver(nullptr);
}

TEST(MonitoringActive, OnlyTheFirstThreeRowsCount) {
    ItemList list;
    for (int i = 0; i < 5; ++i) addEntry(list);
    list.setCellText(3, kStatus, kMonitoring);
    list.setCellText(4, kStatus, kMonitoring);
    EXPECT_FALSE(monitoringActive(list));
    list.setCellText(2, kStatus, kMonitoring);
    EXPECT_TRUE(monitoringActive(list));
    list.setCellText(2, kStatus, kStopped);
    EXPECT_FALSE(monitoringActive(list));
}

TEST(MonitoringActive, ComparesBytesExactly) {
    ItemList list;
    addEntry(list);
    for (std::string near : {std::string(kMonitoring) + " ", std::string(" ").append(kMonitoring),
                             std::string(kMonitoring.substr(0, 4)), std::string(kStopped)}) {
        list.setCellText(0, kStatus, near);
        EXPECT_FALSE(monitoringActive(list)) << near;
    }
    list.setCellText(0, kStatus, kMonitoring);
    EXPECT_TRUE(monitoringActive(list));
}

TEST(ListIsEmpty, LooksAtTheFirstSequenceNumberOnly) {
    ItemList list;
    list.appendRow();
    list.appendRow("2");
    EXPECT_TRUE(listIsEmpty(list));  // a first row with an empty 序号 counts as no entries
    list.setCellText(0, kSequence, "1");
    EXPECT_FALSE(listIsEmpty(list));
    list.deleteRow(0);
    EXPECT_FALSE(listIsEmpty(list));
    list.deleteRow(0);
    EXPECT_TRUE(listIsEmpty(list));
}

TEST(MonitorItem, CellsFollowTheColumnOrder) {
    MonitorItem item;
    for (int32_t column = 0; column < kColumnCount; ++column) {
        item.cell(column) = text::IntToText(column);
    }
    EXPECT_EQ(item.sequence, "0");
    EXPECT_EQ(item.status, "1");
    EXPECT_EQ(item.url, "2");
    EXPECT_EQ(item.keywords, "3");
    EXPECT_EQ(item.soundAlarm, "4");
    EXPECT_EQ(item.refreshMinutes, "5");
    EXPECT_EQ(item.matchMode, "6");
    EXPECT_EQ(item.targetFound, "7");
}

}  // namespace
}  // namespace pagorin::items
