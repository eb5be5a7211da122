// Exporting and importing 100 000 entries (about 10 MB) beside cp of the same file.
// Export includes making the file safe on disk (written to a temporary file, flushed,
// renamed into place); cp does neither, so the ratio is an upper bound of our cost.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "adapters/posix/folder.h"
#include "grep_runner.h"
#include "items/item_file.h"
#include "items/item_list.h"
#include "random.h"
#include "text/fixed_texts.h"
#include "timing.h"

namespace pagorin::bench {
namespace {

constexpr int kEntries = 100000;

void fillList(items::ItemList& list) {
    Random random(1230);
    for (int i = 0; i < kEntries; ++i) {
        const int32_t row = list.appendRow(text::IntToText(i + 1));
        list.setCellText(row, items::kStatus, text::kStopped);
        std::string url = "http://shop" + std::to_string(random.next() % 1000) +
                          ".example.cn/notice/list?page=" + std::to_string(random.next() % 97) +
                          "&category=" + std::to_string(random.next() % 13);
        list.setCellText(row, items::kUrl, url);
        // 公告|通知|降价 plus a number, so rows differ.
        list.setCellText(row, items::kKeywords,
                         "\xB9\xAB\xB8\xE6|\xCD\xA8\xD6\xAA|\xBD\xB5\xBC\xDB" +
                             std::to_string(random.next() % 100));
        list.setCellText(row, items::kSoundAlarm, i % 2 ? text::kYes : text::kNo);
        list.setCellText(row, items::kRefreshMinutes, "3");
        list.setCellText(row, items::kMatchMode, text::kModeSameLine);
        list.setCellText(row, items::kTargetFound, text::kNo);
    }
}

void runCp(const std::filesystem::path& from, const std::filesystem::path& to) {
    const pid_t child = fork();
    if (child == 0) {
        execlp("cp", "cp", from.c_str(), to.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("cp failed");
}

}  // namespace
}  // namespace pagorin::bench

int main() {
    using namespace pagorin;
    using namespace pagorin::bench;
    items::ItemList list;
    fillList(list);
    TempDir dir;
    const std::filesystem::path folderPath = dir.write("probe", "").parent_path();
    adapters::PosixFolder folder(folderPath.string());

    const std::string fileName(items::kItemFileName);
    const double exportSeconds = BestSeconds([&] {
        const items::ItemFileContent content = items::FormatItemFile(list);
        if (folder.replaceFile(fileName, content.bytes) !=
            pagorin::system::ReplaceResult::kReplaced)
            throw std::runtime_error("export failed");
    });
    const std::filesystem::path exported = folderPath / fileName;
    const auto bytes = std::filesystem::file_size(exported);
    const double importSeconds = BestSeconds([&] {
        items::ItemList restored;
        const auto file = folder.readFile(fileName);
        if (!file || items::AppendItemFileRows(*file, restored) != kEntries) {
            throw std::runtime_error("import failed");
        }
    });
    const double cpSeconds = BestSeconds([&] { runCp(exported, folderPath / "copy.txt"); });

    std::printf("item file: %d entries, %.1f MB\n\n", kEntries, static_cast<double>(bytes) / 1e6);
    std::printf("%-20s %9s %9s %12s %s\n", "row", "ms", "cp ms", "ours/cp", "flags");
    auto row = [&](const char* name, double seconds, int target) {
        const double ratio = seconds / cpSeconds;
        std::printf(
            "%-20s %9.1f %9.1f %11.1fx %s\n", name, seconds * 1e3, cpSeconds * 1e3, ratio,
            ratio > target ? ("SLOWER-THAN-" + std::to_string(target) + "x-CP").c_str() : "");
    };
    row("export 100k", exportSeconds, 10);
    row("import 100k", importSeconds, 3);
    std::printf(
        "\nours/cp: time ratio, target at most 10x for export and 3x for import. Export writes "
        "a temporary file, flushes it to disk and renames it.\n");
    return 0;
}
