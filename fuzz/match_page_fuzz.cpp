// Fuzzes keyword matching in its three modes and with a mode text of no meaning. The
// same-line mode searches the whole page and cuts out only the lines where the last
// keyword turns up, so it is compared here with the plain rule: every line, every keyword.
//
// Input: a length byte for the keyword text, a length byte for the extra mode text, the
// keyword text ("|"-separated), the mode text, then the page.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "monitor/keyword_match.h"
#include "text/fixed_texts.h"

namespace {

using namespace pagorin;
using namespace pagorin::fuzz;
using monitor::FoundTarget;

std::vector<FoundTarget> expectedAny(std::string_view page, const monitor::KeywordList& keywords) {
    std::vector<FoundTarget> finds;
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

void checkModes(std::string_view page, const monitor::KeywordList& keywords,
                std::string_view keywordText, std::string_view otherMode) {
    FUZZ_CHECK(monitor::MatchPage(page, keywords, keywordText, text::kModeAny) ==
               expectedAny(page, keywords));

    const std::vector<FoundTarget> all =
        monitor::MatchPage(page, keywords, keywordText, text::kModeAll);
    FUZZ_CHECK(all.size() == (holdsAll(page, keywords) ? 1u : 0u));
    for (const FoundTarget& find : all) {
        FUZZ_CHECK(find == FoundTarget({std::string(keywordText), std::string(text::kTagAll)}));
    }

    const std::vector<FoundTarget> sameLine =
        monitor::MatchPage(page, keywords, keywordText, text::kModeSameLine);
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

    // The same keywords with the last one left out moves the page-wide search of the
    // same-line mode to another keyword, and the empty list has rules of its own.
    if (!keywords.empty()) {
        monitor::KeywordList shorter(keywords.begin(), keywords.end() - 1);
        checkModes(page, shorter, keywordText, otherMode);
    }
    return 0;
}
