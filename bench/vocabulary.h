// What the benchmark page is made of, and the bytes it never contains. The keywords
// are built from the same common pieces plus one never-emitted piece, so each is
// surely absent and yet its first and last bytes turn up all over the page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pagorin::bench {

struct Vocabulary {
    std::vector<std::string> words;        // ASCII words, the most common first
    std::vector<std::string> hanzi;        // GBK double-byte characters, the most common first
    std::vector<std::string> absentHanzi;  // GBK characters the page never holds
    std::string absentAscii;               // ASCII bytes the page never holds
    std::string punctuation;               // the one-byte separators the page does hold
};

const Vocabulary& TheVocabulary();

}  // namespace pagorin::bench
