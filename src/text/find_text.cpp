// The case-insensitive, character-aligned search. Pages are megabytes and a worker
// searches every keyword in every cycle, so candidates are found sixteen bytes at a
// time (first and last keyword byte at once) and character alignment is decided only
// at the few positions where the whole keyword matches.
#include <cstring>

#include "text/character_boundaries.h"
#include "text/gbk_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pagorin::text {
namespace {

inline bool isAsciiLetter(unsigned char byte) {
    unsigned char lower = byte | 0x20;
    return lower >= 'a' && lower <= 'z';
}

class Search {
  public:
    Search(std::string_view text, std::string_view keyword)
        : text_(reinterpret_cast<const unsigned char*>(text.data())),
          textSize_(text.size()),
          keySize_(keyword.size()),
          boundaries_(text_) {
        folded_.reserve(keyword.size());
        for (char byte : keyword) {
            folded_.push_back(static_cast<char>(foldAscii(static_cast<unsigned char>(byte))));
        }
    }

    // Returns the 0-based position of the first aligned match, or -1.
    int64_t run() {
        const size_t lastStart = textSize_ - keySize_;  // caller ensures keySize_ <= textSize_
        size_t pos = 0;
#if defined(__SSE2__)
        const auto first = static_cast<unsigned char>(folded_.front());
        const auto last = static_cast<unsigned char>(folded_.back());
        const __m128i firstByte = _mm_set1_epi8(static_cast<char>(first));
        const __m128i lastByte = _mm_set1_epi8(static_cast<char>(last));
        const __m128i firstFold = _mm_set1_epi8(isAsciiLetter(first) ? 0x20 : 0);
        const __m128i lastFold = _mm_set1_epi8(isAsciiLetter(last) ? 0x20 : 0);
        for (; pos + 15 <= lastStart; pos += 16) {
            __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_ + pos));
            __m128i tail =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_ + pos + keySize_ - 1));
            __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(head, firstFold), firstByte),
                                         _mm_cmpeq_epi8(_mm_or_si128(tail, lastFold), lastByte));
            auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
            while (mask != 0) {
                size_t candidate = pos + static_cast<size_t>(__builtin_ctz(mask));
                if (accepts(candidate)) return static_cast<int64_t>(candidate);
                mask &= mask - 1;
            }
        }
#endif
        for (; pos <= lastStart; ++pos) {
            if (foldAscii(text_[pos]) == static_cast<unsigned char>(folded_.front()) &&
                accepts(pos)) {
                return static_cast<int64_t>(pos);
            }
        }
        return -1;
    }

  private:
    bool accepts(size_t pos) {
        for (size_t i = 0; i < keySize_; ++i) {
            if (foldAscii(text_[pos + i]) != static_cast<unsigned char>(folded_[i])) return false;
        }
        if (!boundaries_.begins(pos)) return false;
        // A lone lead byte at the very end is not a character, so nothing starts there.
        return !(pos + 1 == textSize_ && isLeadByte(text_[pos]));
    }

    const unsigned char* text_;
    size_t textSize_;
    size_t keySize_;
    std::string folded_;
    CharacterBoundaries boundaries_;
};

}  // namespace

int64_t FindText(std::string_view text, std::string_view keyword) {
    if (text.empty()) return -1;
    if (keyword.empty()) return 1;
    if (keyword.size() > text.size()) return -1;
    int64_t found = Search(text, keyword).run();
    return found < 0 ? -1 : found + 1;
}

}  // namespace pagorin::text
