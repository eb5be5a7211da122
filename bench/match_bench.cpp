// How fast the keyword search goes over a large page in its worst case (every keyword
// absent), against memchr (the memory's own speed) and GNU grep on the same work, and
// whether the time grows in step with the page. With every keyword absent the modes
// "all" and "same line" stop at the first search that misses, so the rows marked "*"
// give them their own worst case: every keyword present but the last for "all"; the
// last keyword, a common character, on most lines and the others absent for "same
// line". A measurement: it prints a table and exits 0 unless something is broken, such
// as a find where a keyword is absent.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "grep_runner.h"
#include "keyword_sets.h"
#include "monitor/keyword_match.h"
#include "page_generator.h"
#include "text/fixed_texts.h"
#include "text/gbk_text.h"
#include "timing.h"
#include "vocabulary.h"

namespace pagorin::bench {
namespace {

constexpr size_t kMiB = 1024 * 1024;
constexpr size_t kLargePage = 64 * kMiB;
constexpr size_t kSmallPage = 32 * kMiB;
constexpr uint64_t kPageSeed = 0x50616765ULL;
constexpr uint64_t kKeywordSeed = 0x4B657973ULL;
constexpr size_t kSetSizes[] = {1, 10, 100, 1000, 10000};
constexpr size_t kWorstSetSizes[] = {100, 1000};
constexpr char kAbsentByte = '#';  // never in the page, so memchr reads all of it
constexpr double kLinearTarget = 2.0;
constexpr double kLinearTolerance = 0.15;

struct KeywordSet {
    monitor::KeywordList keywords;
    std::string text;  // joined with "|", as an entry holds them
    std::filesystem::path patterns;
    std::string_view worstFor;  // the mode whose worst case the set is, if it is one
};

// One measured line of the table. `work` returns how many finds it made, which must be
// none; `set` is the keyword set grep is given for comparison, if any.
struct Row {
    std::string name;
    const KeywordSet* set;
    std::function<size_t(std::string_view page)> work;
    double largeSeconds = 0;
    double linearity = 0;  // time on the large page over time on the small one
};

double megabytesPerSecond(size_t bytes, double seconds) {
    return static_cast<double>(bytes) / 1e6 / seconds;
}

// Times `row` on both pages, in turn, after an untimed first run on each that proves
// the work right (no finds) before its time counts.
void measure(Row& row, std::string_view largePage, std::string_view smallPage) {
    for (std::string_view page : {largePage, smallPage}) {
        if (size_t finds = row.work(page); finds != 0) {
            throw std::runtime_error(row.name + " found " + std::to_string(finds) +
                                     " absent keyword(s)");
        }
    }
    volatile size_t sink = 0;
    auto [largeSeconds, smallSeconds] = BestSecondsInTurn(
        [&] { sink = sink + row.work(largePage); }, [&] { sink = sink + row.work(smallPage); });
    row.largeSeconds = largeSeconds;
    row.linearity = largeSeconds / smallSeconds;
    if (sink != 0) throw std::runtime_error(row.name + " found an absent keyword");
}

std::vector<Row> makeRows(const std::vector<KeywordSet>& sets) {
    std::vector<Row> rows;
    const KeywordSet& single = sets.front();
    rows.push_back({"FindText 1 kw", &single, [&single](std::string_view page) -> size_t {
                        return text::FindText(page, single.keywords.front()) == -1 ? 0 : 1;
                    }});
    const std::pair<const char*, std::string_view> modes[] = {
        {"any", text::kModeAny}, {"all", text::kModeAll}, {"same-line", text::kModeSameLine}};
    for (const auto& [modeName, mode] : modes) {
        for (const KeywordSet& set : sets) {
            if (!set.worstFor.empty() && set.worstFor != mode) continue;
            std::string name = std::string(modeName) + (set.worstFor.empty() ? " " : "* ") +
                               std::to_string(set.keywords.size()) + " kw";
            rows.push_back(
                {name, &set, [&set, mode = mode](std::string_view page) {
                     return monitor::MatchPage(page, set.keywords, set.text, mode).size();
                 }});
        }
    }
    rows.push_back({"memchr", nullptr, [](std::string_view page) -> size_t {
                        return std::memchr(page.data(), kAbsentByte, page.size()) == nullptr ? 0
                                                                                             : 1;
                    }});
    return rows;
}

void describe(std::string_view page, const std::vector<KeywordSet>& sets) {
    size_t lines = 0;
    size_t highBytes = 0;
    for (size_t i = 0; i < page.size(); ++i) {
        auto byte = static_cast<unsigned char>(page[i]);
        if (byte >= 0x80) ++highBytes;
        if (byte == '\n') ++lines;
    }
    std::printf(
        "page: %zu MiB and %zu MiB, %zu lines in the larger, %.0f%% of bytes in "
        "double-byte characters\n",
        kLargePage / kMiB, kSmallPage / kMiB, lines,
        100.0 * static_cast<double>(highBytes) / static_cast<double>(page.size()));
    // A sample is enough to show how often the search has to stop and look closer; a
    // smaller one for the larger sets, whose count takes a pass per keyword.
    std::printf("keywords all absent; first/last-byte candidates per MiB, per keyword:");
    for (const KeywordSet& set : sets) {
        if (!set.worstFor.empty()) continue;
        const size_t sampleSize = 4 * kMiB / std::max<size_t>(1, set.keywords.size() / 100);
        std::printf(" %zu kw %.0f;", set.keywords.size(),
                    CandidatesPerMiB(page.substr(0, sampleSize), set.keywords));
    }
    std::printf("\n");
}

// A keyword as any terminal shows it: GBK bytes (0x80 and above) in hex.
std::string printable(std::string_view keyword) {
    std::string shown;
    for (char byte : keyword) {
        auto value = static_cast<unsigned char>(byte);
        if (value < 0x80) {
            shown += byte;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", value);
            shown += hex;
        }
    }
    return shown;
}

void printTable(const std::vector<Row>& rows, const std::vector<double>& grepSeconds,
                const std::vector<KeywordSet>& sets) {
    const Row& memchrRow = rows.back();
    std::printf("\n%-18s %9s %9s %10s %10s %12s %7s%s\n", "row", "MB/s", "ms", "grep MB/s",
                "ours/grep", "ours/memchr", "64/32", " flags");
    int flagged = 0;
    for (const Row& row : rows) {
        double speed = megabytesPerSecond(kLargePage, row.largeSeconds);
        std::string flags;  // each with a leading space
        std::printf("%-18s %9.0f %9.1f ", row.name.c_str(), speed, row.largeSeconds * 1e3);
        if (row.set != nullptr) {
            size_t index = static_cast<size_t>(row.set - sets.data());
            double grepSpeed = megabytesPerSecond(kLargePage, grepSeconds[index]);
            double versusGrep = speed / grepSpeed;
            if (versusGrep < 1) flags += " SLOWER-THAN-GREP";
            std::printf("%10.0f %10.2f ", grepSpeed, versusGrep);
        } else {
            std::printf("%10s %10s ", "-", "-");
        }
        if (std::fabs(row.linearity - kLinearTarget) > kLinearTolerance * kLinearTarget) {
            flags += " NONLINEAR";
        }
        std::printf("%12.3f %7.2f%s\n", memchrRow.largeSeconds / row.largeSeconds, row.linearity,
                    flags.c_str());
        if (!flags.empty()) ++flagged;
    }
    std::printf(
        "\nMB/s: 10^6 page bytes per second on the %zu MiB page, the fastest of at least %d runs"
        " and %.0f s.\nours/grep, ours/memchr: speed ratios, above 1 is faster. 64/32: time on"
        " %zu MiB over time on %zu MiB,\nboth the fastest, taken in turn; target %.1f"
        " +/- %.0f%%.\ngrep: LC_ALL=C grep -F -i -c -f <keywords> <page>, same page and"
        " keywords.\nall, same-line: end at the first keyword found missing. all*: every keyword"
        " present but the last;\nsame-line*: the last on most lines, the others absent.\n",
        kLargePage / kMiB, kMinRuns, kMinTotalSeconds, kLargePage / kMiB, kSmallPage / kMiB,
        kLinearTarget, kLinearTolerance * 100);
    std::printf("rows flagged: %d\n", flagged);
}

int run() {
    std::fprintf(stderr, "generating pages and keywords...\n");
    std::string largePage = MakePage(kLargePage, kPageSeed);
    std::string smallPage = MakePage(kSmallPage, kPageSeed);
    TempDir directory;
    std::filesystem::path largeFile = directory.write("page64.txt", largePage);

    std::vector<KeywordSet> sets;
    auto addSet = [&](monitor::KeywordList keywords, std::string_view worstFor) {
        KeywordSet set;
        set.keywords = std::move(keywords);
        set.text = JoinKeywords(set.keywords);
        set.worstFor = worstFor;
        // The program always reads an entry's keywords back through SplitKeywords.
        if (monitor::SplitKeywords(set.text) != set.keywords) {
            throw std::runtime_error("a keyword set does not split back into its keywords");
        }
        set.patterns = directory.writePatterns("keywords" + std::to_string(sets.size()) + ".txt",
                                               set.keywords);
        sets.push_back(std::move(set));
    };
    for (size_t size : kSetSizes) addSet(MakeKeywords(size, kKeywordSeed), {});
    for (size_t size : kWorstSetSizes) {
        // Cut from the smaller page, which the larger one begins with, so both hold them.
        monitor::KeywordList present = PresentKeywords(smallPage, size - 1, kKeywordSeed);
        present.push_back(MakeKeywords(1, kKeywordSeed).front());
        addSet(std::move(present), text::kModeAll);
        monitor::KeywordList onLines = MakeKeywords(size - 1, kKeywordSeed);
        onLines.push_back(TheVocabulary().hanzi.front());
        addSet(std::move(onLines), text::kModeSameLine);
    }

    describe(largePage, sets);
    std::printf(
        "the 1 keyword: %s; five of the 10: %s\n", printable(sets[0].keywords[0]).c_str(),
        printable(JoinKeywords({sets[1].keywords.begin(), sets[1].keywords.begin() + 5})).c_str());

    std::vector<double> grepSeconds;
    for (const KeywordSet& set : sets) {
        std::fprintf(stderr, "timing grep with %zu keyword(s)...\n", set.keywords.size());
        grepSeconds.push_back(
            BestSeconds([&] { RunGrep(set.patterns, largeFile, !set.worstFor.empty()); }));
    }

    std::vector<Row> rows = makeRows(sets);
    for (Row& row : rows) {
        std::fprintf(stderr, "timing %s...\n", row.name.c_str());
        measure(row, largePage, smallPage);
    }
    printTable(rows, grepSeconds, sets);
    return 0;
}

}  // namespace
}  // namespace pagorin::bench

int main() {
    try {
        return pagorin::bench::run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "match_bench: %s\n", error.what());
        return 1;
    }
}
