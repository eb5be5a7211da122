// Reading whole files and replacing them in one step with MoveFileExW.
#include "adapters/win32/folder.h"

#include <windows.h>

#include <atomic>
#include <new>

#include "win32/code_page.h"
#include "win32/unique_resource.h"

namespace pagorin::adapters {
namespace {

constexpr DWORD kChunk = 1u << 20;

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() < kChunk ? static_cast<DWORD>(bytes.size()) : kChunk;
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// A name no other writer uses at the same moment, in the target's own folder so the
// final move is a rename on one volume.
std::wstring temporaryPathFor(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    return target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
           std::to_wstring(counter.fetch_add(1)) + L".tmp";
}

// Temporary files of `target` that an export cut short (a power loss) left behind. One
// written in the last minute may be another copy's export under way, and stays.
void removeStaleTemporaries(const std::wstring& target) {
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
    WIN32_FIND_DATAW found;
    const win32::UniqueFind search(FindFirstFileW((target + L".*.tmp").c_str(), &found));
    if (!search) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    constexpr ULONGLONG kMinute = 60ULL * 10000000ULL;  // in 100 ns
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            ticks(now) > ticks(found.ftLastWriteTime) + kMinute) {
            DeleteFileW((folder + found.cFileName).c_str());
        }
    } while (FindNextFileW(search.get(), &found));
}

bool heldByAnotherProgram(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

}  // namespace

std::wstring Win32Folder::programDirectory() {
    std::wstring path(260, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: the path is longer than the buffer
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring Win32Folder::widePath(std::string_view gbkName) const {
    return directory_ + L"\\" + win32::ToWide(gbkName);
}

std::string Win32Folder::pathOf(std::string_view gbkName) const {
    return win32::FromWide(widePath(gbkName));
}

std::optional<std::string> Win32Folder::readFile(std::string_view gbkName) const {
    win32::UniqueFile file(CreateFileW(widePath(gbkName).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
        bytes.reserve(static_cast<size_t>(size.QuadPart));
    }
    std::string chunk(kChunk, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), kChunk, &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        bytes.append(chunk, 0, read);
    }
    return bytes;
}

system::ReplaceResult Win32Folder::replaceFile(std::string_view gbkName, std::string_view bytes) {
    const std::wstring target = widePath(gbkName);
    // A read-only item file is the user's wish that it stay as it is.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return system::ReplaceResult::kFailed;
    }
    removeStaleTemporaries(target);
    const std::wstring temporary = temporaryPathFor(target);
    {
        win32::UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = GetLastError();
            return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT
                       ? system::ReplaceResult::kFolderNotWritable
                       : system::ReplaceResult::kFailed;
        }
        if (!writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return system::ReplaceResult::kFailed;
        }
    }
    // A scanner or indexer opens a new file for a moment: a few tries over about half
    // a second before the export is called failed.
    constexpr int kTries = 6;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return system::ReplaceResult::kReplaced;
        }
        if (attempt == kTries || !heldByAnotherProgram(GetLastError())) break;
        Sleep(100);
    }
    DeleteFileW(temporary.c_str());
    return system::ReplaceResult::kFailed;
}

}  // namespace pagorin::adapters
