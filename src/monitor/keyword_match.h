// Keyword matching: which finds a page gives for an entry's keywords and mode.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <iterator>
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

// Finds in order. Every line of the mode "同一行" gives the same find, and a page of
// short lines can hold millions: equal finds in a row are kept once with their number,
// and going through the list gives each of them in turn, as often as it was found.
class FindList {
    struct Run {
        FoundTarget find;
        size_t times;

        bool operator==(const Run&) const = default;
    };

  public:
    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = FoundTarget;
        using difference_type = std::ptrdiff_t;
        using pointer = const FoundTarget*;
        using reference = const FoundTarget&;

        const_iterator() = default;
        reference operator*() const { return run_->find; }
        pointer operator->() const { return &run_->find; }
        const_iterator& operator++() {
            if (++repeat_ == run_->times) {
                ++run_;
                repeat_ = 0;
            }
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator&) const = default;

      private:
        friend class FindList;
        explicit const_iterator(std::vector<Run>::const_iterator run) : run_(run) {}

        std::vector<Run>::const_iterator run_{};
        size_t repeat_ = 0;
    };
    using iterator = const_iterator;
    using value_type = FoundTarget;
    using size_type = size_t;

    FindList() = default;
    FindList(std::initializer_list<FoundTarget> finds);

    // `find` added at the end `times` times (none at 0).
    void push_back(FoundTarget find, size_t times = 1);

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const_iterator begin() const { return const_iterator(runs_.begin()); }
    const_iterator end() const { return const_iterator(runs_.end()); }

    // Runs are merged as they are added, so equal lists hold equal runs.
    bool operator==(const FindList&) const = default;

  private:
    std::vector<Run> runs_;
    size_t size_ = 0;
};

KeywordList SplitKeywords(std::string_view keywordText);

// The finds of `page` in order; a mode other than "或", "与", "同一行" gives none.
FindList MatchPage(std::string_view page, const KeywordList& keywords, std::string_view keywordText,
                   std::string_view mode);

}  // namespace pagorin::monitor
