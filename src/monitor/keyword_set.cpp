// The keyword automaton: built level by level from the sorted keywords, so states are
// numbered breadth first and each state's children are numbered together.
#include "monitor/keyword_set.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "text/character_boundaries.h"

namespace pagorin::monitor {

KeywordSet::KeywordSet(const text::TextList& keywords, size_t denseTableBytes, size_t splitBytes)
    : splitBytes_(splitBytes) {
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
    inside_.assign(ring, 0);
    insideSecond_.assign(ring, 0);
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

uint32_t KeywordSet::stateOf(uint32_t code) const {
    code &= ~kOutput;
    return (code & kSparse) != 0 ? (code & kStateBits) : code / classes_;
}

void KeywordSet::buildDenseRows() {
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
    textNonEmpty_ = !text.empty();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    if (remaining_ != 0 && textNonEmpty_) {
        if (denseStates_ == states()) {
            run<true>(bytes, text.size());
        } else {
            run<false>(bytes, text.size());
        }
    }
    return remaining_ == 0 && (textNonEmpty_ || !hasEmptyKeyword_);
}

bool KeywordSet::found(size_t index) const {
    const uint32_t pattern = keywordPattern_[index];
    if (pattern == kNone) return textNonEmpty_;
    return foundStamp_[pattern] == generation_;
}

template <bool kAllDense>
void KeywordSet::run(const unsigned char* text, size_t size) {
    const uint32_t* dense = dense_.data();
    const uint8_t* classOf = classOf_.data();
    const size_t mask = insideMask_;
    // One step of the automaton at `pos`; reports matches that end at `firstEnd` or later.
    auto step = [&](Cursor& cursor, size_t pos, size_t firstEnd) {
        const unsigned char byte = text[pos];
        cursor.inside[pos & mask] = cursor.second;
        cursor.second = static_cast<uint8_t>((cursor.second ^ 1) & (byte >> 7));
        const uint8_t byteClass = classOf[byte];
        uint32_t next;
        if (kAllDense || (cursor.code & kSparse) == 0) {
            next = dense[cursor.code + byteClass];
        } else {
            next = sparseStep(cursor.code & kStateBits, byteClass);
        }
        if ((next & kOutput) != 0) {
            next &= ~kOutput;
            cursor.code = next;
            return pos >= firstEnd && report(next, pos, cursor.inside, text, size);
        }
        cursor.code = next;
        return false;
    };
    Cursor first{0, 0, inside_.data()};
    // Each step waits for the table load of the one before, so a long text is read as
    // two halves side by side, whose loads overlap. The second half starts early by the
    // longest keyword less one byte, from the root, so it sees every match that ends in
    // it; what it finds before its half begins belongs to the first.
    if (size < splitBytes_ || size / 4 < longest_) {
        for (size_t pos = 0; pos < size; ++pos) {
            if (step(first, pos, 0)) return;
        }
        return;
    }
    const size_t half = size / 2;
    const size_t secondStart = half - (longest_ - 1);
    text::CharacterBoundaries boundaries(text);
    Cursor second{0, boundaries.begins(secondStart) ? uint8_t{0} : uint8_t{1},
                  insideSecond_.data()};
    for (size_t pos = 0; pos < half; ++pos) {
        if (step(first, pos, 0) || step(second, secondStart + pos, half)) return;
    }
    for (size_t pos = secondStart + half; pos < size; ++pos) {
        if (step(second, pos, half)) return;
    }
}

// Every keyword ending at `end` in the reached state, each checked for where it begins.
bool KeywordSet::report(uint32_t code, size_t end, const uint8_t* inside, const unsigned char* text,
                        size_t size) {
    const uint32_t state = stateOf(code);
    for (uint32_t at = patternAt_[state] != kNone ? state : dictLink_[state]; at != kNone;
         at = dictLink_[at]) {
        const uint32_t pattern = patternAt_[at];
        if (foundStamp_[pattern] == generation_) continue;
        const size_t start = end + 1 - patternLength_[pattern];
        if (inside[start & insideMask_] != 0) continue;
        // A lone lead byte at the very end is not a character, so nothing starts there.
        if (start + 1 == size && text::isLeadByte(text[start])) continue;
        foundStamp_[pattern] = generation_;
        if (--remaining_ == 0) return true;
    }
    return false;
}

}  // namespace pagorin::monitor
