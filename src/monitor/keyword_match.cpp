// The three keyword modes over one page text.
#include "monitor/keyword_match.h"

#include "text/fixed_texts.h"

namespace pagorin::monitor {
namespace {

bool found(std::string_view text, std::string_view keyword) {
    return text::FindText(text, keyword) != -1;
}

// Every keyword, first to last, stopping at the first missing one.
bool allFound(std::string_view text, const KeywordList& keywords) {
    for (const Text& keyword : keywords) {
        if (!found(text, keyword)) return false;
    }
    return true;
}

}  // namespace

KeywordList SplitKeywords(std::string_view keywordText) {
    return text::SplitText(keywordText, text::kKeywordSeparator);
}

std::vector<FoundTarget> MatchPage(std::string_view page, const KeywordList& keywords,
                                   std::string_view keywordText, std::string_view mode) {
    std::vector<FoundTarget> finds;
    if (mode == text::kModeAny) {
        for (const Text& keyword : keywords) {
            if (found(page, keyword)) finds.push_back({keyword, Text(text::kTagAny)});
        }
    } else if (mode == text::kModeAll) {
        // With no keywords none is missing, so an empty list gives one find.
        if (allFound(page, keywords)) finds.push_back({Text(keywordText), Text(text::kTagAll)});
    } else if (mode == text::kModeSameLine) {
        // With no keywords there is nothing to look for on a line, and a find that
        // names no keyword would only be a false alarm: no find.
        if (keywords.empty()) return finds;
        const Text& last = keywords.back();
        text::ForEachPiece(page, text::kLineBreak, [&](std::string_view line) {
            // The last keyword first: most lines lack it and are passed over at once.
            if (found(line, last) && allFound(line, keywords)) {
                finds.push_back({Text(keywordText), Text(text::kTagSameLine)});
            }
            return true;
        });
    }
    return finds;
}

}  // namespace pagorin::monitor
