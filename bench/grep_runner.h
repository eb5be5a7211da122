// The reference the figures are compared with: GNU grep over the same page and
// keywords, each keyword a fixed string, letters in either case, bytes as bytes.
#pragma once

#include <filesystem>
#include <string_view>

#include "monitor/keyword_match.h"

namespace pagorin::bench {

// A fresh directory under the system's temporary directory, removed with everything
// in it when this goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes `bytes` to a file of that name in the directory; returns its path.
    std::filesystem::path write(std::string_view name, std::string_view bytes) const;

    // One keyword a line, raw bytes, as grep -f reads them.
    std::filesystem::path writePatterns(std::string_view name,
                                        const monitor::KeywordList& keywords) const;

  private:
    std::filesystem::path path_;
};

// Runs `LC_ALL=C grep -F -i -c -f patterns page` once, to its exit. Throws unless grep
// ran and counted no matching line, as the keywords are absent, or, with `mayMatch`,
// unless it ran.
void RunGrep(const std::filesystem::path& patterns, const std::filesystem::path& page,
             bool mayMatch = false);

}  // namespace pagorin::bench
