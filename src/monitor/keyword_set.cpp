// The keyword automaton: built level by level from the sorted keywords, so states are
// numbered breadth first and each state's children are numbered together.
#include "monitor/keyword_set.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

#include "text/character_boundaries.h"

namespace pagorin::monitor {

KeywordSet::KeywordSet(const text::TextList& keywords, size_t denseTableBytes, size_t splitBytes,
                       size_t staleReports)
    : staleLimit_(staleReports), splitBytes_(splitBytes) {
    // Equal keywords after folding share one pattern; the list keeps its own order.
    std::vector<text::Text> folded(keywords.size());
    std::vector<uint32_t> order;
    for (size_t k = 0; k < keywords.size(); ++k) {
        for (char byte : keywords[k]) {
            folded[k].push_back(
                static_cast<char>(text::foldAscii(static_cast<unsigned char>(byte))));
        }
        if (folded[k].empty()) {
            hasEmptyKeyword_ = true;
        } else {
            order.push_back(static_cast<uint32_t>(k));
        }
    }
    std::sort(order.begin(), order.end(),
              [&folded](uint32_t a, uint32_t b) { return folded[a] < folded[b]; });
    std::vector<text::Text> patterns;
    keywordPattern_.assign(keywords.size(), kNone);
    for (uint32_t k : order) {
        if (patterns.empty() || patterns.back() != folded[k]) patterns.push_back(folded[k]);
        keywordPattern_[k] = static_cast<uint32_t>(patterns.size() - 1);
    }

    // Class numbers rise with the byte, so each state's children stay sorted by class.
    std::array<bool, 256> used{};
    size_t longest = 1;
    for (const text::Text& pattern : patterns) {
        for (char byte : pattern) used[static_cast<unsigned char>(byte)] = true;
        longest = std::max(longest, pattern.size());
        patternLength_.push_back(static_cast<uint32_t>(pattern.size()));
    }
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (used[byte]) classOf_[byte] = static_cast<uint8_t>(classes_++);
    }
    for (unsigned byte = 'A'; byte <= 'Z'; ++byte) classOf_[byte] = classOf_[byte + 32];

    buildTrie(patterns);
    buildLinks();
    const size_t rowBytes = size_t{classes_} * sizeof(uint32_t);
    denseStates_ = static_cast<uint32_t>(std::clamp<size_t>(
        denseTableBytes / rowBytes, 1, std::min<size_t>(states(), kStateBits / classes_)));
    buildDenseRows();

    foundStamp_.assign(patterns.size(), 0);
    longest_ = longest;
    size_t ring = 1;
    while (ring < longest) ring *= 2;
    inside_.assign(ring * kMaxWalks, 0);
    insideMask_ = ring - 1;
}

// Level d + 1 holds the distinct prefixes of d + 1 bytes. In sorted order the patterns
// that share a prefix are neighbours, so a new state starts wherever the parent or the
// byte changes, and the parents come in rising order.
void KeywordSet::buildTrie(const std::vector<text::Text>& patterns) {
    label_.push_back(0);
    fail_.push_back(0);
    patternAt_.push_back(kNone);
    std::vector<uint32_t> parent{kNone};
    std::vector<uint32_t> nodeOf(patterns.size(), 0);
    std::vector<uint32_t> active(patterns.size());
    std::iota(active.begin(), active.end(), 0);
    for (size_t depth = 0; !active.empty(); ++depth) {
        std::vector<uint32_t> deeper;
        uint32_t lastParent = kNone;
        uint8_t lastClass = 0;
        for (uint32_t p : active) {
            const uint8_t byteClass = classOf_[static_cast<unsigned char>(patterns[p][depth])];
            if (nodeOf[p] != lastParent || byteClass != lastClass) {
                lastParent = nodeOf[p];
                lastClass = byteClass;
                parent.push_back(lastParent);
                label_.push_back(byteClass);
                fail_.push_back(0);
                patternAt_.push_back(kNone);
            }
            nodeOf[p] = static_cast<uint32_t>(label_.size() - 1);
            if (patterns[p].size() == depth + 1) {
                patternAt_[nodeOf[p]] = p;
            } else {
                deeper.push_back(p);
            }
        }
        active.swap(deeper);
    }
    childBegin_.assign(label_.size() + 1, 0);
    for (size_t state = 1; state < parent.size(); ++state) ++childBegin_[parent[state] + 1];
    childBegin_[0] = 1;
    for (size_t state = 0; state < label_.size(); ++state) {
        childBegin_[state + 1] += childBegin_[state];
    }
}

uint32_t KeywordSet::childOf(uint32_t state, uint8_t byteClass) const {
    const auto first = label_.begin() + childBegin_[state];
    const auto last = label_.begin() + childBegin_[state + 1];
    const auto at = std::lower_bound(first, last, byteClass);
    return at != last && *at == byteClass ? static_cast<uint32_t>(at - label_.begin()) : kNone;
}

