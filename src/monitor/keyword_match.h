// Keyword matching: which finds a page gives for an entry's keywords and mode.
#pragma once

#include <string_view>
#include <vector>

#include "text/gbk_text.h"

namespace pagorin::monitor {

using text::Text;

// The keywords of a keyword text, split at "|", taken as they stand (maybe empty).
using KeywordList = text::TextList;

struct FoundTarget {
    Text targetText;  // "或": the keyword found; "与", "同一行": the whole keyword text
    Text modeTag;     // "[或]", "[与]" or "[同一行]"

    bool operator==(const FoundTarget&) const = default;
};

KeywordList SplitKeywords(std::string_view keywordText);

// The finds of `page` in order; a mode other than "或", "与", "同一行" gives none.
std::vector<FoundTarget> MatchPage(std::string_view page, const KeywordList& keywords,
                                   std::string_view keywordText, std::string_view mode);

}  // namespace pagorin::monitor
