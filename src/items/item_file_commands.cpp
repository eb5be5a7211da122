// Export and import of the item file, with their messages.
#include "items/item_file_commands.h"

#include "items/item_file.h"
#include "text/fixed_texts.h"

namespace pagorin::items {
namespace {

constexpr std::string_view kExportFailedBefore =  // 导出失败：无法写入文件“
    "\xB5\xBC\xB3\xF6\xCA\xA7\xB0\xDC\xA3\xBA\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xCE\xC4\xBC\xFE"
    "\xA1\xB0";
constexpr std::string_view
    kExportFailedAfter =  // ”。原有文件未被改动，请检查文件是否只读或被其他程序占用。
    "\xA1\xB1\xA1\xA3\xD4\xAD\xD3\xD0\xCE\xC4\xBC\xFE\xCE\xB4\xB1\xBB\xB8\xC4\xB6\xAF\xA3\xAC"
    "\xC7\xEB\xBC\xEC\xB2\xE9\xCE\xC4\xBC\xFE\xCA\xC7\xB7\xF1\xD6\xBB\xB6\xC1\xBB\xF2\xB1\xBB"
    "\xC6\xE4\xCB\xFB\xB3\xCC\xD0\xF2\xD5\xBC\xD3\xC3\xA1\xA3";
constexpr std::string_view kShiftedBefore =  // 导出已完成，但序号为
    "\xB5\xBC\xB3\xF6\xD2\xD1\xCD\xEA\xB3\xC9\xA3\xAC\xB5\xAB\xD0\xF2\xBA\xC5\xCE\xAA ";
constexpr std::string_view
    kShiftedAfter =  // 的监控项目含有“，”或换行，再次导入时内容会错位，请修改后重新导出。
    " \xB5\xC4\xBC\xE0\xBF\xD8\xCF\xEE\xC4\xBF\xBA\xAC\xD3\xD0\xA1\xB0\xA3\xAC\xA1\xB1\xBB\xF2"
    "\xBB\xBB\xD0\xD0\xA3\xAC\xD4\xD9\xB4\xCE\xB5\xBC\xC8\xEB\xCA\xB1\xC4\xDA\xC8\xDD\xBB\xE1"
    "\xB4\xED\xCE\xBB\xA3\xAC\xC7\xEB\xD0\xDE\xB8\xC4\xBA\xF3\xD6\xD8\xD0\xC2\xB5\xBC\xB3\xF6"
    "\xA1\xA3";
constexpr std::string_view kListSeparator = "\xA1\xA2";          // 、
constexpr std::string_view kTotalBefore = " \xB5\xC8\xB9\xB2 ";  // 等共
constexpr std::string_view kTotalAfter = " \xCF\xEE";            // 项
constexpr std::string_view kRowBefore = "\xB5\xDA";              // 第
constexpr std::string_view kRowAfter = "\xD0\xD0";               // 行
constexpr size_t kRowsNamed = 20;

}  // namespace

std::string ExportFailedMessage(std::string_view path) {
    std::string message(kExportFailedBefore);
    message.append(path).append(kExportFailedAfter);
    return message;
}

std::string RowsWillNotRoundTripMessage(const ItemList& list, const std::vector<int32_t>& rows) {
    std::string message(kShiftedBefore);
    for (size_t i = 0; i < rows.size() && i < kRowsNamed; ++i) {
        if (i > 0) message.append(kListSeparator);
        const Text sequence = list.cellText(rows[i], kSequence);
        if (sequence.empty()) {
            message.append(kRowBefore).append(text::IntToText(rows[i] + 1)).append(kRowAfter);
        } else {
            message.append(sequence);
        }
    }
    if (rows.size() > kRowsNamed) {
        message.append(kTotalBefore)
            .append(text::IntToText(static_cast<int64_t>(rows.size())))
            .append(kTotalAfter);
    }
    message.append(kShiftedAfter);
    return message;
}

void ItemFileCommands::exportItems() {
    using platform::MessageIcon;
    if (listIsEmpty(list_)) {
        messages_.show(kNothingToExport, text::kCaptionNotice, MessageIcon::kWarning);
        return;
    }
    const ItemFileContent content = FormatItemFile(list_);
    if (!folder_.replaceFile(kItemFileName, content.bytes)) {
        messages_.show(ExportFailedMessage(folder_.pathOf(kItemFileName)), text::kCaptionNotice,
                       MessageIcon::kWarning);
        return;
    }
    if (!content.rowsThatWillNotRoundTrip.empty()) {
        messages_.show(RowsWillNotRoundTripMessage(list_, content.rowsThatWillNotRoundTrip),
                       text::kCaptionNotice, MessageIcon::kWarning);
    }
}

void ItemFileCommands::importItems() {
    if (auto bytes = folder_.readFile(kItemFileName)) AppendItemFileRows(*bytes, list_);
}

}  // namespace pagorin::items
