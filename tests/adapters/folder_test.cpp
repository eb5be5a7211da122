// The item file on a real disk: whole-file reads, one-step replacement, and failures
// that leave the old file exactly as it was. Natively on POSIX, on Windows under Wine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "app/item_file_commands.h"
#include "items/item_file.h"
#include "support/recorded_messages.h"

#if defined(_WIN32)
#include <windows.h>

#include "adapters/win32/folder.h"
#include "win32/code_page.h"
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "adapters/posix/folder.h"
#endif

namespace pagorin::adapters {
namespace {

using system::Folder;
using system::ReplaceResult;
#if defined(_WIN32)
using win32::ToWide;
#endif

using items::kItemFileName;

#if defined(_WIN32)
std::wstring temporaryBase() {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    return base;
}
#endif

// A plain ctest run has no fault file systems: those tests skip. The test script always
// sets the variables, to "unavailable" when it could not mount, and then they fail.
constexpr const char* kNoFaultDisks =
    "no fault file systems: tools/test-file-systems.sh start DIR mounts them, and "
    "PAGORIN_TEST_SMALL_DISK and PAGORIN_TEST_READ_ONLY_DISK name them (scripts/test does both)";

// A folder on a small file system that the test script mounts: its path, in this
// platform's form, from the environment.
#if defined(_WIN32)
std::wstring mountedFolder(const char* variable) {
    const char* path = std::getenv(variable);
    if (path == nullptr || path[0] != '/') return L"";
    std::wstring windows = L"Z:" + ToWide(path);
    for (wchar_t& c : windows) c = c == L'/' ? L'\\' : c;
    return windows + L"\\";
}
#else
std::string mountedFolder(const char* variable) {
    const char* path = std::getenv(variable);
    if (path == nullptr || path[0] != '/') return "";
    return std::string(path) + "/";
}
#endif

using test_support::RecordedMessages;

void appendRows(items::ItemList& list, int rows) {
    for (int i = 1; i <= rows; ++i) {
        list.setCellText(list.appendRow(text::IntToText(i)), items::kUrl,
                         "http://example.test/page/" + std::string(400, 'p'));
    }
}

// A fresh folder per test, removed with its files afterwards. On Windows its name holds
// a character GBK cannot spell, so only wide-character paths can reach it.
class TemporaryFolder {
  public:
#if defined(_WIN32)
    explicit TemporaryFolder(std::wstring base = temporaryBase()) {
        static int counter = 0;
        path_ = base + L"pagorin-\U0001F600-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter++);
        CreateDirectoryW(path_.c_str(), nullptr);
        folder_ = std::make_unique<Win32Folder>(path_);
    }
#else
    explicit TemporaryFolder(std::string base = ::testing::TempDir()) {
        std::string pattern = base + "pagorin-XXXXXX";
        path_ = mkdtemp(pattern.data());
        folder_ = std::make_unique<PosixFolder>(path_);
    }
#endif
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

    Folder& folder() {
        return *folder_;
    }

    void makeReadOnly(std::string_view name) {
#if defined(_WIN32)
        SetFileAttributesW(wide(name).c_str(), FILE_ATTRIBUTE_READONLY);
#else
        chmod((path_ + "/" + std::string(name)).c_str(), 0444);
#endif
    }

    // Writes a file `name` until the disk refuses more.
    void fillDisk(std::string_view name) {
        const std::string block(4096, 'f');
#if defined(_WIN32)
        HANDLE file = CreateFileW(wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 1;
        while (written > 0 && WriteFile(file, block.data(), 4096, &written, nullptr)) {
        }
        CloseHandle(file);
#else
        FILE* file = std::fopen((path_ + "/" + std::string(name)).c_str(), "wb");
        while (std::fwrite(block.data(), 1, block.size(), file) == block.size()) {
        }
        std::fclose(file);
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
        int count = 0;
        DIR* directory = opendir(path_.c_str());
        while (const dirent* entry = readdir(directory)) count += entry->d_name[0] != '.';
        closedir(directory);
        return count;
#endif
    }

#if defined(_WIN32)
    std::wstring wide(std::string_view name) const {
        return path_ + L"\\" + ToWide(name);
    }
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
    ASSERT_EQ(temporary.folder().replaceFile(kItemFileName, bytes), ReplaceResult::kReplaced);
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), bytes);
    ASSERT_EQ(temporary.folder().replaceFile(kItemFileName, "short"), ReplaceResult::kReplaced);
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), "short");
    ASSERT_EQ(temporary.folder().replaceFile(kItemFileName, ""), ReplaceResult::kReplaced);
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), "");
    EXPECT_EQ(temporary.entryCount(), 1);
}

