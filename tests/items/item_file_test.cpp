// The item file's bytes: the format written, and every way a line can be read back.
#include "items/item_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <random>

#include "support/failing_allocator.h"

namespace pagorin::items {
namespace {

const std::string kComma = "\xA3\xAC";

std::string row(std::initializer_list<std::string> cells) {
    std::string line;
    for (const std::string& cell : cells) {
        if (!line.empty() || &cell != cells.begin()) line += kComma;
        line += cell;
    }
    return line;
}

void appendItem(ItemList& list, const MonitorItem& item) {
    const int32_t index = list.appendRow(item.sequence);
    for (int32_t column = 1; column < kColumnCount; ++column) {
        list.setCellText(index, column, item.cell(column));
    }
}

TEST(ItemFileFormat, WorkedExampleIsFortyOneBytes) {
    ItemList list;
    // 1，停止，ADDR，公告|通知，是，3，或，否
    appendItem(list, {"1", "\xCD\xA3\xD6\xB9", "ADDR", "\xB9\xAB\xB8\xE6|\xCD\xA8\xD6\xAA",
                      "\xCA\xC7", "3", "\xBB\xF2", "\xB7\xF1"});
    const unsigned char expected[] = {
        0x31, 0xA3, 0xAC, 0xCD, 0xA3, 0xD6, 0xB9, 0xA3, 0xAC, 0x41, 0x44, 0x44, 0x52, 0xA3,
        0xAC, 0xB9, 0xAB, 0xB8, 0xE6, 0x7C, 0xCD, 0xA8, 0xD6, 0xAA, 0xA3, 0xAC, 0xCA, 0xC7,
        0xA3, 0xAC, 0x33, 0xA3, 0xAC, 0xBB, 0xF2, 0xA3, 0xAC, 0xB7, 0xF1, 0x0D, 0x0A};
    const ItemFileContent content = FormatItemFile(list);
    EXPECT_EQ(content.bytes, std::string(std::begin(expected), std::end(expected)));
    EXPECT_TRUE(content.rowsThatWillNotRoundTrip.empty());
}

TEST(ItemFileFormat, EveryRowEveryCellEveryLineEnded) {
    ItemList list;
    EXPECT_EQ(FormatItemFile(list).bytes, "");
    list.appendRow();  // all eight cells empty: seven commas
    list.appendRow("2");
    std::string empty = row({"", "", "", "", "", "", "", ""}) + "\r\n";
    EXPECT_EQ(FormatItemFile(list).bytes, empty + "2" + empty);
}

TEST(ItemFileFormat, RowsTheFormatCannotCarryAreNamed) {
    ItemList list;
    appendItem(list, {"1", "",
                      "http://a/?x=1\xA3\xAC"
                      "2",
                      "", "", "", "", ""});  // a "，"
    appendItem(list,
               {"2", "", "ok", "\xB0\xA3\xAC\xB1", "", "", "", ""});  // no "，": A3 AC straddles
    appendItem(list, {"3", "", "", "a\r\nb", "", "", "", ""});
    appendItem(list, {"4", "", "", "lone\n", "", "", "", ""});
    appendItem(list, {"5", "", "", "", "", "", "", "\xB0"});              // swallows the CR
    appendItem(list, {"6", "\xCD\xA3\xD6\xB9", "", "", "", "", "", ""});  // merged into "5"
    appendItem(list, {"7", "\xCD\xA3\xD6\xB9", "", "", "", "", "", ""});
    EXPECT_EQ(FormatItemFile(list).rowsThatWillNotRoundTrip, (std::vector<int32_t>{0, 2, 3, 4, 5}));
}

TEST(ItemFileImport, AppendsAfterExistingRowsAndKeepsTheirTexts) {
    ItemList list;
    list.appendRow("9");
    const std::string file =
        row({"1", "\xBC\xE0\xBF\xD8\xD6\xD0", "u", "k", "\xCA\xC7", "3", "\xBB\xF2", "\xCA\xC7"}) +
        "\r\n";
    EXPECT_EQ(AppendItemFileRows(file + file, list), 2);
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.cellText(0, kSequence), "9");
    EXPECT_EQ(list.cellText(1, kStatus), "\xBC\xE0\xBF\xD8\xD6\xD0");  // 监控中 comes back
    EXPECT_EQ(list.cellText(2, kTargetFound), "\xCA\xC7");
    EXPECT_EQ(list.cellText(2, kSequence), "1");  // numbers may repeat
}

TEST(ItemFileImport, LineEndings) {
    ItemList list;
    // The last line without CR LF, and a lone CR and LF inside a line.
    EXPECT_EQ(AppendItemFileRows("a\r\nb\rc\nd", list), 2);
    EXPECT_EQ(list.cellText(1, kSequence), "b\rc\nd");
    // A file ending in CR LF gives no empty last line; an empty line is skipped.
    ItemList second;
    EXPECT_EQ(AppendItemFileRows("a\r\n\r\nb\r\n", second), 2);
    EXPECT_EQ(second.cellText(1, kSequence), "b");
    ItemList empty;
    EXPECT_EQ(AppendItemFileRows("", empty), 0);
    EXPECT_EQ(AppendItemFileRows("\r\n", empty), 0);
    EXPECT_EQ(empty.rowCount(), 0);
}

TEST(ItemFileImport, StopsAtTheFirstNulByte) {
    ItemList list;
    const std::string file = std::string("1") + kComma + "ab" + std::string(1, '\0') + "cd\r\n2";
    EXPECT_EQ(AppendItemFileRows(file, list), 1);
    EXPECT_EQ(list.cellText(0, kStatus), "ab");
    EXPECT_EQ(list.cellText(0, kUrl), "");
}

TEST(ItemFileImport, FieldCounts) {
    ItemList list;
    // More than eight: the ninth and later are ignored.
    AppendItemFileRows(row({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}) + "\r\n", list);
    EXPECT_EQ(list.cellText(0, kTargetFound), "8");
    // Fewer than eight: the missing cells stay empty.
    AppendItemFileRows(row({"1", "2", "3"}) + "\r\n", list);
    EXPECT_EQ(list.cellText(1, kUrl), "3");
    EXPECT_EQ(list.cellText(1, kKeywords), "");
    // An empty field in the middle, an empty first field, trailing separators.
    AppendItemFileRows(row({"1", "2", "3", "4", "5", "6", "", "8"}) + "\r\n", list);
    EXPECT_EQ(list.cellText(2, kMatchMode), "");
    EXPECT_EQ(list.cellText(2, kTargetFound), "8");
    AppendItemFileRows(row({"", "2"}) + "\r\n", list);
    EXPECT_EQ(list.cellText(3, kSequence), "");
    EXPECT_EQ(list.cellText(3, kStatus), "2");
    AppendItemFileRows(row({"1", "2", "3", "4", "5", "6", "7", "8", "", ""}) + "\r\n", list);
    EXPECT_EQ(list.cellText(4, kTargetFound), "8");
    AppendItemFileRows(row({"1", "2", "3", "4", "5", "6", "7", "", ""}) + "\r\n", list);
    EXPECT_EQ(list.cellText(5, kTargetFound), "");
    EXPECT_EQ(list.rowCount(), 6);
}

TEST(ItemFileImport, OutOfMemoryKeepsTheWholeRowsMadeBeforeIt) {
    const std::string longCell(40, 'x');  // too long to be kept inside the string itself
    std::string file;
    for (const char* number : {"1", "2", "3"}) {
        file += row({number + longCell, longCell, longCell}) + "\r\n";
    }
    for (bool listHasRows : {false, true}) {
        bool someButNotAll = false;
        for (long allowed = 0;; ++allowed) {
            ItemList list;
            if (listHasRows) {  // one row and room for one more without growing
                list.appendRow("9");
                list.appendRow();
                list.deleteRow(1);
            }
            const int32_t before = list.rowCount();
            const long failedBefore = test_support::FailedAllocations();
            int64_t appended;
            {
                const test_support::MemoryBack memoryBack;  // even when an exception leaves
                test_support::FailAllocations(allowed, LONG_MAX);
                appended = AppendItemFileRows(file, list);
            }
            ASSERT_EQ(list.rowCount(), before + appended) << allowed;
            // Rows in file order, each with its last cell too.
            for (int32_t index = 0; index < appended; ++index) {
                EXPECT_EQ(list.cellText(before + index, kSequence),
                          text::IntToText(index + 1) + longCell);
                EXPECT_EQ(list.cellText(before + index, kUrl), longCell) << allowed;
            }
            someButNotAll = someButNotAll || (appended > 0 && appended < 3);
            if (test_support::FailedAllocations() == failedBefore) {
                EXPECT_EQ(appended, 3);
                break;
            }
        }
        EXPECT_TRUE(someButNotAll) << listHasRows;
    }
}

TEST(ItemFileImport, StrayCommaShiftsTheFollowingFields) {
    ItemList list;
    AppendItemFileRows(row({"1", "s", "u", "k1", "k2", "snd", "3", "mode", "found"}) + "\r\n",
                       list);
    EXPECT_EQ(list.cellText(0, kKeywords), "k1");
    EXPECT_EQ(list.cellText(0, kSoundAlarm), "k2");
    EXPECT_EQ(list.cellText(0, kTargetFound), "mode");
}

TEST(ItemFileImport, NonGbkBytesPassThroughUntouched) {
    ItemList list;
    // UTF-8 bytes, 0x80 and 0xFF are taken as they are, not converted.
    const std::string odd = "\xE4\xB8\xAD\x80\x41\xFF\xFE";
    AppendItemFileRows(row({"1", odd, "x"}) + "\r\n", list);
    EXPECT_EQ(list.cellText(0, kStatus), odd);
    EXPECT_EQ(FormatItemFile(list).bytes, row({"1", odd, "x", "", "", "", "", ""}) + "\r\n");
}

TEST(ItemFileRoundTrip, RowsWithoutSeparatorsComeBackByteForByte) {
    std::mt19937 random(2026);
    const unsigned char bytes[] = {'a',  'Z',  '1',  ' ',  '|',  ',',  0xA3, 0xAC,
                                   0xA1, 0xB0, 0xCD, 0x7C, 0x40, 0xFE, 0x80, '\t'};
    ItemList original;
    for (int i = 0; i < 300; ++i) {
        MonitorItem item;
        for (int32_t column = 0; column < kColumnCount; ++column) {
            std::string cell;
            const size_t length = random() % 12;
            for (size_t j = 0; j < length; ++j)
                cell.push_back(static_cast<char>(bytes[random() % 16]));
            item.cell(column) = cell;
        }
        item.sequence = text::IntToText(i + 1);
        item.targetFound += "z";  // a lone lead byte there would merge two lines
        appendItem(original, item);
    }
    const ItemFileContent content = FormatItemFile(original);
    ItemList restored;
    AppendItemFileRows(content.bytes, restored);
    // Rows not named as unsafe must come back exactly; the named ones are the rest.
    int32_t restoredRow = 0;
    size_t unsafe = 0;
    for (int32_t index = 0; index < original.rowCount(); ++index) {
        if (unsafe < content.rowsThatWillNotRoundTrip.size() &&
            content.rowsThatWillNotRoundTrip[unsafe] == index) {
            ++unsafe;
            ++restoredRow;
            continue;
        }
        for (int32_t column = 0; column < kColumnCount; ++column) {
            ASSERT_EQ(restored.cellText(restoredRow, column), original.cellText(index, column))
                << "row " << index << " column " << column;
        }
        ++restoredRow;
    }
    EXPECT_GT(content.rowsThatWillNotRoundTrip.size(), 0u);
    EXPECT_LT(content.rowsThatWillNotRoundTrip.size(), 300u);
}

}  // namespace
}  // namespace pagorin::items
