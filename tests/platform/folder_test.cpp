// The item file on a real disk: whole-file reads, one-step replacement, and failures
// that leave the old file exactly as it was. Natively on POSIX, on Windows under Wine.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "items/item_file.h"
#include "items/item_file_commands.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_folder.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/posix_folder.h"
#endif

namespace pagorin::platform {
namespace {

using items::kItemFileName;

// A fresh folder per test, removed with its files afterwards. On Windows its name holds
// a character GBK cannot spell, so only wide-character paths can reach it.
class TemporaryFolder {
public:
    TemporaryFolder() {
#if defined(_WIN32)
        wchar_t base[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, base);
        static int counter = 0;
        path_ = std::wstring(base) + L"pagorin-\U0001F600-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(counter++);
        CreateDirectoryW(path_.c_str(), nullptr);
        folder_ = std::make_unique<Win32Folder>(path_);
#else
        std::string pattern = ::testing::TempDir() + "pagorin-XXXXXX";
        path_ = mkdtemp(pattern.data());
        folder_ = std::make_unique<PosixFolder>(path_);
#endif
    }
    ~TemporaryFolder() {
#if defined(_WIN32)
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring file = path_ + L"\\" + found.cFileName;
                SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(file.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
#else
        std::system(("rm -rf '" + path_ + "'").c_str());
#endif
    }

    Folder& folder() { return *folder_; }

    void makeReadOnly(std::string_view name) {
#if defined(_WIN32)
        SetFileAttributesW(wide(name).c_str(), FILE_ATTRIBUTE_READONLY);
#else
        chmod((path_ + "/" + std::string(name)).c_str(), 0444);
#endif
    }

    // Number of entries in the folder: no temporary file may be left behind.
    int entryCount() const {
#if defined(_WIN32)
        int count = 0;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return 0;
        do {
            if (found.cFileName[0] != L'.') ++count;
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return count;
#else
        std::string command = "test $(ls -A '" + path_ + "' | wc -l) -eq 1";
        return std::system(command.c_str()) == 0 ? 1 : -1;
#endif
    }

#if defined(_WIN32)
    std::wstring wide(std::string_view name) const { return path_ + L"\\" + ToWide(name); }
#endif

private:
#if defined(_WIN32)
    std::wstring path_;
#else
    std::string path_;
#endif
    std::unique_ptr<Folder> folder_;
};

TEST(Folder, MissingFileReadsAsNothing) {
    TemporaryFolder temporary;
    EXPECT_FALSE(temporary.folder().readFile(kItemFileName).has_value());
}

TEST(Folder, ReplaceWritesExactBytesAndLeavesNoTemporaryFile) {
    TemporaryFolder temporary;
    std::string bytes;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i) bytes.push_back(static_cast<char>(i * 31));
    ASSERT_TRUE(temporary.folder().replaceFile(kItemFileName, bytes));
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), bytes);
    ASSERT_TRUE(temporary.folder().replaceFile(kItemFileName, "short"));
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), "short");
    ASSERT_TRUE(temporary.folder().replaceFile(kItemFileName, ""));
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), "");
    EXPECT_EQ(temporary.entryCount(), 1);
}

TEST(Folder, ReadOnlyFileIsKeptAsItWas) {
    TemporaryFolder temporary;
    ASSERT_TRUE(temporary.folder().replaceFile(kItemFileName, "old entries\r\n"));
    temporary.makeReadOnly(kItemFileName);
    EXPECT_FALSE(temporary.folder().replaceFile(kItemFileName, "new"));
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), "old entries\r\n");
    EXPECT_EQ(temporary.entryCount(), 1);
}

#if defined(_WIN32)
TEST(Folder, LockedFileIsKeptAsItWasAndTheFailureIsShown) {
    TemporaryFolder temporary;
    ASSERT_TRUE(temporary.folder().replaceFile(kItemFileName, "old entries\r\n"));
    // Another program holds the file open without sharing it.
    HANDLE lock = CreateFileW(temporary.wide(kItemFileName).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    items::ItemList list;
    list.appendRow("1");
    struct Recorder : UserMessages {
        std::vector<std::string> texts;
        void show(std::string_view text, std::string_view, MessageIcon) override {
            texts.emplace_back(text);
        }
    } messages;
    items::ItemFileCommands commands(list, temporary.folder(), messages);
    commands.exportItems();
    CloseHandle(lock);
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), "old entries\r\n");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0],
              items::ExportFailedMessage(temporary.folder().pathOf(kItemFileName)));
    EXPECT_EQ(temporary.entryCount(), 1);
}

TEST(Folder, PathsOutsideGbkAreReachedAndShownWithQuestionMarks) {
    TemporaryFolder temporary;
    ASSERT_TRUE(temporary.folder().replaceFile(kItemFileName, "x"));
    // The file really is where the wide path says, under its Chinese name.
    EXPECT_NE(GetFileAttributesW(temporary.wide(kItemFileName).c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string shown = temporary.folder().pathOf(kItemFileName);
    EXPECT_NE(shown.find("pagorin-?"), std::string::npos);
    EXPECT_EQ(shown.substr(shown.size() - kItemFileName.size()), kItemFileName);
}

TEST(Folder, ProgramDirectoryHoldsTheRunningExecutable) {
    const std::wstring directory = Win32Folder::programDirectory();
    wchar_t module[4096];
    GetModuleFileNameW(nullptr, module, 4096);
    EXPECT_EQ(std::wstring(module).rfind(directory + L"\\", 0), 0u);
}
#endif

TEST(Folder, ExportThenImportRestoresTheRows) {
    TemporaryFolder temporary;
    items::ItemList list;
    struct Silent : UserMessages {
        int shown = 0;
        void show(std::string_view, std::string_view, MessageIcon) override { ++shown; }
    } messages;
    for (int i = 1; i <= 3; ++i) {
        const int32_t row = list.appendRow(text::IntToText(i));
        list.setCellText(row, items::kKeywords, "\xB9\xAB\xB8\xE6|\xCD\xA8\xD6\xAA");
        list.setCellText(row, items::kStatus, text::kMonitoring);
    }
    items::ItemFileCommands(list, temporary.folder(), messages).exportItems();
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), items::FormatItemFile(list).bytes);
    items::ItemList restored;
    items::ItemFileCommands(restored, temporary.folder(), messages).importItems();
    ASSERT_EQ(restored.rowCount(), 3);
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; column < items::kColumnCount; ++column) {
            EXPECT_EQ(restored.cellText(row, column), list.cellText(row, column));
        }
    }
    EXPECT_EQ(messages.shown, 0);
}

}  // namespace
}  // namespace pagorin::platform
