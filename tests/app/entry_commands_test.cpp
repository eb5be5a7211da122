// The entry commands with a scripted dialog: every refusal in its order with its icon,
// the modify dialog's fill, validation, and the cells the saves write; and a delete
// while a worker of the row waits.
#include "app/entry_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "support/entry_rows.h"
#include "support/monitoring_fixture.h"
#include "support/recorded_messages.h"
#include "text/fixed_texts.h"

namespace pagorin::app {
namespace {

using items::ItemList;
using monitor::testing::MonitoringTest;
using system::MessageIcon;

// Opens nothing: records which dialog was asked for with what, and presses "保存" with
// the fields the test scripted (each press returns whether the dialog would close).
struct ScriptedDialogs : EntryDialogs {
    std::vector<std::string> opened;
    EntryFields initial;
    std::vector<EntryFields> presses;
    std::vector<bool> closedAfter;
    void showAddDialog(const EntryFields& fields, const Save& save) override {
        run("add", fields, save);
    }
    void showModifyDialog(const EntryFields& fields, const Save& save) override {
        run("modify", fields, save);
    }
    void showAboutWindow() override { opened.push_back("about"); }
    void run(const char* name, const EntryFields& fields, const Save& save) {
        opened.push_back(name);
        initial = fields;
        for (const EntryFields& press : presses) {
            const bool closed = save(press);
            closedAfter.push_back(closed);
            if (closed) break;
        }
    }
};

class EntryCommandsTest : public ::testing::Test {
  protected:
    int32_t addRow(std::string status = std::string(text::kStopped)) {
        return test_support::AppendEntry(list,
                                         {.status = status,
                                          .url = "http://u/" + text::IntToText(list.rowCount()),
                                          .sound = std::string(text::kNo),
                                          .refresh = "5",
                                          .mode = std::string(text::kModeAll),
                                          .found = std::string(text::kYes)});
    }
    void expectOneMessage(std::string_view text, MessageIcon icon) {
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_EQ(messages.texts[0], text);
        EXPECT_EQ(messages.captions[0], text::kCaptionNotice);
        EXPECT_EQ(messages.icons[0], icon);
    }

    // Which rows' workers were ended, and how many rows there were at that moment.
    struct EndedWorkers : monitor::RowWorkers {
        const ItemList& list;
        std::vector<std::pair<int32_t, int32_t>> calls;
        explicit EndedWorkers(const ItemList& rows) : list(rows) {}
        void EndWorkersFromRow(int32_t row) override { calls.push_back({row, list.rowCount()}); }
    };

    ItemList list;
    test_support::RecordedMessages messages;
    ScriptedDialogs dialogs;
    EndedWorkers workers{list};
    EntryCommandHandlers commands{list, messages, dialogs, workers};
};

TEST_F(EntryCommandsTest, RefusedWhileOneOfTheFirstThreeRowsIsMonitored) {
    addRow();
    addRow(std::string(text::kMonitoring));
    list.selectRow(0);
    commands.onAddClicked();
    commands.onModifyClicked();
    commands.onDeleteClicked();
    commands.onItemListDoubleClicked();
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{std::string(kRefuseAdd), std::string(kRefuseModify),
                                        std::string(kRefuseDelete), std::string(kRefuseModify)}));
    for (MessageIcon icon : messages.icons) EXPECT_EQ(icon, MessageIcon::kInformation);
    EXPECT_TRUE(dialogs.opened.empty());
    EXPECT_EQ(list.rowCount(), 2);
}

TEST_F(EntryCommandsTest, AFourthMonitoredRowBlocksNothing) {
    for (int i = 0; i < 3; ++i) addRow();
    addRow(std::string(text::kMonitoring));
    list.selectRow(3);
    commands.onModifyClicked();
    commands.onDeleteClicked();
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"modify"}));
    EXPECT_EQ(list.rowCount(), 3);
}

