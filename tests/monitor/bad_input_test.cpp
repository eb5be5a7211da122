// Input no user meant to give: item files of random bytes, of a hundred megabytes and
// with megabyte lines, cells of every byte value, and keyword texts of ten thousand
// keywords against a megabyte page.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>
#include <set>

#include "items/item_file.h"
#include "monitor/keyword_match.h"
#include "text/fixed_texts.h"

namespace pagorin {
namespace {

using namespace std::chrono_literals;
using items::AppendItemFileRows;
using items::ItemList;

// The rows an import must give, worked out apart from the importer: bytes up to the
// first NUL, cut at each CR LF that begins a character (a byte of 0x80 or more takes
// the next one along), empty lines skipped.
int64_t expectedRows(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    int64_t rows = 0;
    size_t lineLength = 0;
    for (size_t i = 0; i < bytes.size();) {
        if (bytes.substr(i, 2) == "\r\n") {
            rows += lineLength > 0;
            lineLength = 0;
            i += 2;
            continue;
        }
        const size_t step = static_cast<unsigned char>(bytes[i]) >= 0x80 ? 2 : 1;
        lineLength += step;
        i += step;
    }
    return rows + (lineLength > 0);
}

TEST(BadItemFile, RandomBytesGiveTheRowsTheirLineBreaksMake) {
    std::mt19937 random(7);
    for (size_t size : {0u, 1u, 2u, 17u, 4096u, 1u << 20}) {
        for (bool withNul : {false, true}) {
            std::string bytes(size, '\0');
            // Line breaks are made common, so lines of every length occur.
            for (char& byte : bytes) {
                const auto draw = random() % 300;
                byte = static_cast<char>(draw < 20 ? '\r' : draw < 40 ? '\n' : draw % 256);
                if (!withNul && byte == '\0') byte = 'a';
            }
            ItemList list;
            const int64_t appended = AppendItemFileRows(bytes, list);
            EXPECT_EQ(appended, expectedRows(bytes)) << size << (withNul ? " with NUL" : "");
            EXPECT_EQ(list.rowCount(), appended);
        }
    }
}

TEST(BadItemFile, AHundredMegabytesOfEntries) {
    constexpr int kLines = 1'000'000;
    const std::string comma(text::kFullWidthComma);
    const std::string padding(52, 'p');
    std::string file;
    file.reserve(size_t{110} << 20);
    for (int i = 0; i < kLines; ++i) {
        const std::string number = std::to_string(i + 1);
        file += number + comma + std::string(text::kStopped) + comma + "http://h/" + number +
                padding + comma + "k|" + number + comma + "1" + comma + "5" + comma +
                std::string(text::kModeAny) + comma + "0\r\n";
    }
    ASSERT_GT(file.size(), size_t{100} << 20);
    ItemList list;
    EXPECT_EQ(AppendItemFileRows(file, list), kLines);
    ASSERT_EQ(list.rowCount(), kLines);
    EXPECT_EQ(list.cellText(kLines - 1, items::kUrl), "http://h/1000000" + padding);
    EXPECT_EQ(list.cellText(kLines - 1, items::kTargetFound), "0");
}

TEST(BadItemFile, AMegabyteLine) {
    const std::string keywords(size_t{1} << 20, 'k');
    ItemList list;
    EXPECT_EQ(AppendItemFileRows("1\xA3\xAC\xA3\xAC\xA3\xAC" + keywords + "\r\n2\r\n", list), 2);
    EXPECT_EQ(list.cellText(0, items::kKeywords), keywords);
    EXPECT_EQ(list.cellText(1, 0), "2");
}

// Every byte value 1..255 inside a cell and as a whole cell; rows the exporter does not
// name must come back byte for byte.
TEST(BadItemFile, EveryByteValueRoundTripsUnlessNamed) {
    ItemList original;
    for (int byte = 1; byte < 256; ++byte) {
        for (const std::string& cell : {"a" + std::string(1, static_cast<char>(byte)) + "b",
                                        std::string(1, static_cast<char>(byte))}) {
            const int32_t row = original.appendRow(text::IntToText(original.rowCount() + 1));
            for (int32_t column = 1; column < items::kColumnCount; ++column) {
                original.setCellText(row, column, cell);
            }
        }
    }
    const items::ItemFileContent content = items::FormatItemFile(original);
    const std::set<int32_t> named(content.rowsThatWillNotRoundTrip.begin(),
                                  content.rowsThatWillNotRoundTrip.end());
    ItemList restored;
    AppendItemFileRows(content.bytes, restored);
    std::map<std::string, int32_t> bySequence;
    for (int32_t row = 0; row < restored.rowCount(); ++row) {
        bySequence.emplace(restored.cellText(row, 0), row);
    }
    for (int32_t row = 0; row < original.rowCount(); ++row) {
        // CR, LF and a lone lead byte at a cell's end are what the format cannot carry.
        const std::string cell = original.cellText(row, 1);
        const bool unsafe = cell.find_first_of("\r\n") != std::string::npos ||
                            (cell.size() == 1 && static_cast<unsigned char>(cell[0]) >= 0x80);
        EXPECT_TRUE(!unsafe || named.count(row) == 1) << "row " << row << " not named";
        if (named.count(row) != 0) continue;
        const auto found = bySequence.find(original.cellText(row, 0));
        ASSERT_NE(found, bySequence.end()) << "row " << row << " lost";
        for (int32_t column = 1; column < items::kColumnCount; ++column) {
            EXPECT_EQ(restored.cellText(found->second, column), cell) << "row " << row;
        }
    }
}

TEST(BadKeywords, TenThousandKeywordsOnAMegabytePage) {
    std::string keywordText;
    for (int i = 0; i < 10000; ++i) {
        keywordText += (i > 0 ? "|kw" : "kw") + std::to_string(100000 + i);
    }
    const monitor::KeywordList keywords = monitor::SplitKeywords(keywordText);
    ASSERT_EQ(keywords.size(), 10000u);
    std::string line = "some ordinary text of a page, nothing to see here\r\n";
    std::string page;
    while (page.size() < (size_t{1} << 19)) page += line;  // each page is two of these
    const std::string few = page + "kw109999 then kw100042\r\n" + page;
    std::string every = page;
    for (const std::string& keyword : keywords) every += keyword + " ";
    every += "\r\n" + page;

    struct Case {
        const std::string* page;
        std::string_view mode;
        std::vector<std::string> finds;
    };
    const std::vector<Case> cases = {
        {&few, text::kModeAny, {"kw100042", "kw109999"}},
        {&few, text::kModeAll, {}},
        {&few, text::kModeSameLine, {}},
        {&every, text::kModeAll, {keywordText}},
        {&every, text::kModeSameLine, {keywordText}},
    };
    for (const Case& c : cases) {
        const monitor::FindList found = monitor::MatchPage(*c.page, keywords, keywordText, c.mode);
        std::vector<std::string> targets;
        for (const monitor::FoundTarget& find : found) targets.push_back(find.targetText);
        EXPECT_EQ(targets, c.finds) << c.mode;
    }
    EXPECT_EQ(monitor::MatchPage(every, keywords, keywordText, text::kModeAny).size(), 10000u);
}

}  // namespace
}  // namespace pagorin
