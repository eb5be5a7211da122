// Shared by the fuzz targets: a failing check that libFuzzer records as a crash, the
// cutting of one input into several texts, and plain reference walks of the GBK rules
// written from their documented wording, so the fast code is compared with slow code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace pagorin::fuzz {

// Abort rather than throw: libFuzzer saves the input and prints the stack for an abort.
[[noreturn]] inline void checkFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                           \
    do {                                                                                \
        if (!(condition)) ::pagorin::fuzz::checkFailed(#condition, __FILE__, __LINE__); \
    } while (false)

// The input as `count` texts: the first count-1 bytes give the lengths of the first
// count-1 texts (cut short where the input ends), and the last text takes what is left.
// Hand-written seeds stay readable: a few length bytes, then the texts one after another.
inline std::vector<std::string_view> SplitInput(const uint8_t* data, size_t size, size_t count) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> texts(count);
    const size_t headerSize = count - 1 < input.size() ? count - 1 : input.size();
    std::string_view lengths = input.substr(0, headerSize);
    std::string_view rest = input.substr(headerSize);
    for (size_t i = 0; i + 1 < count; ++i) {
        size_t length = i < lengths.size() ? static_cast<unsigned char>(lengths[i]) : 0;
        if (length > rest.size()) length = rest.size();
        texts[i] = rest.substr(0, length);
        rest.remove_prefix(length);
    }
    texts[count - 1] = rest;
    return texts;
}

// ---- Reference rules: one character at a time from the start, nothing clever. ----

inline bool refIsLead(char byte) {
    return static_cast<unsigned char>(byte) >= 0x80;
}

// The start of every character in order; a lead byte takes the byte after it when there
// is one, so a lone lead byte at the very end is a character of its own here.
inline std::vector<size_t> refCharacterStarts(std::string_view text) {
    std::vector<size_t> starts;
    for (size_t pos = 0; pos < text.size(); pos += refIsLead(text[pos]) ? 2 : 1) {
        starts.push_back(pos);
    }
    return starts;
}

inline bool refBeginsCharacter(std::string_view text, size_t pos) {
    for (size_t start : refCharacterStarts(text)) {
        if (start == pos) return true;
    }
    return false;
}

inline char refFold(char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 32) : byte;
}

inline bool refEqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (refFold(a[i]) != refFold(b[i])) return false;
    }
    return true;
}

// FindText as worded: 1-based, ASCII letters folded byte by byte, matches only where a
// character begins, nothing at a lone lead byte that ends the text, the empty keyword
// at 1 in a non-empty text.
inline int64_t refFindText(std::string_view text, std::string_view keyword) {
    if (text.empty()) return -1;
    if (keyword.empty()) return 1;
    for (size_t pos = 0; pos < text.size(); pos += refIsLead(text[pos]) ? 2 : 1) {
        if (refIsLead(text[pos]) && pos + 1 == text.size()) break;
        if (pos + keyword.size() <= text.size() &&
            refEqualFolded(text.substr(pos, keyword.size()), keyword)) {
            return static_cast<int64_t>(pos) + 1;
        }
    }
    return -1;
}

// FindExact as worded: the same walk, exact bytes, starting at `fromPos` as at the start
// of a character.
inline int64_t refFindExact(std::string_view text, std::string_view marker, int64_t fromPos) {
    if (fromPos < 1) fromPos = 1;
    if (fromPos > static_cast<int64_t>(text.size())) return -1;
    if (marker.empty()) return fromPos;
    for (size_t pos = static_cast<size_t>(fromPos - 1); pos < text.size();
         pos += refIsLead(text[pos]) ? 2 : 1) {
        if (refIsLead(text[pos]) && pos + 1 == text.size()) break;
        if (text.substr(pos, marker.size()) == marker) return static_cast<int64_t>(pos) + 1;
    }
    return -1;
}

// SplitText as worded: a separator closes a piece where a character begins, the walk
// goes on after it as at a character start, and a non-empty remainder is the last piece.
inline std::vector<std::string> refSplit(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    size_t pieceStart = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text.substr(pos, separator.size()) == separator) {
            pieces.emplace_back(text.substr(pieceStart, pos - pieceStart));
            pos += separator.size();
            pieceStart = pos;
        } else {
            pos += refIsLead(text[pos]) ? 2 : 1;
        }
    }
    if (pieceStart < text.size()) pieces.emplace_back(text.substr(pieceStart));
    return pieces;
}

inline bool refEndsInLoneLeadByte(std::string_view text) {
    const std::vector<size_t> starts = refCharacterStarts(text);
    return !starts.empty() && starts.back() + 1 == text.size() && refIsLead(text.back());
}

}  // namespace pagorin::fuzz