TEST_F(EntryCommandsTest, ModifyAndDeleteRefusals) {
    commands.onModifyClicked();
    expectOneMessage(kNothingToModify, MessageIcon::kWarning);
    messages = {};
    commands.onDeleteClicked();
    expectOneMessage(kNothingToDelete, MessageIcon::kWarning);
    messages = {};
    addRow();
    commands.onModifyClicked();
    expectOneMessage(kSelectRowToModify, MessageIcon::kWarning);
    messages = {};
    commands.onDeleteClicked();
    expectOneMessage(kSelectRowToDelete, MessageIcon::kWarning);
    messages = {};
    // A selected row on a list whose first 序号 is empty counts as no entries.
    list.setCellText(0, items::kSequence, "");
    list.selectRow(0);
    commands.onModifyClicked();
    expectOneMessage(kNothingToModify, MessageIcon::kWarning);
    EXPECT_TRUE(dialogs.opened.empty());
}

TEST_F(EntryCommandsTest, DeleteRemovesTheSelectedRowWithoutAsking) {
    addRow();
    addRow();
    addRow();
    list.selectRow(1);
    commands.onDeleteClicked();
    EXPECT_TRUE(messages.texts.empty());
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.cellText(1, items::kSequence), "3");
    // The workers from that row on were ended before the rows moved up.
    EXPECT_EQ(workers.calls, (std::vector<std::pair<int32_t, int32_t>>{{1, 3}}));
}

TEST_F(EntryCommandsTest, AddWithTheDefaultsAppendsTheNextRow) {
    addRow();
    addRow();
    list.deleteRow(0);  // the next 序号 is the row count, even if it repeats
    EntryFields fields;
    fields.url = "http://new/";
    fields.keywords = "\xB9\xAB\xB8\xE6| ";
    dialogs.presses = {fields};
    commands.onAddClicked();
    EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"add"}));
    EXPECT_EQ(dialogs.initial.refreshMinutes, "3");
    EXPECT_TRUE(dialogs.initial.modeAny && dialogs.initial.soundYes);
    EXPECT_TRUE(dialogs.initial.url.empty());
    ASSERT_EQ(list.rowCount(), 2);
    const std::vector<std::string> expected = {"2",
                                               std::string(text::kStopped),
                                               "http://new/",
                                               "\xB9\xAB\xB8\xE6| ",
                                               std::string(text::kYes),
                                               "3",
                                               std::string(text::kModeAny),
                                               std::string(text::kNo)};
    for (int32_t column = 0; column < items::kColumnCount; ++column) {
        EXPECT_EQ(list.cellText(1, column), expected[static_cast<size_t>(column)]) << column;
    }
}

TEST_F(EntryCommandsTest, ValidationRefusesEmptyFieldsInOrderAndKeepsTheDialogOpen) {
    EntryFields empty;
    empty.url = "";
    EntryFields spaceOnly;
    spaceOnly.url = " ";
    spaceOnly.keywords = " ";
    spaceOnly.refreshMinutes = "abc";
    EntryFields noInterval = spaceOnly;
    noInterval.refreshMinutes = "";
    dialogs.presses = {empty, noInterval, spaceOnly};
    commands.onAddClicked();
    EXPECT_EQ(dialogs.closedAfter, (std::vector<bool>{false, false, true}));
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[0], kInvalidFields);
    EXPECT_EQ(messages.captions[0], kInvalidFieldsCaption);
    EXPECT_EQ(messages.icons[0], MessageIcon::kWarning);
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.cellText(0, items::kRefreshMinutes), "abc");
    EXPECT_EQ(list.cellText(0, items::kKeywords), " ");  // stored exactly as typed
}

TEST_F(EntryCommandsTest, ModifyFillsFromExactCellsAndSavesTheSelectedRow) {
    addRow();
    const int32_t row = addRow();
    list.setCellText(row, items::kMatchMode, "");
    list.setCellText(row, items::kSoundAlarm, "yes");
    list.setCellText(row, items::kStatus, "custom");
    list.selectRow(row);
    EntryFields unchanged = FieldsOfRow(list, row);
    dialogs.presses = {unchanged};
    commands.onModifyClicked();
    ASSERT_EQ(dialogs.opened, (std::vector<std::string>{"modify"}));
    EXPECT_FALSE(dialogs.initial.modeAny || dialogs.initial.modeAll ||
                 dialogs.initial.modeSameLine);
    EXPECT_FALSE(dialogs.initial.soundYes || dialogs.initial.soundNo);
    EXPECT_EQ(dialogs.initial.refreshMinutes, "5");
    // Saved without choices: an empty mode again, sound "否", found back to "否".
    EXPECT_EQ(list.cellText(row, items::kMatchMode), "");
    EXPECT_EQ(list.cellText(row, items::kSoundAlarm), text::kNo);
    EXPECT_EQ(list.cellText(row, items::kTargetFound), text::kNo);
    EXPECT_EQ(list.cellText(row, items::kStatus), "custom");
    EXPECT_EQ(list.cellText(row, items::kSequence), "2");
    EXPECT_EQ(list.cellText(0, items::kTargetFound), text::kYes);  // other rows untouched
}

