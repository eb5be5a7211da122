// Tells, for positions asked in increasing order, whether each begins a character of
// a GBK text. A byte below 0x80 always ends a character (alone or as the second byte
// of a pair), so the position after the nearest such byte begins one for certain, and
// from there the bytes of 0x80 or more pair up. The walk back stops at the last
// position already decided, which keeps the total work linear in the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pagorin::text {

class CharacterBoundaries {
  public:
    explicit CharacterBoundaries(const unsigned char* text) : text_(text) {}

    // `pos` must not be smaller than the previous position asked or restarted at.
    bool begins(size_t pos) {
        size_t start = pos;
        while (start - anchor_ >= 8) {
            uint64_t word;
            std::memcpy(&word, text_ + start - 8, 8);
            if ((word & 0x8080808080808080ULL) != 0x8080808080808080ULL) break;
            start -= 8;
        }
        while (start > anchor_ && text_[start - 1] >= 0x80) --start;
        bool aligned = (pos - start) % 2 == 0;
        // A position inside a character has its lead byte right before it.
        anchor_ = aligned ? pos : pos - 1;
        return aligned;
    }

    // Declares `pos` the beginning of a character, whatever precedes it.
    void restartAt(size_t pos) { anchor_ = pos; }

  private:
    const unsigned char* text_;
    size_t anchor_ = 0;
};

}  // namespace pagorin::text