TEST(Folder, ReadOnlyFileIsKeptAsItWas) {
    TemporaryFolder temporary;
    ASSERT_EQ(temporary.folder().replaceFile(kItemFileName, "old entries\r\n"),
              ReplaceResult::kReplaced);
    temporary.makeReadOnly(kItemFileName);
    EXPECT_EQ(temporary.folder().replaceFile(kItemFileName, "new"), ReplaceResult::kFailed);
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), "old entries\r\n");
    EXPECT_EQ(temporary.entryCount(), 1);
}

#if defined(_WIN32)
TEST(Folder, LockedFileIsKeptAsItWasAndTheFailureIsShown) {
    TemporaryFolder temporary;
    ASSERT_EQ(temporary.folder().replaceFile(kItemFileName, "old entries\r\n"),
              ReplaceResult::kReplaced);
    // Another program holds the file open without sharing it.
    const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
    const std::wstring readyName = L"pagorin-lock-ready-" + suffix;
    const std::wstring releaseName = L"pagorin-lock-release-" + suffix;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring holder = self;
    holder = holder.substr(0, holder.find_last_of(L'\\') + 1) + L"file_lock_holder.exe";
    std::wstring command = L"\"" + holder + L"\" \"" + temporary.wide(kItemFileName) + L"\" " +
                           readyName + L" " + releaseName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(holder.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);

    items::ItemList list;
    appendRows(list, 1);
    RecordedMessages messages;
    app::ItemFileCommands(list, temporary.folder(), messages).exportItems();
    SetEvent(release);
    WaitForSingleObject(process.hProcess, 20000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    for (HANDLE handle : {process.hProcess, process.hThread}) CloseHandle(handle);

    EXPECT_EQ(temporary.folder().readFile(kItemFileName), "old entries\r\n");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0],
              app::ExportFailedMessage(temporary.folder().pathOf(kItemFileName)));
    EXPECT_EQ(temporary.entryCount(), 1);

    // A scanner holds the file for a moment only: the export waits for it and succeeds.
    ResetEvent(ready);
    ResetEvent(release);
    ASSERT_TRUE(CreateProcessW(holder.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
    std::thread releaser([release] {
        Sleep(250);
        SetEvent(release);
    });
    messages.texts.clear();
    app::ItemFileCommands(list, temporary.folder(), messages).exportItems();
    releaser.join();
    WaitForSingleObject(process.hProcess, 20000);
    for (HANDLE handle : {process.hProcess, process.hThread, ready, release}) CloseHandle(handle);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_NE(temporary.folder().readFile(kItemFileName), "old entries\r\n");
    EXPECT_EQ(temporary.entryCount(), 1);
}

// Temporary files an export cut short by a power loss left beside the program go at the
// next export; one written a moment ago may be another copy's export, and stays.
TEST(Folder, TemporaryFilesLeftBehindGoAtTheNextExport) {
    TemporaryFolder temporary;
    const std::wstring base = temporary.wide(kItemFileName);
    const auto leave = [](const std::wstring& path, int minutesAgo) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
        time.QuadPart -= static_cast<ULONGLONG>(minutesAgo) * 60 * 10000000;
        const FILETIME written{time.LowPart, time.HighPart};
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    };
    leave(base + L".4242.0.tmp", 90);
    leave(base + L".4242.1.tmp", 2);
    leave(base + L".4343.0.tmp", 0);
    ASSERT_EQ(temporary.entryCount(), 3);
    ASSERT_EQ(temporary.folder().replaceFile(kItemFileName, "rows"), ReplaceResult::kReplaced);
    EXPECT_EQ(GetFileAttributesW((base + L".4242.0.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((base + L".4242.1.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW((base + L".4343.0.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(temporary.entryCount(), 2);  // the file and the fresh one
}

TEST(Folder, PathsOutsideGbkAreReachedAndShownWithQuestionMarks) {
    TemporaryFolder temporary;
    ASSERT_EQ(temporary.folder().replaceFile(kItemFileName, "x"), ReplaceResult::kReplaced);
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

// The folder sits on a file system mounted read-only: export fails and says so, the file
// stays, and import still reads it.
TEST(Folder, ReadOnlyFolderKeepsTheFileAndTheFailureIsShown) {
    if (std::getenv("PAGORIN_TEST_READ_ONLY_DISK") == nullptr) GTEST_SKIP() << kNoFaultDisks;
    const auto path = mountedFolder("PAGORIN_TEST_READ_ONLY_DISK");
    ASSERT_FALSE(path.empty()) << "the test script mounts a read-only file system";
#if defined(_WIN32)
    Win32Folder folder(path.substr(0, path.size() - 1));
#else
    PosixFolder folder(path.substr(0, path.size() - 1));
#endif
    const std::optional<std::string> before = folder.readFile(kItemFileName);
    ASSERT_TRUE(before.has_value() && !before->empty());
    items::ItemList list;
    appendRows(list, 2);
    RecordedMessages messages;
    app::ItemFileCommands commands(list, folder, messages);
    commands.exportItems();
    EXPECT_EQ(folder.readFile(kItemFileName), before);
    ASSERT_EQ(messages.texts.size(), 1u);
    // The folder refuses new files: the message says so, and where to keep the program.
    EXPECT_EQ(messages.texts[0], app::FolderNotWritableMessage(folder.pathOf(kItemFileName)));

    items::ItemList imported;
    app::ItemFileCommands(imported, folder, messages).importItems();
    EXPECT_GT(imported.rowCount(), 0);
    EXPECT_EQ(messages.texts.size(), 1u);
}

// The disk fills up while the new file is written: the old file stays whole, no
// temporary file is left, and the user is told.
TEST(Folder, FullDiskKeepsTheFileAndTheFailureIsShown) {
    if (std::getenv("PAGORIN_TEST_SMALL_DISK") == nullptr) GTEST_SKIP() << kNoFaultDisks;
    const auto base = mountedFolder("PAGORIN_TEST_SMALL_DISK");
    ASSERT_FALSE(base.empty()) << "the test script mounts a small file system";
    TemporaryFolder temporary(base);
    items::ItemList oldList;
    appendRows(oldList, 3);
    const std::string old = items::FormatItemFile(oldList).bytes;
    ASSERT_EQ(temporary.folder().replaceFile(kItemFileName, old), ReplaceResult::kReplaced);
    temporary.fillDisk("filler");
    items::ItemList list;
    appendRows(list, 50);
    RecordedMessages messages;
    app::ItemFileCommands(list, temporary.folder(), messages).exportItems();
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), old);
    EXPECT_EQ(temporary.entryCount(), 2);  // the file and the filler
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0],
              app::ExportFailedMessage(temporary.folder().pathOf(kItemFileName)));
}

TEST(Folder, ExportThenImportRestoresTheRows) {
    TemporaryFolder temporary;
    items::ItemList list;
    RecordedMessages messages;
    for (int i = 1; i <= 3; ++i) {
        const int32_t row = list.appendRow(text::IntToText(i));
        list.setCellText(row, items::kKeywords, "\xB9\xAB\xB8\xE6|\xCD\xA8\xD6\xAA");
        list.setCellText(row, items::kStatus, text::kMonitoring);
    }
    app::ItemFileCommands(list, temporary.folder(), messages).exportItems();
    EXPECT_EQ(temporary.folder().readFile(kItemFileName), items::FormatItemFile(list).bytes);
    items::ItemList restored;
    app::ItemFileCommands(restored, temporary.folder(), messages).importItems();
    ASSERT_EQ(restored.rowCount(), 3);
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; column < items::kColumnCount; ++column) {
            EXPECT_EQ(restored.cellText(row, column), list.cellText(row, column));
        }
    }
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
}  // namespace pagorin::adapters
