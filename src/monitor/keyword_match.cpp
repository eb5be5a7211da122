// The three keyword modes over one page text.
#include "monitor/keyword_match.h"

#include <algorithm>
#include <optional>

#include "monitor/keyword_set.h"
#include "text/character_boundaries.h"
#include "text/fixed_texts.h"

namespace pagorin::monitor {
namespace {

// Up to this many keywords, one vectorised search per keyword outruns one pass of the
// automaton, which also has to be built first.
constexpr size_t kFewKeywords = 16;
constexpr size_t kTriedAlone = 4;  // of a longer list, in the mode "与"

bool worthASet(const KeywordList& keywords) {
    if (keywords.size() <= kFewKeywords) return false;
    size_t total = 0;
    for (const Text& keyword : keywords) total += keyword.size();
    return total <= KeywordSet::kMaxTotalBytes;
}

// Whether every keyword is in the page. With many keywords the first few are still
// tried alone: a missing one settles it at the speed of the single search, as it does
// in most cycles; the rest are then looked for together.
bool allFound(std::string_view page, const KeywordList& keywords) {
    const bool together = worthASet(keywords);
    const size_t alone = together ? kTriedAlone : keywords.size();
    for (size_t k = 0; k < alone; ++k) {
        if (!text::ContainsText(page, keywords[k])) return false;
    }
    return !together || KeywordSet(keywords).search(page);
}

// Walks the page's lines (cut at CR LF where a character begins) forward, once.
class LineCursor {
  public:
    explicit LineCursor(std::string_view page)
        : page_(page), boundaries_(reinterpret_cast<const unsigned char*>(page.data())) {}

    // The line that holds `pos`, or the one before the line break `pos` falls on.
    // Positions must not go backwards.
    std::string_view lineAround(size_t pos) {
        for (;;) {
            const size_t end = nextBreak(start_);
            if (end == std::string_view::npos) {
                next_ = page_.size();
                return page_.substr(start_);
            }
            if (end + text::kLineBreak.size() <= pos) {
                start_ = end + text::kLineBreak.size();
                continue;
            }
            next_ = end + text::kLineBreak.size();
            return page_.substr(start_, end - start_);
        }
    }

    // Where the line after the one last returned begins (the page's size at the end).
    size_t nextLineStart() {
        start_ = next_;
        return next_;
    }

  private:
    // The first line break at or after `from` where a character begins; asked with
    // increasing `from`, so the page is scanned once.
    size_t nextBreak(size_t from) {
        for (;;) {
            const size_t at = page_.find(text::kLineBreak, from);
            if (at == std::string_view::npos || boundaries_.begins(at)) return at;
            from = at + 1;
        }
    }

    std::string_view page_;
    text::CharacterBoundaries boundaries_;
    size_t start_ = 0;
    size_t next_ = 0;
};

}  // namespace

FindList::FindList(std::initializer_list<FoundTarget> finds) {
    for (const FoundTarget& find : finds) push_back(find);
}

void FindList::push_back(FoundTarget find, size_t times) {
    if (times == 0) return;
    size_ += times;
    if (!runs_.empty() && runs_.back().find == find) {
        runs_.back().times += times;
        return;
    }
    runs_.push_back({std::move(find), times});
}

KeywordList SplitKeywords(std::string_view keywordText) {
    return text::SplitText(keywordText, text::kKeywordSeparator);
}

FindList MatchPage(std::string_view page, const KeywordList& keywords, std::string_view keywordText,
                   std::string_view mode) {
    FindList finds;
    if (mode == text::kModeAny) {
        if (worthASet(keywords)) {
            KeywordSet set(keywords);
            set.search(page);
            for (size_t k = 0; k < keywords.size(); ++k) {
                if (set.found(k)) finds.push_back({keywords[k], Text(text::kTagAny)});
            }
            return finds;
        }
        for (const Text& keyword : keywords) {
            if (text::ContainsText(page, keyword)) finds.push_back({keyword, Text(text::kTagAny)});
        }
    } else if (mode == text::kModeAll) {
        // With no keywords none is missing, so an empty list gives one find.
        if (allFound(page, keywords)) finds.push_back({Text(keywordText), Text(text::kTagAll)});
    } else if (mode == text::kModeSameLine) {
        // With no keywords there is nothing to look for on a line, and a find that
        // names no keyword would only be a false alarm: no find.
        if (keywords.empty()) return finds;
        LineCursor lines(page);
        const Text& last = keywords.back();
        // The last keyword is looked for across the page, not line by line: only the
        // lines where it turns up are cut out and tested, the others are passed over
        // at the speed of the search. A line before the first occurrence cannot hold it.
        // A line that holds it is searched for all the keywords at once, with an
        // automaton built at the first such line.
        std::optional<KeywordSet> set;
        const bool useSet = worthASet(keywords);
        auto holdsAll = [&](std::string_view line) {
            if (!useSet) return allFound(line, keywords);
            if (!set) set.emplace(keywords);
            return set->search(line);
        };
        // Every matching line gives the same find, so only their number is kept.
        size_t matchingLines = 0;
        size_t pos = 0;
        while (pos < page.size()) {
            const int64_t at = text::FindText(page.substr(pos), last);
            if (at < 0) break;
            const std::string_view line = lines.lineAround(pos + static_cast<size_t>(at - 1));
            if (text::ContainsText(line, last) && holdsAll(line)) ++matchingLines;
            pos = lines.nextLineStart();
        }
        finds.push_back({Text(keywordText), Text(text::kTagSameLine)}, matchingLines);
    }
    return finds;
}

}  // namespace pagorin::monitor
