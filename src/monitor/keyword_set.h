// Many keywords looked for in one pass over a text, with the rules of text::FindText:
// ASCII letters fold, a match begins only where a character begins, and nothing begins
// at a lone lead byte that ends the text. A worker with thousands of keywords would
// otherwise read the page once per keyword.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text/gbk_text.h"

namespace pagorin::monitor {

// An Aho-Corasick automaton over the keywords' folded bytes. Bytes are mapped to classes
// (only the bytes the keywords hold get one of their own), and the states nearest the
// root, which the search visits most, get a dense row of next states each. Deeper
// states keep only their own edges and fall back along their failure links, so the
// table stays within `denseTableBytes` however many long keywords there are.
// A set belongs to one search at a time: it keeps the last search's results.
class KeywordSet {
  public:
    static constexpr size_t kDenseTableBytes = size_t{64} << 20;
    // At most this many keyword bytes in all, so state numbers fit in 30 bits.
    static constexpr size_t kMaxTotalBytes = size_t{1} << 28;
    // Texts shorter than `splitBytes` are read in one walk, longer ones in several parts.
    static constexpr size_t kSplitBytes = size_t{64} << 10;

    // How many stops at found keywords' states are borne before the dense rows are
    // marked afresh; 0 for an eighth of the rows' codes, so the marking costs no more
    // than the stops it saves.
    static constexpr size_t kStaleReports = 0;

    explicit KeywordSet(const text::TextList& keywords, size_t denseTableBytes = kDenseTableBytes,
                        size_t splitBytes = kSplitBytes, size_t staleReports = kStaleReports);

    // Searches `text` as a text of its own. Stops as soon as every keyword is found;
    // returns whether every keyword was (true for an empty list).
    bool search(std::string_view text);

    // Whether keyword `index` of the list was found by the last search.
    bool found(size_t index) const;

    // How many states have a dense row; the rest are sparse.
    size_t denseStates() const { return denseStates_; }
    size_t states() const { return fail_.size(); }

  private:
    static constexpr uint32_t kNone = UINT32_MAX;
    // A next-state code is a dense state's row offset, or kSparse with the state number;
    // kOutput marks a state where some keyword ends.
    static constexpr uint32_t kOutput = uint32_t{1} << 31;
    static constexpr uint32_t kSparse = uint32_t{1} << 30;
    static constexpr uint32_t kStateBits = kSparse - 1;

    void buildTrie(const std::vector<text::Text>& patterns);
    void buildLinks();
    void buildDenseRows();
    void markOutputs(bool onlyUnfound);
    uint32_t childOf(uint32_t state, uint8_t byteClass) const;
    uint32_t codeOf(uint32_t state) const;
    uint32_t stateOf(uint32_t code) const;
    uint32_t sparseStep(uint32_t state, uint8_t byteClass) const;
    // A long text is read as several walks side by side; each keeps, for the matches it
    // reports, whether its last positions began a character. Those flags are worked out
    // only when a match needs them, from `filled` up to the match's end.
    static constexpr size_t kMaxWalks = 8;
    struct Walk {
        size_t filled;    // flags are known for the positions before this one
        uint8_t second;   // 1 when the byte at `filled` is the second of a pair
        uint8_t* inside;  // per position, ring-wise: 1 when it began no character
    };
    template <bool kAllDense, size_t kWalks>
    void run(const unsigned char* text, size_t size);
    void markCharacters(Walk& walk, const unsigned char* text, size_t to) const;
    bool report(uint32_t code, size_t end, Walk& walk, const unsigned char* text, size_t size);

    std::array<uint8_t, 256> classOf_{};
    uint32_t classes_ = 1;  // class 0: bytes no keyword holds
    uint32_t denseStates_ = 0;
    std::vector<uint32_t> dense_;       // denseStates_ rows of classes_ codes
    uint64_t rowReciprocal_ = 0;        // a dense code times this, >> 40, is its state
    std::vector<uint32_t> childBegin_;  // children of s: childBegin_[s] .. childBegin_[s + 1]
    std::vector<uint8_t> label_;        // the class of the edge into each state
    std::vector<uint32_t> fail_;
    std::vector<uint32_t> patternAt_;  // the keyword ending at each state, or kNone
    std::vector<uint32_t> dictLink_;   // the nearest state down the failure chain with one
    std::vector<uint32_t> patternLength_;
    std::vector<uint32_t> keywordPattern_;  // per listed keyword; kNone for an empty one
    bool hasEmptyKeyword_ = false;

    // The last search.
    std::vector<uint32_t> foundStamp_;  // == generation_ when found
    uint32_t generation_ = 0;
    size_t remaining_ = 0;
    // Once its keywords are found, a state still marked as an output only costs time:
    // after enough such stops the dense rows are marked afresh with what is left to
    // find, and marked in full again before the next search.
    size_t staleReports_ = 0;
    size_t staleLimit_ = 0;
    bool outputsNarrowed_ = false;
    std::vector<uint8_t> live_;
    bool textNonEmpty_ = false;
    // Whether each of the last positions began no character, per walk; the start of a
    // match is never further back than the longest keyword.
    std::vector<uint8_t> inside_;
    std::array<Walk, kMaxWalks> walks_{};
    size_t insideMask_ = 0;
    size_t longest_ = 1;
    size_t splitBytes_;
};

}  // namespace pagorin::monitor
