// Writing and reading the item file's lines.
#include "items/item_file.h"

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
    const Text fileText = text::TextFromBytes(bytes);
    int64_t appended = 0;
    text::ForEachPiece(fileText, text::kLineBreak, [&](std::string_view line) {
        const text::TextList fields = text::SplitText(line, text::kFullWidthComma);
        if (fields.empty()) return true;
        const int32_t row = list.appendRow(fields[0]);
        if (row < 0) return false;  // out of memory: keep what was imported so far
        for (int32_t column = 1; column < kColumnCount; ++column) {
            if (static_cast<size_t>(column) < fields.size()) {
                list.setCellText(row, column, fields[static_cast<size_t>(column)]);
            }
        }
        ++appended;
        return true;
    });
    return appended;
}

}  // namespace pagorin::items
