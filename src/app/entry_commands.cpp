// The entry commands' refusals and the dialogs' fill, validation and saves.
#include "app/entry_commands.h"

#include "text/fixed_texts.h"

namespace pagorin::app {

using items::ItemList;
using system::MessageIcon;

EntryFields FieldsOfRow(const ItemList& list, int32_t row) {
    EntryFields fields;
    fields.url = list.cellText(row, items::kUrl);
    fields.keywords = list.cellText(row, items::kKeywords);
    fields.refreshMinutes = list.cellText(row, items::kRefreshMinutes);
    const text::Text mode = list.cellText(row, items::kMatchMode);
    fields.modeAny = mode == text::kModeAny;
    fields.modeAll = mode == text::kModeAll;
    fields.modeSameLine = mode == text::kModeSameLine;
    const text::Text sound = list.cellText(row, items::kSoundAlarm);
    fields.soundYes = sound == text::kYes;
    fields.soundNo = sound == text::kNo;
    return fields;
}

text::Text SoundText(const EntryFields& fields) {
    return text::Text(fields.soundYes ? text::kYes : text::kNo);
}

text::Text ModeText(const EntryFields& fields) {
    // Tested in this order, the last one on wins (radios allow only one anyway).
    text::Text mode;
    if (fields.modeAll) mode = text::kModeAll;
    if (fields.modeAny) mode = text::kModeAny;
    if (fields.modeSameLine) mode = text::kModeSameLine;
    return mode;
}

bool ValidateFields(const EntryFields& fields, system::UserMessages& messages) {
    // Only emptiness is checked: a field of spaces counts as filled, and the interval
    // need not be a number.
    if (fields.url.empty() || fields.keywords.empty() || fields.refreshMinutes.empty()) {
        messages.show(kInvalidFields, kInvalidFieldsCaption, MessageIcon::kWarning);
        return false;
    }
    return true;
}

void SaveNewEntry(ItemList& list, const EntryFields& fields) {
    const int32_t row = list.appendRow();
    if (row < 0) return;
    list.setCellText(row, items::kSequence, text::IntToText(row + 1));
    list.setCellText(row, items::kStatus, text::kStopped);
    list.setCellText(row, items::kUrl, fields.url);
    list.setCellText(row, items::kKeywords, fields.keywords);
    list.setCellText(row, items::kSoundAlarm, SoundText(fields));
    list.setCellText(row, items::kRefreshMinutes, fields.refreshMinutes);
    list.setCellText(row, items::kMatchMode, ModeText(fields));
    list.setCellText(row, items::kTargetFound, text::kNo);
}

void SaveModifiedEntry(ItemList& list, const EntryFields& fields) {
    list.setCellText(list.selectedRow(), items::kUrl, fields.url);
    list.setCellText(list.selectedRow(), items::kKeywords, fields.keywords);
    list.setCellText(list.selectedRow(), items::kSoundAlarm, SoundText(fields));
    list.setCellText(list.selectedRow(), items::kRefreshMinutes, fields.refreshMinutes);
    list.setCellText(list.selectedRow(), items::kMatchMode, ModeText(fields));
    list.setCellText(list.selectedRow(), items::kTargetFound, text::kNo);
}

void EntryCommandHandlers::refuse(std::string_view text, MessageIcon icon) {
    messages_.show(text, text::kCaptionNotice, icon);
}

void EntryCommandHandlers::onAddClicked() {
    if (items::monitoringActive(list_)) return refuse(kRefuseAdd, MessageIcon::kInformation);
    dialogs_.showAddDialog(EntryFields{}, [this](const EntryFields& fields) {
        if (!ValidateFields(fields, messages_)) return false;
        SaveNewEntry(list_, fields);
        return true;
    });
}

void EntryCommandHandlers::openModifyDialog() {
    dialogs_.showModifyDialog(FieldsOfRow(list_, list_.selectedRow()),
                              [this](const EntryFields& fields) {
                                  if (!ValidateFields(fields, messages_)) return false;
                                  SaveModifiedEntry(list_, fields);
                                  return true;
                              });
}

void EntryCommandHandlers::onModifyClicked() {
    if (items::monitoringActive(list_)) return refuse(kRefuseModify, MessageIcon::kInformation);
    const bool empty = items::listIsEmpty(list_);
    if (list_.selectedRow() != -1 && !empty) return openModifyDialog();
    refuse(empty ? kNothingToModify : kSelectRowToModify, MessageIcon::kWarning);
}

void EntryCommandHandlers::onItemListDoubleClicked() {
    if (items::monitoringActive(list_)) return refuse(kRefuseModify, MessageIcon::kInformation);
    if (!list_.cellText(list_.selectedRow(), items::kSequence).empty()) openModifyDialog();
}

void EntryCommandHandlers::onDeleteClicked() {
    if (items::monitoringActive(list_)) return refuse(kRefuseDelete, MessageIcon::kInformation);
    if (items::listIsEmpty(list_)) return refuse(kNothingToDelete, MessageIcon::kWarning);
    const int32_t row = list_.selectedRow();
    if (row != -1) {
        // A worker that has alarmed keeps its row until its next cycle, with the row
        // showing "停止": it must not go on with the entry that moves up into its place.
        workers_.EndWorkersFromRow(row);
        return list_.deleteRow(row);
    }
    refuse(kSelectRowToDelete, MessageIcon::kWarning);
}

}  // namespace pagorin::app
