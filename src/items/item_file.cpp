// Writing and reading the item file's lines.
#include "items/item_file.h"

#include <algorithm>
#include <new>
#include <vector>

#include "text/fixed_texts.h"

namespace pagorin::items {
namespace {

// What the format cannot carry: the separators themselves, a NUL (import stops there)
// and a lone lead byte at the end, which would swallow the first byte of the
// separator after it.
bool survivesRoundTrip(std::string_view cell) {
    return cell.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
           text::FindText(cell, text::kFullWidthComma) == -1 && !text::EndsInLoneLeadByte(cell);
}

}  // namespace

ItemFileContent FormatItemFile(const ItemList& list) {
    ItemFileContent content;
    const int32_t rows = list.rowCount();
    // A lone lead byte ending a row takes the CR of its line break, and with it the next
    // row, which is then lost on import: that row is named too.
    bool takenByPreviousRow = false;
    for (int32_t row = 0; row < rows; ++row) {
        bool roundTrips = !takenByPreviousRow;
        for (int32_t column = 0; column < kColumnCount; ++column) {
            const Text cell = list.cellText(row, column);
            if (column > 0) content.bytes.append(text::kFullWidthComma);
            content.bytes.append(cell);
            roundTrips = roundTrips && survivesRoundTrip(cell);
            if (column == kColumnCount - 1) takenByPreviousRow = text::EndsInLoneLeadByte(cell);
        }
        content.bytes.append(text::kLineBreak);
        if (!roundTrips) content.rowsThatWillNotRoundTrip.push_back(row);
    }
    return content;
}

int64_t AppendItemFileRows(std::string_view bytes, ItemList& list) {
    // Rows go into the list a batch at a time: one lock and one notice per batch rather
    // than per cell, and a failure keeps the batches imported before it.
    constexpr size_t kBatchRows = 4096;
    const Text fileText = text::TextFromBytes(bytes);
    std::vector<MonitorItem> batch;
    int64_t appended = 0;
    auto flush = [&] {
        const size_t size = batch.size();
        if (!list.appendRows(std::move(batch))) return false;
        appended += static_cast<int64_t>(size);
        batch.clear();
        return true;
    };
    bool complete = true;
    try {
        text::ForEachPiece(fileText, text::kLineBreak, [&](std::string_view line) {
            text::TextList fields = text::SplitText(line, text::kFullWidthComma);
            if (fields.empty()) return true;
            MonitorItem& row = batch.emplace_back();
            const size_t cells = std::min(fields.size(), static_cast<size_t>(kColumnCount));
            for (size_t column = 0; column < cells; ++column) {
                row.cell(static_cast<int32_t>(column)).swap(fields[column]);
            }
            return batch.size() < kBatchRows || (complete = flush());
        });
    } catch (const std::bad_alloc&) {
        return appended;  // out of memory: keep what was imported so far
    }
    if (complete) flush();
    return appended;
}

}  // namespace pagorin::items
