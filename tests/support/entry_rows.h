// One entry row in a test's list, every cell given, written in the order the list's own
// commands write them.
#pragma once

#include <cstdint>
#include <string>

#include "items/item_list.h"
#include "text/fixed_texts.h"

namespace pagorin::test_support {

struct EntryCells {
    std::string status{text::kStopped};
    std::string url;
    std::string keywords{"k"};
    std::string sound{text::kYes};
    std::string refresh{"3"};
    std::string mode{text::kModeAny};
    std::string found{text::kNo};
};

// Appends the row under the next sequence number (the row count plus one); its index.
inline int32_t AppendEntry(items::ItemList& list, const EntryCells& cells) {
    const int32_t row = list.appendRow(text::IntToText(list.rowCount() + 1));
    list.setCellText(row, items::kStatus, cells.status);
    list.setCellText(row, items::kUrl, cells.url);
    list.setCellText(row, items::kKeywords, cells.keywords);
    list.setCellText(row, items::kSoundAlarm, cells.sound);
    list.setCellText(row, items::kRefreshMinutes, cells.refresh);
    list.setCellText(row, items::kMatchMode, cells.mode);
    list.setCellText(row, items::kTargetFound, cells.found);
    return row;
}

}  // namespace pagorin::test_support
