// "添加", "修改", "删除" and the double-click: their refusals, and what the add and modify
// dialogs read and write. The dialogs' windows sit behind EntryDialogs, so all of this
// is plain logic over ItemList.
#pragma once

#include <functional>
#include <string_view>

#include "items/item_list.h"
#include "monitor/monitor_ports.h"
#include "system/user_messages.h"
#include "text/gbk_text.h"
#include "text/gbk_texts.h"

namespace pagorin::app {

// What a dialog's fields hold. Radios are on or off; several can be off at once.
struct EntryFields {
    text::Text url;
    text::Text keywords;
    text::Text refreshMinutes = "3";
    bool modeAny = true;        // 或[出现其一]
    bool modeAll = false;       // 与[同时出现]
    bool modeSameLine = false;  // 同一行[在一行上]
    bool soundYes = true;
    bool soundNo = false;
};

// The modify dialog's fields for `row`: radios only from exact cell texts.
EntryFields FieldsOfRow(const items::ItemList& list, int32_t row);

// The sound and mode texts the fields stand for.
text::Text SoundText(const EntryFields& fields);
text::Text ModeText(const EntryFields& fields);

// True when the fields may be saved; otherwise the validation message has been shown.
bool ValidateFields(const EntryFields& fields, system::UserMessages& messages);

// The saves: appends a new row, or rewrites the selected one (read again before each
// write) and sets its 发现目标 back to "否".
void SaveNewEntry(items::ItemList& list, const EntryFields& fields);
void SaveModifiedEntry(items::ItemList& list, const EntryFields& fields);

// The dialogs themselves. Each returns when its dialog has closed; `save` is called
// with the fields when "保存" is pressed and returns whether the dialog may close.
class EntryDialogs {
  public:
    virtual ~EntryDialogs() = default;
    using Save = std::function<bool(const EntryFields&)>;
    virtual void showAddDialog(const EntryFields& initial, const Save& save) = 0;
    virtual void showModifyDialog(const EntryFields& initial, const Save& save) = 0;
    virtual void showAboutWindow() = 0;
};

// The main window's entry commands.
class EntryCommands {
  public:
    virtual ~EntryCommands() = default;
    virtual void onAddClicked() = 0;
    virtual void onModifyClicked() = 0;
    virtual void onDeleteClicked() = 0;
    virtual void onItemListDoubleClicked() = 0;
    virtual void onAboutClicked() = 0;
};

class EntryCommandHandlers : public EntryCommands {
  public:
    EntryCommandHandlers(items::ItemList& list, system::UserMessages& messages,
                         EntryDialogs& dialogs, monitor::RowWorkers& workers)
        : list_(list), messages_(messages), dialogs_(dialogs), workers_(workers) {}

    void onAddClicked() override;
    void onModifyClicked() override;
    void onDeleteClicked() override;
    void onItemListDoubleClicked() override;
    void onAboutClicked() override { dialogs_.showAboutWindow(); }

  private:
    void openModifyDialog();
    void refuse(std::string_view text, system::MessageIcon icon);

    items::ItemList& list_;
    system::UserMessages& messages_;
    EntryDialogs& dialogs_;
    monitor::RowWorkers& workers_;
};

}  // namespace pagorin::app
