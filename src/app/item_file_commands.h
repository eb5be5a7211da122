// The list menu's "导出监控项目" and "导入监控项目": the item file beside the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "items/item_list.h"
#include "system/folder.h"
#include "system/user_messages.h"
#include "text/gbk_texts.h"

namespace pagorin::app {

class ItemFileCommands {
  public:
    ItemFileCommands(items::ItemList& list, system::Folder& folder, system::UserMessages& messages)
        : list_(list), folder_(folder), messages_(messages) {}

    // Writes every row to the item file, replacing it in one step. Refused with a
    // message when there are no entries; a failure to write, and rows the format
    // cannot carry, are reported. Success is silent.
    void exportItems();

    // Appends the item file's lines as new rows; a missing file imports nothing.
    void importItems();

  private:
    items::ItemList& list_;
    system::Folder& folder_;
    system::UserMessages& messages_;
};

// "导出失败：无法写入文件“PATH”。原有文件未被改动，请检查文件是否只读或被其他程序占用。"
std::string ExportFailedMessage(std::string_view path);

// "导出失败：程序所在的文件夹不允许写入，无法保存文件“PATH”。请把程序放到自己可以写入的文件夹
// （例如“文档”）中再导出。": the folder refuses new files, as Program Files does.
std::string FolderNotWritableMessage(std::string_view path);

// "导出已完成，但序号为 1、3 的监控项目含有“，”或换行，再次导入时内容会错位，请修改后重新导出。"
// Names at most 20 rows, then "等共 N 项"; a row with an empty 序号 is named "第N行".
std::string RowsWillNotRoundTripMessage(const items::ItemList& list,
                                        const std::vector<int32_t>& rows);

}  // namespace pagorin::app