// Breadth first, so a state's failure target (shallower) is always done before it.
void KeywordSet::buildLinks() {
    dictLink_.assign(states(), kNone);
    for (uint32_t state = 0; state < states(); ++state) {
        for (uint32_t child = childBegin_[state]; child < childBegin_[state + 1]; ++child) {
            uint32_t target = 0;
            if (state != 0) {
                for (uint32_t t = fail_[state];; t = fail_[t]) {
                    target = childOf(t, label_[child]);
                    if (target != kNone || t == 0) break;
                }
                if (target == kNone) target = 0;
            }
            fail_[child] = target;
            dictLink_[child] = patternAt_[target] != kNone ? target : dictLink_[target];
        }
    }
}

uint32_t KeywordSet::codeOf(uint32_t state) const {
    const uint32_t code = state < denseStates_ ? state * classes_ : (kSparse | state);
    const bool output = patternAt_[state] != kNone || dictLink_[state] != kNone;
    return output ? (code | kOutput) : code;
}

// Dense codes are exact multiples of classes_ below 2^30, so the rounded-up reciprocal
// divides them exactly; a division would cost more than the rest of a report.
uint32_t KeywordSet::stateOf(uint32_t code) const {
    code &= ~kOutput;
    return (code & kSparse) != 0 ? (code & kStateBits)
                                 : static_cast<uint32_t>((code * rowReciprocal_) >> 40);
}

void KeywordSet::buildDenseRows() {
    rowReciprocal_ = ((uint64_t{1} << 40) + classes_ - 1) / classes_;
    if (staleLimit_ == 0) staleLimit_ = std::max<size_t>(size_t{denseStates_} * classes_ / 8, 256);
    dense_.assign(size_t{denseStates_} * classes_, codeOf(0));
    for (uint32_t state = 0; state < denseStates_; ++state) {
        uint32_t* row = dense_.data() + size_t{state} * classes_;
        if (state != 0) {
            std::memcpy(row, dense_.data() + size_t{fail_[state]} * classes_,
                        classes_ * sizeof(uint32_t));
        }
        for (uint32_t child = childBegin_[state]; child < childBegin_[state + 1]; ++child) {
            row[label_[child]] = codeOf(child);
        }
    }
}

// Sets the output mark of every dense code: on each state where a keyword ends or, with
// `onlyUnfound`, where one not yet found does. Sparse codes keep theirs.
void KeywordSet::markOutputs(bool onlyUnfound) {
    live_.assign(denseStates_, 0);
    // Breadth first, so the state a dictionary link leads to is done before.
    for (uint32_t state = 0; state < denseStates_; ++state) {
        const uint32_t pattern = patternAt_[state];
        const bool ends = pattern != kNone && (!onlyUnfound || foundStamp_[pattern] != generation_);
        live_[state] = ends || (dictLink_[state] != kNone && live_[dictLink_[state]] != 0);
    }
    for (uint32_t& code : dense_) {
        if ((code & kSparse) != 0) continue;
        code = live_[stateOf(code)] != 0 ? (code | kOutput) : (code & ~kOutput);
    }
}

uint32_t KeywordSet::sparseStep(uint32_t state, uint8_t byteClass) const {
    for (;;) {
        const uint32_t child = childOf(state, byteClass);
        if (child != kNone) return codeOf(child);
        state = fail_[state];
        if (state < denseStates_) return dense_[size_t{state} * classes_ + byteClass];
    }
}

bool KeywordSet::search(std::string_view text) {
    if (++generation_ == 0) {
        std::fill(foundStamp_.begin(), foundStamp_.end(), 0);
        generation_ = 1;
    }
    remaining_ = foundStamp_.size();
    staleReports_ = 0;
    if (outputsNarrowed_) {
        markOutputs(false);
        outputsNarrowed_ = false;
    }
    textNonEmpty_ = !text.empty();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    if (remaining_ != 0 && textNonEmpty_) {
        // Every walk but the first starts early by the longest keyword less one byte, so
        // a part no longer than twice that would mostly be read twice.
        const size_t size = text.size();
        const size_t walks = size < splitBytes_                   ? 1
                             : size / (2 * kMaxWalks) >= longest_ ? kMaxWalks
                             : size / 4 >= longest_               ? 2
                                                                  : 1;
        const bool allDense = denseStates_ == states();
        if (walks == kMaxWalks) {
            allDense ? run<true, kMaxWalks>(bytes, size) : run<false, kMaxWalks>(bytes, size);
        } else if (walks == 2) {
            allDense ? run<true, 2>(bytes, size) : run<false, 2>(bytes, size);
        } else {
            allDense ? run<true, 1>(bytes, size) : run<false, 1>(bytes, size);
        }
    }
    return remaining_ == 0 && (textNonEmpty_ || !hasEmptyKeyword_);
}

