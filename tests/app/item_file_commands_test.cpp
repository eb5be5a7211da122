// Export and import as commands: refusals, the messages, and what reaches the folder.
#include "app/item_file_commands.h"

#include <gtest/gtest.h>

#include <map>

#include "items/item_file.h"
#include "support/failing_allocator.h"
#include "support/recorded_messages.h"
#include "text/fixed_texts.h"

namespace pagorin::app {
namespace {

using namespace items;

using system::MessageIcon;

struct FakeFolder : system::Folder {
    std::map<std::string, std::string> files;
    system::ReplaceResult result = system::ReplaceResult::kReplaced;
    int writes = 0;
    std::optional<std::string> readFile(std::string_view name) const override {
        auto found = files.find(std::string(name));
        if (found == files.end()) return std::nullopt;
        return found->second;
    }
    system::ReplaceResult replaceFile(std::string_view name, std::string_view bytes) override {
        ++writes;
        if (result == system::ReplaceResult::kReplaced)
            files[std::string(name)] = std::string(bytes);
        return result;
    }
    std::string pathOf(std::string_view name) const override {
        return "D:\\Pagorin\\" + std::string(name);
    }
};

class ItemFileCommandsTest : public testing::Test {
  protected:
    int32_t add(std::string_view sequence, std::string_view url = "http://a/") {
        const int32_t row = list.appendRow(sequence);
        list.setCellText(row, kUrl, url);
        return row;
    }

    ItemList list;
    FakeFolder folder;
    test_support::RecordedMessages messages;
    ItemFileCommands commands{list, folder, messages};
};

TEST_F(ItemFileCommandsTest, ExportOfNoEntriesIsRefusedAndWritesNothing) {
    folder.files[std::string(kItemFileName)] = "old";
    commands.exportItems();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0],
              "\xC3\xBB\xD3\xD0\xBF\xC9\xB5\xBC\xB3\xF6\xB5\xC4\xBC\xE0"
              "\xBF\xD8\xCF\xEE\xC4\xBF\xA3\xA1");  // 没有可导出的监控项目！
    EXPECT_EQ(messages.captions[0], text::kCaptionNotice);
    EXPECT_EQ(messages.icons[0], MessageIcon::kWarning);
    EXPECT_EQ(folder.writes, 0);
    // A first row with an empty 序号 counts as no entries, whatever follows.
    add("");
    add("2");
    commands.exportItems();
    EXPECT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(folder.writes, 0);
    EXPECT_EQ(folder.files[std::string(kItemFileName)], "old");
}

TEST_F(ItemFileCommandsTest, SuccessfulExportIsSilentAndWritesTheFormat) {
    add("1");
    add("2");
    commands.exportItems();
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(folder.files[std::string(kItemFileName)], FormatItemFile(list).bytes);
}

TEST_F(ItemFileCommandsTest, FailedExportSaysSoAndNamesTheFile) {
    add("1");
    folder.result = system::ReplaceResult::kFailed;
    commands.exportItems();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], ExportFailedMessage("D:\\Pagorin\\" + std::string(kItemFileName)));
    EXPECT_NE(messages.texts[0].find("D:\\Pagorin\\\xBC\xE0\xBF\xD8\xCF\xEE\xC4\xBF.txt"),
              std::string::npos);
    EXPECT_EQ(messages.captions[0], text::kCaptionNotice);
    EXPECT_EQ(messages.icons[0], MessageIcon::kWarning);

    // A folder that refuses new files (Program Files) is named as the cause, and the
    // way out: keep the program in a folder of the user's own.
    messages.clear();
    folder.result = system::ReplaceResult::kFolderNotWritable;
    commands.exportItems();
    ASSERT_EQ(messages.texts.size(), 1u);
    const std::string text = messages.texts[0];
    EXPECT_EQ(text, FolderNotWritableMessage("D:\\Pagorin\\" + std::string(kItemFileName)));
    EXPECT_NE(text.find("\xCE\xC4\xB5\xB5"), std::string::npos);  // 文档
    EXPECT_NE(text.find("D:\\Pagorin\\\xBC\xE0\xBF\xD8\xCF\xEE\xC4\xBF.txt"), std::string::npos);
    EXPECT_EQ(messages.icons[0], MessageIcon::kWarning);
}

// Memory runs out while the file's bytes are made: the export says so as any failed
// export does, and neither the old file nor the list is touched.
TEST_F(ItemFileCommandsTest, ExportThatRunsOutOfMemoryWarnsAndWritesNothing) {
    add("1");
    add("2", std::string(1000, 'k'));  // long enough to need memory of its own
    int failures = 0;
    // Memory runs out at the first allocation of the export, then at the second, ...
    for (long succeeding = 0;; ++succeeding) {
        messages.clear();
        const long failedBefore = test_support::FailedAllocations();
        {
            const test_support::MemoryBack memoryBack;
            test_support::FailAllocations(succeeding, 1);
            commands.exportItems();
        }
        if (test_support::FailedAllocations() == failedBefore) break;  // it never ran out
        ++failures;
        ASSERT_EQ(messages.texts.size(), 1u) << succeeding;
        EXPECT_EQ(messages.texts[0],
                  ExportFailedMessage("D:\\Pagorin\\" + std::string(kItemFileName)));
        EXPECT_TRUE(folder.files.empty());
        EXPECT_EQ(list.rowCount(), 2);
    }
    EXPECT_GT(failures, 0);
    EXPECT_TRUE(messages.texts.empty());  // with memory enough, it is written
    EXPECT_EQ(folder.files[std::string(kItemFileName)], FormatItemFile(list).bytes);
}

TEST_F(ItemFileCommandsTest, ExportWarnsOnceAboutRowsThatWillShift) {
    add("1");
    add("7",
        "a\xA3\xAC"
        "b");
    add("", "x\r\ny");
    add("9");
    commands.exportItems();
    EXPECT_EQ(folder.writes, 1);  // the file is still written, every row as it is
    ASSERT_EQ(messages.texts.size(), 1u);
    // Names 序号 7 and, for the row without one, "第3行".
    const std::string expectedNames =
        "7\xA1\xA2\xB5\xDA"
        "3\xD0\xD0";
    EXPECT_NE(messages.texts[0].find(" " + expectedNames + " "), std::string::npos);
    EXPECT_EQ(messages.icons[0], MessageIcon::kWarning);
}

TEST_F(ItemFileCommandsTest, LongListsOfShiftingRowsAreCut) {
    for (int i = 1; i <= 25; ++i) add(text::IntToText(i), "a\r\nb");
    const std::string message =
        RowsWillNotRoundTripMessage(list, FormatItemFile(list).rowsThatWillNotRoundTrip);
    EXPECT_NE(message.find("20 \xB5\xC8\xB9\xB2 25 \xCF\xEE"), std::string::npos);  // 20 等共 25 项
    EXPECT_EQ(message.find("21"), std::string::npos);
}

TEST_F(ItemFileCommandsTest, ImportAppendsAndAMissingFileIsSilent) {
    commands.importItems();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_TRUE(messages.texts.empty());
    add("1", "mine");
    folder.files[std::string(kItemFileName)] = "5\xA3\xAC\xCD\xA3\xD6\xB9\r\n";
    commands.importItems();
    commands.importItems();
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.cellText(0, kUrl), "mine");
    EXPECT_EQ(list.cellText(2, kSequence), "5");
    EXPECT_EQ(list.cellText(2, kStatus), text::kStopped);
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
}  // namespace pagorin::app
