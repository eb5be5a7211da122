// Fuzzes the item file: importing arbitrary bytes, and exporting then importing again.
// The format has no quoting, so the exporter must name exactly the rows whose cells hold
// a hazard, and every other row must come back byte for byte.
//
// Input: the bytes of an item file for the import; the same bytes cut at 0x1F into
// cells, eight to a row, for the export.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "items/item_file.h"
#include "text/fixed_texts.h"

namespace {

using namespace pagorin;
using namespace pagorin::fuzz;
using items::ItemList;
using items::kColumnCount;

using Row = std::vector<std::string>;

constexpr size_t kMaxRows = 64;  // enough rows to mix hazards, few enough to stay fast

std::vector<Row> rowsOf(const ItemList& list) {
    std::vector<Row> rows;
    for (int32_t row = 0; row < list.rowCount(); ++row) {
        Row cells;
        for (int32_t column = 0; column < kColumnCount; ++column) {
            cells.push_back(list.cellText(row, column));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

void appendRows(ItemList& list, const std::vector<Row>& rows) {
    for (const Row& cells : rows) {
        const int32_t row = list.appendRow(cells[0]);
        FUZZ_CHECK(row >= 0);
        for (int32_t column = 1; column < kColumnCount; ++column) {
            list.setCellText(row, column, cells[static_cast<size_t>(column)]);
        }
    }
}

// The import as worded: up to the first NUL, lines at CR LF, fields at "，" (both only
// where a character begins), fields past the eighth dropped, lines without fields skipped.
std::vector<Row> refImport(std::string_view bytes) {
    std::vector<Row> rows;
    for (const std::string& line : refSplit(bytes.substr(0, bytes.find('\0')), text::kLineBreak)) {
        std::vector<std::string> fields = refSplit(line, text::kFullWidthComma);
        if (fields.empty()) continue;
        fields.resize(kColumnCount);
        rows.push_back(std::move(fields));
    }
    return rows;
}

// What the format cannot carry, checked the slow way.
bool refHasHazard(std::string_view cell) {
    if (cell.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return true;
    return refFindText(cell, text::kFullWidthComma) != -1 || refEndsInLoneLeadByte(cell);
}

size_t countLineBreaks(std::string_view bytes) {
    size_t count = 0;
    for (size_t pos = bytes.find("\r\n"); pos != std::string_view::npos;
         pos = bytes.find("\r\n", pos + 1)) {
        ++count;
    }
    return count;
}

void checkImport(std::string_view bytes, ItemList& list) {
    const int64_t appended = items::AppendItemFileRows(bytes, list);
    const std::string_view read = bytes.substr(0, bytes.find('\0'));
    FUZZ_CHECK(appended >= 0 && appended == list.rowCount());
    FUZZ_CHECK(static_cast<size_t>(appended) <= countLineBreaks(read) + 1);
    FUZZ_CHECK(rowsOf(list) == refImport(bytes));
}

void checkExport(const std::vector<Row>& rows) {
    ItemList list;
    appendRows(list, rows);
    const items::ItemFileContent content = items::FormatItemFile(list);

    std::string expectedBytes;
    std::vector<int32_t> expectedUnsafe;
    std::vector<Row> safeRows;
    // A row whose last cell ends in a lone lead byte also takes the next row with it.
    bool takenByPrevious = false;
    for (size_t row = 0; row < rows.size(); ++row) {
        bool hazard = takenByPrevious;
        takenByPrevious = !rows[row].empty() && rows[row].size() == items::kColumnCount &&
                          refEndsInLoneLeadByte(rows[row].back());
        for (size_t column = 0; column < rows[row].size(); ++column) {
            if (column > 0) expectedBytes.append(text::kFullWidthComma);
            expectedBytes.append(rows[row][column]);
            hazard = hazard || refHasHazard(rows[row][column]);
        }
        expectedBytes.append(text::kLineBreak);
        if (hazard) {
            expectedUnsafe.push_back(static_cast<int32_t>(row));
        } else {
            safeRows.push_back(rows[row]);
        }
    }
    FUZZ_CHECK(content.bytes == expectedBytes);
    // Named rows really hold a hazard, and no row with one goes unnamed.
    FUZZ_CHECK(content.rowsThatWillNotRoundTrip == expectedUnsafe);

    // The rows that were not named come back exactly.
    ItemList safeList;
    appendRows(safeList, safeRows);
    const items::ItemFileContent safeContent = items::FormatItemFile(safeList);
    FUZZ_CHECK(safeContent.rowsThatWillNotRoundTrip.empty());
    ItemList imported;
    FUZZ_CHECK(items::AppendItemFileRows(safeContent.bytes, imported) ==
               static_cast<int64_t>(safeRows.size()));
    FUZZ_CHECK(rowsOf(imported) == safeRows);
}

// Cells cut from the input at 0x1F, eight to a row; a short last row is padded empty.
std::vector<Row> rowsFromCells(std::string_view input) {
    std::vector<Row> rows;
    Row cells;
    for (size_t start = 0; start <= input.size() && rows.size() < kMaxRows;) {
        size_t end = input.find('\x1F', start);
        if (end == std::string_view::npos) end = input.size();
        cells.emplace_back(input.substr(start, end - start));
        if (cells.size() == static_cast<size_t>(kColumnCount)) {
            rows.push_back(std::move(cells));
            cells.clear();
        }
        start = end + 1;
    }
    if (!cells.empty() && rows.size() < kMaxRows) {
        cells.resize(kColumnCount);
        rows.push_back(std::move(cells));
    }
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    ItemList imported;
    checkImport(input, imported);
    // Imported rows exported again: named exactly when hazardous, the rest come back.
    std::vector<Row> importedRows = rowsOf(imported);
    if (importedRows.size() > kMaxRows) importedRows.resize(kMaxRows);
    checkExport(importedRows);

    checkExport(rowsFromCells(input));
    return 0;
}
