// ItemList: the one store of monitoring entries. The main window's list view shows it
// and every other part reads and writes its cells. Each single call is atomic and safe
// from any thread; no call spans two of them, so callers never hold a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include "items/monitor_item.h"

namespace pagorin::items {

// Told after every change, on the thread that made it, with no lock held.
class ItemListObserver {
  public:
    virtual ~ItemListObserver() = default;
    virtual void onRowsChanged(int32_t rowCount) = 0;
    virtual void onCellChanged(int32_t row, int32_t column) = 0;
    virtual void onSelectionChanged(int32_t row) = 0;
};

class ItemList {
  public:
    ItemList() = default;
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;

    int32_t rowCount() const;

    // Appends a row whose 序号 is `firstCellText` and whose other cells are empty.
    // Returns the new row's index, or -1 when no row could be made.
    int32_t appendRow(std::string_view firstCellText = {});

    // Appends whole rows at once, as an import does: one lock, and the observer hears
    // once, with the new row count. Returns how many were appended; fewer than given
    // only when the list cannot grow to hold them all, and the rest are dropped.
    int64_t appendRows(std::vector<MonitorItem>&& rows);

    // The empty text for a row or column that does not exist (-1 included).
    Text cellText(int32_t row, int32_t column) const;
    // At most the first `maxBytes` of the cell, cut before a character that would not
    // fit whole: what a view shows of a cell of megabytes, without copying it all.
    Text cellTextPrefix(int32_t row, int32_t column, size_t maxBytes) const;

    // Does nothing for a row or column that does not exist.
    void setCellText(int32_t row, int32_t column, std::string_view text);

    // -1 when no row is selected.
    int32_t selectedRow() const;

    // Selects `row`; a row that does not exist clears the selection. The list view
    // calls this when the user selects, so the selection has one owner too.
    void selectRow(int32_t row);

    // Removes the row; the rows below move up by one and so does the selection.
    // Does nothing for a row that does not exist.
    void deleteRow(int32_t row);

    // Set once by the window that shows the list, before any worker runs.
    void setObserver(ItemListObserver* observer) { observer_.store(observer); }

  private:
    bool hasRow(int32_t row) const { return row >= 0 && static_cast<size_t>(row) < rows_.size(); }

    mutable std::mutex mutex_;
    std::vector<MonitorItem> rows_;
    int32_t selected_ = -1;
    std::atomic<ItemListObserver*> observer_{nullptr};
};

// True when 监控状态 of row 0, 1 or 2 is exactly "监控中".
bool monitoringActive(const ItemList& list);

// True when 序号 of row 0 is empty, or there is no row.
bool listIsEmpty(const ItemList& list);

}  // namespace pagorin::items
