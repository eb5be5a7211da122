// The item file's format: one line per row, the eight cells joined by "，", each line
// ended by CR LF, GBK bytes as they are. No quoting: a cell holding "，", CR or LF
// cannot come back as it was, which is why such rows are reported by the exporter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "items/item_list.h"
#include "text/gbk_texts.h"

namespace pagorin::items {

struct ItemFileContent {
    std::string bytes;
    // Rows with a cell that holds "，", CR or LF; they will not import as they are.
    std::vector<int32_t> rowsThatWillNotRoundTrip;
};

// Every row of `list`, in row order. Each row is read cell by cell, so rows that
// workers are writing come out with whatever each cell holds at that moment.
ItemFileContent FormatItemFile(const ItemList& list);

// Appends one row per line of `bytes` (read up to the first NUL byte). Lines are cut
// at CR LF only and fields at "，"; fields after the eighth are ignored, a line with
// no fields is skipped and a shorter line leaves its missing cells empty.
// Returns the number of rows appended.
int64_t AppendItemFileRows(std::string_view bytes, ItemList& list);

}  // namespace pagorin::items
