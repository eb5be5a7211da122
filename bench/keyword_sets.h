// Keyword sets the page surely lacks, yet whose first and last bytes it is full of:
// the worst case, where every keyword is searched over the whole page and the search
// keeps stopping at candidates that fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "monitor/keyword_match.h"

namespace pagorin::bench {

// `count` different keywords of 2 to 8 characters: Chinese, ASCII and mixed, each
// holding one piece the page never contains (and never as its first character).
monitor::KeywordList MakeKeywords(size_t count, uint64_t seed);

// `count` different keywords of 1 to 8 characters cut from `page` where characters
// begin, so each is surely in it; none holds "|", CR or LF.
monitor::KeywordList PresentKeywords(std::string_view page, size_t count, uint64_t seed);

// The keyword text an entry would hold: the keywords joined with "|".
std::string JoinKeywords(const monitor::KeywordList& keywords);

// Per MiB of page, averaged over the keywords: the positions whose byte matches the
// keyword's first byte and whose byte a keyword length further matches its last byte,
// letters in either case. Shows how hard the set is; looks at `page` as given.
double CandidatesPerMiB(std::string_view page, const monitor::KeywordList& keywords);

}  // namespace pagorin::bench
