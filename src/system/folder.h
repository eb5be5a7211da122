// The folder beside the program where the item file lives, reached by file name.
// Windows and POSIX implementations sit behind it; tests can use a fake.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pagorin::system {

// How a replacement ended.
enum class ReplaceResult {
    kReplaced,
    kFailed,
    // The folder itself refuses new files (access denied, a read-only volume): a
    // program kept in Program Files, say.
    kFolderNotWritable,
};

class Folder {
  public:
    virtual ~Folder() = default;

    // The whole file as bytes; nothing when it is missing or cannot be read.
    virtual std::optional<std::string> readFile(std::string_view gbkName) const = 0;

    // Replaces the file's content in one step: the new bytes go to a temporary file in
    // the same folder, are flushed, and then take the old file's place; a program that
    // holds the file for a moment (a virus scanner, the search indexer) is waited for
    // about half a second. On failure the old file is left exactly as it was and no
    // temporary file stays. Temporary files an interrupted replacement left behind
    // (older than a minute) are removed first.
    virtual ReplaceResult replaceFile(std::string_view gbkName, std::string_view bytes) = 0;

    // The file's full path as GBK text, for messages (characters GBK lacks become '?').
    virtual std::string pathOf(std::string_view gbkName) const = 0;
};

}  // namespace pagorin::system
