// ItemList's cells behind one mutex; observers are told after the lock is released.
#include "items/item_list.h"

#include <algorithm>
#include <limits>
#include <new>

namespace pagorin::items {

int32_t ItemList::rowCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int32_t>(rows_.size());
}

int32_t ItemList::appendRow(std::string_view firstCellText) {
    int32_t index;
    try {
        MonitorItem row;
        row.sequence = Text(firstCellText);
        std::lock_guard lock(mutex_);
        if (rows_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) return -1;
        rows_.push_back(std::move(row));
        index = static_cast<int32_t>(rows_.size() - 1);
    } catch (const std::bad_alloc&) {
        return -1;  // out of memory: the list stays as it was
    }
    if (auto* observer = observer_.load()) observer->onRowsChanged(index + 1);
    return index;
}

int64_t ItemList::appendRows(std::vector<MonitorItem>&& rows) {
    size_t appended = 0;
    int32_t count;
    {
        std::lock_guard lock(mutex_);
        const size_t room = static_cast<size_t>(std::numeric_limits<int32_t>::max()) - rows_.size();
        const size_t wanted = std::min(rows.size(), room);
        if (rows_.empty() && wanted == rows.size()) {
            rows_.swap(rows);  // an import into an empty list moves no row at all
            appended = wanted;
        } else {
            try {
                rows_.reserve(rows_.size() + wanted);
            } catch (const std::bad_alloc&) {
                // Then one at a time below, as far as memory goes.
            }
            try {
                for (; appended < wanted; ++appended) rows_.push_back(std::move(rows[appended]));
            } catch (const std::bad_alloc&) {
                // out of memory: the rows appended so far stay
            }
        }
        count = static_cast<int32_t>(rows_.size());
    }
    if (appended == 0) return 0;
    if (auto* observer = observer_.load()) observer->onRowsChanged(count);
    return static_cast<int64_t>(appended);
}

Text ItemList::cellText(int32_t row, int32_t column) const {
    if (!isColumn(column)) return {};
    std::lock_guard lock(mutex_);
    if (!hasRow(row)) return {};
    return rows_[static_cast<size_t>(row)].cell(column);
}

Text ItemList::cellTextPrefix(int32_t row, int32_t column, size_t maxBytes) const {
    if (!isColumn(column)) return {};
    std::lock_guard lock(mutex_);
    if (!hasRow(row)) return {};
    const Text& cell = rows_[static_cast<size_t>(row)].cell(column);
    if (cell.size() < maxBytes) return cell;
    Text prefix = cell.substr(0, maxBytes);
    if (text::EndsInLoneLeadByte(prefix)) prefix.pop_back();  // half a character
    return prefix;
}

void ItemList::setCellText(int32_t row, int32_t column, std::string_view text) {
    if (!isColumn(column)) return;
    {
        Text value(text);  // copied before the lock so the lock is never held while allocating
        std::lock_guard lock(mutex_);
        if (!hasRow(row)) return;
        rows_[static_cast<size_t>(row)].cell(column).swap(value);
    }
    if (auto* observer = observer_.load()) observer->onCellChanged(row, column);
}

int32_t ItemList::selectedRow() const {
    std::lock_guard lock(mutex_);
    return selected_;
}

void ItemList::selectRow(int32_t row) {
    int32_t selected;
    {
        std::lock_guard lock(mutex_);
        selected_ = hasRow(row) ? row : -1;
        selected = selected_;
    }
    if (auto* observer = observer_.load()) observer->onSelectionChanged(selected);
}

void ItemList::deleteRow(int32_t row) {
    int32_t count;
    int32_t selected;
    {
        std::lock_guard lock(mutex_);
        if (!hasRow(row)) return;
        rows_.erase(rows_.begin() + row);
        if (selected_ == row) {
            selected_ = -1;
        } else if (selected_ > row) {
            --selected_;
        }
        count = static_cast<int32_t>(rows_.size());
        selected = selected_;
    }
    if (auto* observer = observer_.load()) {
        observer->onRowsChanged(count);
        observer->onSelectionChanged(selected);
    }
}

bool monitoringActive(const ItemList& list) {
    for (int32_t row = 0; row < 3; ++row) {
        if (list.cellText(row, kStatus) == text::kMonitoring) return true;
    }
    return false;
}

bool listIsEmpty(const ItemList& list) {
    return list.cellText(0, kSequence).empty();
}

}  // namespace pagorin::items
