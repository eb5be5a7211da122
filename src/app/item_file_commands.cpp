// Export and import of the item file, with their messages.
#include "app/item_file_commands.h"

#include <exception>

#include "items/item_file.h"
#include "text/fixed_texts.h"

namespace pagorin::app {

using items::ItemList;
using text::Text;

namespace {

constexpr size_t kRowsNamed = 20;

}  // namespace

std::string ExportFailedMessage(std::string_view path) {
    std::string message(kExportFailedBefore);
    message.append(path).append(kExportFailedAfter);
    return message;
}

std::string FolderNotWritableMessage(std::string_view path) {
    std::string message(kFolderNotWritableBefore);
    message.append(path).append(kFolderNotWritableAfter);
    return message;
}

std::string RowsWillNotRoundTripMessage(const ItemList& list, const std::vector<int32_t>& rows) {
    std::string message(kShiftedBefore);
    for (size_t i = 0; i < rows.size() && i < kRowsNamed; ++i) {
        if (i > 0) message.append(kListSeparator);
        const Text sequence = list.cellText(rows[i], items::kSequence);
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
    using system::MessageIcon;
    if (items::listIsEmpty(list_)) {
        messages_.show(kNothingToExport, text::kCaptionNotice, MessageIcon::kWarning);
        return;
    }
    items::ItemFileContent content;
    system::ReplaceResult result = system::ReplaceResult::kFailed;
    try {
        content = items::FormatItemFile(list_);
        result = folder_.replaceFile(items::kItemFileName, content.bytes);
    } catch (const std::exception&) {
        // Out of memory for the file's bytes: the old file stays, and the user is told.
    }
    if (result != system::ReplaceResult::kReplaced) {
        const std::string path = folder_.pathOf(items::kItemFileName);
        messages_.show(result == system::ReplaceResult::kFolderNotWritable
                           ? FolderNotWritableMessage(path)
                           : ExportFailedMessage(path),
                       text::kCaptionNotice, MessageIcon::kWarning);
        return;
    }
    if (!content.rowsThatWillNotRoundTrip.empty()) {
        messages_.show(RowsWillNotRoundTripMessage(list_, content.rowsThatWillNotRoundTrip),
                       text::kCaptionNotice, MessageIcon::kWarning);
    }
}

void ItemFileCommands::importItems() {
    if (auto bytes = folder_.readFile(items::kItemFileName))
        items::AppendItemFileRows(*bytes, list_);
}

}  // namespace pagorin::app
