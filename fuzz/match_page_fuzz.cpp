// Fuzzes keyword matching in its three modes and with a mode text of no meaning. The
// same-line mode searches the whole page and cuts out only the lines where the last
// keyword turns up, so it is compared here with the plain rule: every line, every keyword.
// Longer lists are searched all at once by an automaton, so every mode is also compared
// with one text::FindText per keyword (per line for the same-line mode), and the
// automaton alone with its dense rows cut down to a few, or to the root's only, and
// with short pages read in several parts side by side, and with found keywords' states
// unmarked after a single stop.
//
// Input: a length byte for the keyword text, a length byte for the extra mode text, the
// keyword text ("|"-separated), the mode text, then the page.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "monitor/keyword_match.h"
#include "monitor/keyword_set.h"
#include "text/fixed_texts.h"
#include "text/gbk_text.h"

namespace {

using namespace pagorin;
using namespace pagorin::fuzz;
using monitor::FindList;
using monitor::FoundTarget;

FindList expectedAny(std::string_view page, const monitor::KeywordList& keywords) {
    FindList finds;
    for (const std::string& keyword : keywords) {
        if (refFindText(page, keyword) != -1)
            finds.push_back({keyword, std::string(text::kTagAny)});
    }
    return finds;
}

bool holdsAll(std::string_view text, const monitor::KeywordList& keywords) {
    for (const std::string& keyword : keywords) {
        if (refFindText(text, keyword) == -1) return false;
    }
    return true;
}

size_t linesHoldingAll(std::string_view page, const monitor::KeywordList& keywords) {
    size_t count = 0;
    for (const std::string& line : refSplit(page, text::kLineBreak)) {
        if (holdsAll(line, keywords)) ++count;
    }
    return count;
}

// The finds as one search per keyword gives them: the matching before the automaton.
FindList perKeyword(std::string_view page, const monitor::KeywordList& keywords,
                    std::string_view keywordText, std::string_view mode) {
    auto holds = [&keywords](std::string_view text) {
        for (const std::string& keyword : keywords) {
            if (text::FindText(text, keyword) == -1) return false;
        }
        return true;
    };
    FindList finds;
    if (mode == text::kModeAny) {
        for (const std::string& keyword : keywords) {
            if (text::FindText(page, keyword) != -1) {
                finds.push_back({keyword, std::string(text::kTagAny)});
            }
        }
    } else if (mode == text::kModeAll) {
        if (holds(page)) finds.push_back({std::string(keywordText), std::string(text::kTagAll)});
    } else if (mode == text::kModeSameLine && !keywords.empty()) {
        for (const std::string& line : text::SplitText(page, text::kLineBreak)) {
            if (holds(line)) {
                finds.push_back({std::string(keywordText), std::string(text::kTagSameLine)});
            }
        }
    }
    return finds;
}

// The automaton alone, on the page and on each of its lines, against FindText.
void checkSet(std::string_view page, const monitor::KeywordList& keywords, size_t denseBytes,
              size_t splitBytes, size_t staleReports = monitor::KeywordSet::kStaleReports) {
    monitor::KeywordSet set(keywords, denseBytes, splitBytes, staleReports);
    auto check = [&](std::string_view text) {
        bool all = true;
        const bool allFound = set.search(text);
        for (size_t k = 0; k < keywords.size(); ++k) {
            const bool expected = text::FindText(text, keywords[k]) != -1;
            all = all && expected;
            FUZZ_CHECK(set.found(k) == expected);
        }
        FUZZ_CHECK(allFound == all);
    };
    check(page);
    for (const std::string& line : text::SplitText(page, text::kLineBreak)) check(line);
}

void checkModes(std::string_view page, const monitor::KeywordList& keywords,
                std::string_view keywordText, std::string_view otherMode) {
    for (std::string_view mode : {text::kModeAny, text::kModeAll, text::kModeSameLine}) {
        FUZZ_CHECK(monitor::MatchPage(page, keywords, keywordText, mode) ==
                   perKeyword(page, keywords, keywordText, mode));
    }
    FUZZ_CHECK(monitor::MatchPage(page, keywords, keywordText, text::kModeAny) ==
               expectedAny(page, keywords));

    const FindList all = monitor::MatchPage(page, keywords, keywordText, text::kModeAll);
    FUZZ_CHECK(all.size() == (holdsAll(page, keywords) ? 1u : 0u));
    for (const FoundTarget& find : all) {
        FUZZ_CHECK(find == FoundTarget({std::string(keywordText), std::string(text::kTagAll)}));
    }

    const FindList sameLine = monitor::MatchPage(page, keywords, keywordText, text::kModeSameLine);
    FUZZ_CHECK(sameLine.size() == (keywords.empty() ? 0 : linesHoldingAll(page, keywords)));
    for (const FoundTarget& find : sameLine) {
        FUZZ_CHECK(find ==
                   FoundTarget({std::string(keywordText), std::string(text::kTagSameLine)}));
    }

    if (otherMode != text::kModeAny && otherMode != text::kModeAll &&
        otherMode != text::kModeSameLine) {
        FUZZ_CHECK(monitor::MatchPage(page, keywords, keywordText, otherMode).empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string_view> texts = SplitInput(data, size, 3);
    const std::string_view keywordText = texts[0];
    const std::string_view otherMode = texts[1];
    const std::string_view page = texts[2];

    const monitor::KeywordList keywords = monitor::SplitKeywords(keywordText);
    FUZZ_CHECK(keywords == refSplit(keywordText, text::kKeywordSeparator));
    checkModes(page, keywords, keywordText, otherMode);
    // As MatchPage builds it, then with every page read in parts (otherwise only pages
    // of 64 KiB or more are; two or more parts as the page is long beside the longest
    // keyword) and with fewer dense rows.
    checkSet(page, keywords, monitor::KeywordSet::kDenseTableBytes,
             monitor::KeywordSet::kSplitBytes);
    for (size_t denseBytes : {monitor::KeywordSet::kDenseTableBytes, size_t{1024}, size_t{0}}) {
        checkSet(page, keywords, denseBytes, 0);
    }
    // The marks of found keywords' states dropped at the first stop there, and put back
    // for the next text.
    checkSet(page, keywords, size_t{1024}, 0, 1);

    // The same keywords with the last one left out moves the page-wide search of the
    // same-line mode to another keyword, and the empty list has rules of its own.
    if (!keywords.empty()) {
        monitor::KeywordList shorter(keywords.begin(), keywords.end() - 1);
        checkModes(page, shorter, keywordText, otherMode);
    }
    return 0;
}