TEST_F(EntryCommandsTest, DoubleClickOpensOnlyOnARowWithASequenceNumber) {
    addRow();
    commands.onItemListDoubleClicked();  // nothing selected
    EXPECT_TRUE(dialogs.opened.empty());
    list.selectRow(0);
    commands.onItemListDoubleClicked();
    EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"modify"}));
    list.setCellText(0, items::kSequence, "");
    commands.onItemListDoubleClicked();
    EXPECT_EQ(dialogs.opened.size(), 1u);
    EXPECT_TRUE(messages.texts.empty());
}

TEST(ModeText, TestedInTheOrderAllAnySameLine) {
    EntryFields fields;
    fields.modeAny = fields.modeAll = fields.modeSameLine = false;
    EXPECT_EQ(ModeText(fields), "");
    fields.modeAll = true;
    EXPECT_EQ(ModeText(fields), text::kModeAll);
    fields.modeAny = true;
    EXPECT_EQ(ModeText(fields), text::kModeAny);
    fields.modeSameLine = true;
    EXPECT_EQ(ModeText(fields), text::kModeSameLine);
}

// A command acting on a running engine. A worker that has alarmed keeps its row until its next
// cycle, the row showing "停止", so the row may be deleted meanwhile. The entry that moves up into
// its place must not be fetched, alarmed for or written by that worker; a worker of a row above is
// untouched.
TEST_F(MonitoringTest, DeletingAWorkersRowEndsThatWorker) {
    using namespace std::chrono_literals;
    using namespace monitor::testing::cell_texts;
    using items::kStatus;
    using items::kTargetFound;
    struct NoDialogs : EntryDialogs {
        void showAddDialog(const EntryFields&, const Save&) override {}
        void showModifyDialog(const EntryFields&, const Save&) override {}
        void showAboutWindow() override {}
    } dialogs;
    EntryCommandHandlers commands{list, messages, dialogs, monitoring};
    addRow();  // rows 0 and 1 are found at once
    addRow();
    addRow();  // row 2 is not watched (no 序号) and moves up into row 1
    list.setCellText(2, items::kSequence, "");
    list.setCellText(2, items::kUrl, "http://srv/moves-up");
    pages.setPages({"k"});
    sleeper.setHold([](std::chrono::milliseconds d) { return d == 180s; });
    monitoring.StartMonitoring();
    ASSERT_TRUE(sleeper.holding.waitFor(2));  // both alarmed, waiting their interval
    ASSERT_EQ(list.cellText(1, kTargetFound), kYes);
    ASSERT_FALSE(items::monitoringActive(list));
    list.setCellText(0, kTargetFound, kNo);  // as the modify dialog does: row 0 goes on
    list.selectRow(1);
    commands.onDeleteClicked();
    ASSERT_EQ(list.rowCount(), 2);
    sleeper.release.open();
    ASSERT_TRUE(monitoring.waitUntilWorkersEnd(10s));
    // The entry that moved up was never fetched, alarmed for or written.
    EXPECT_EQ(list.cellText(1, items::kUrl), "http://srv/moves-up");
    EXPECT_EQ(list.cellText(1, kTargetFound), kNo);
    EXPECT_EQ(list.cellText(1, kStatus), kStopped);
    const std::vector<std::string> addresses = pages.addresses();
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), "http://srv/1"), 1);
    // Row 0's worker went on: a second alarm.
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), "http://srv/0"), 2);
    EXPECT_EQ(presenter.texts().size(), 3u);
}

}  // namespace
}  // namespace pagorin::app
