// Writing and reading the item file's lines.
#include "items/item_file.h"

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
           !text::ContainsText(cell, text::kFullWidthComma) && !text::EndsInLoneLeadByte(cell);
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
    const std::string_view fileText = bytes.substr(0, bytes.find('\0'));  // read in place
    // The rows are counted first so that they are made in place, in one allocation,
    // and reach the list in one step rather than a lock and a notice per cell.
    size_t lineCount = 0;
    text::ForEachPiece(fileText, text::kLineBreak, [&lineCount](std::string_view line) {
        lineCount += line.empty() ? 0 : 1;  // an empty line is the only one without fields
        return true;
    });
    std::vector<MonitorItem> rows;
    try {
        rows.reserve(lineCount);
    } catch (const std::bad_alloc&) {
        // Then the rows grow as they come, as far as memory goes.
    }
    try {
        text::ForEachPiece(fileText, text::kLineBreak, [&rows](std::string_view line) {
            if (line.empty()) return true;
            // Made apart and moved in whole: memory running out mid-row leaves no half row.
            MonitorItem row;
            int32_t column = 0;
            text::ForEachPiece(line, text::kFullWidthComma, [&](std::string_view field) {
                row.cell(column).assign(field);
                return ++column < kColumnCount;  // fields after the eighth are ignored
            });
            rows.push_back(std::move(row));
            return true;
        });
    } catch (const std::bad_alloc&) {
        // out of memory: keep the rows made so far
    }
    return list.appendRows(std::move(rows));
}

}  // namespace pagorin::items