bool KeywordSet::found(size_t index) const {
    const uint32_t pattern = keywordPattern_[index];
    if (pattern == kNone) return textNonEmpty_;
    return foundStamp_[pattern] == generation_;
}

// Each step waits for the table load of the one before, so a long text is read as
// several parts side by side, whose loads overlap. Every part but the first starts early
// by the longest keyword less one byte, from the root, so it sees every match that ends
// in it; what it finds before its part begins belongs to the part before.
template <bool kAllDense, size_t kWalks>
void KeywordSet::run(const unsigned char* text, size_t size) {
    const uint32_t* dense = dense_.data();
    const uint8_t* classOf = classOf_.data();
    const size_t part = size / kWalks;
    size_t begin[kWalks];
    size_t firstEnd[kWalks];
    size_t reached[kWalks];
    text::CharacterBoundaries boundaries(text);
    for (size_t w = 0; w < kWalks; ++w) {
        begin[w] = w == 0 ? 0 : w * part - (longest_ - 1);
        firstEnd[w] = w * part;
        reached[w] = 0;
        walks_[w].inside = inside_.data() + w * (insideMask_ + 1);
        walks_[w].filled = begin[w];
        walks_[w].second = w == 0 || boundaries.begins(begin[w]) ? uint8_t{0} : uint8_t{1};
    }
    // One step of walk `w` over the byte at `at`; true when every keyword has been found.
    // Codes are held as size_t so they index the table as they are.
    auto step = [&](size_t& code, const unsigned char* at, size_t w) {
        const uint8_t byteClass = classOf[*at];
        uint32_t next;
        if (kAllDense || (code & kSparse) == 0) {
            next = dense[code + byteClass];
        } else {
            next = sparseStep(static_cast<uint32_t>(code) & kStateBits, byteClass);
        }
        if ((next & kOutput) != 0) {
            next &= ~kOutput;
            code = next;
            const auto pos = static_cast<size_t>(at - text);
            return pos >= firstEnd[w] && report(next, pos, walks_[w], text, size);
        }
        code = next;
        return false;
    };
    // The walks' states stay in registers only when each is named by a constant.
    const bool done = [&]<size_t... W>(std::index_sequence<W...>) {
        size_t codes[] = {reached[W]...};
        const unsigned char* at[] = {text + begin[W]...};
        for (size_t offset = 0; offset < part; ++offset) {
            if ((step(codes[W], at[W] + offset, W) || ...)) return true;
        }
        ((reached[W] = codes[W]), ...);
        return false;
    }
    (std::make_index_sequence<kWalks>());
    if (done) return;
    for (size_t w = 1; w < kWalks; ++w) {
        const size_t end = w + 1 == kWalks ? size : (w + 1) * part;
        for (size_t pos = begin[w] + part; pos < end; ++pos) {
            if (step(reached[w], text + pos, w)) return;
        }
    }
}

// Brings the walk's flags up to `to`, skipping what the ring cannot hold: a byte below
// 0x80 always ends a character, and after it the bytes of 0x80 or more pair up.
void KeywordSet::markCharacters(Walk& walk, const unsigned char* text, size_t to) const {
    size_t pos = walk.filled;
    const size_t ring = insideMask_ + 1;
    if (to - pos > ring) {
        const size_t target = to - ring;
        size_t start = target;
        while (start > pos && text[start - 1] >= 0x80) --start;
        walk.second =
            static_cast<uint8_t>((start == pos ? target - pos + walk.second : target - start) & 1);
        pos = target;
    }
    for (; pos < to; ++pos) {
        walk.inside[pos & insideMask_] = walk.second;
        walk.second = static_cast<uint8_t>((walk.second ^ 1) & (text[pos] >> 7));
    }
    walk.filled = to;
}

// Every keyword ending at `end` in the reached state, each checked for where it begins.
bool KeywordSet::report(uint32_t code, size_t end, Walk& walk, const unsigned char* text,
                        size_t size) {
    const uint32_t state = stateOf(code);
    bool stale = true;
    for (uint32_t at = patternAt_[state] != kNone ? state : dictLink_[state]; at != kNone;
         at = dictLink_[at]) {
        const uint32_t pattern = patternAt_[at];
        if (foundStamp_[pattern] == generation_) continue;
        stale = false;
        const size_t start = end + 1 - patternLength_[pattern];
        if (walk.filled <= end) markCharacters(walk, text, end + 1);
        if (walk.inside[start & insideMask_] != 0) continue;
        // A lone lead byte at the very end is not a character, so nothing starts there.
        if (start + 1 == size && text::isLeadByte(text[start])) continue;
        foundStamp_[pattern] = generation_;
        if (--remaining_ == 0) return true;
    }
    if (stale && (code & kSparse) == 0 && ++staleReports_ >= staleLimit_) {
        markOutputs(true);
        outputsNarrowed_ = true;
        staleReports_ = 0;
    }
    return false;
}

}  // namespace pagorin::monitor
