// Fuzzes the GBK text rules (search, splitting, trimming, case, numbers) against plain
// reference walks written from the rules' wording: the fast search and the boundary
// tracker must agree with a one-character-at-a-time walk on every input.
//
// Input: one length byte, the keyword (or separator) of that length, then the text.
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "text/gbk_text.h"

namespace {

using namespace pagorin;
using namespace pagorin::fuzz;

bool isBlankAt(std::string_view text, size_t pos, size_t size) {
    if (size == 1) return text[pos] == ' ';
    return size == 2 && text.substr(pos, 2) == "\xA1\xA1";
}

size_t characterSizeAt(std::string_view text, size_t pos) {
    return refIsLead(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

std::string refTrim(std::string_view text) {
    size_t begin = text.size();
    size_t end = 0;
    for (size_t start : refCharacterStarts(text)) {
        const size_t size = characterSizeAt(text, start);
        if (isBlankAt(text, start, size)) continue;
        if (begin == text.size()) begin = start;
        end = start + size;
    }
    if (begin == text.size()) return {};
    return std::string(text.substr(begin, end - begin));
}

std::string refFullWidthToHalfWidth(std::string_view text) {
    std::string result;
    for (size_t start : refCharacterStarts(text)) {
        if (characterSizeAt(text, start) == 1) {
            result.push_back(text[start]);
            continue;
        }
        const auto lead = static_cast<unsigned char>(text[start]);
        const auto trail = static_cast<unsigned char>(text[start + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            result.push_back(static_cast<char>(trail - 0x80));
        } else if (lead == 0xA1 && trail == 0xA1) {
            result.push_back(' ');
        } else {
            result.append(text.substr(start, 2));
        }
    }
    return result;
}

// Exact arithmetic in 128 bits, the magnitude held just above the 64-bit range so that
// longer digit runs cannot overflow the reference itself.
int64_t refTextToInt(std::string_view text) {
    const std::string half = refFullWidthToHalfWidth(text);
    size_t pos = 0;
    while (pos < half.size() && (half[pos] == ' ' || (half[pos] >= '\t' && half[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < half.size() && (half[pos] == '+' || half[pos] == '-')) {
        negative = half[pos] == '-';
        ++pos;
    }
    const __int128 cap = static_cast<__int128>(1) << 64;
    __int128 magnitude = 0;
    for (; pos < half.size() && half[pos] >= '0' && half[pos] <= '9'; ++pos) {
        magnitude = magnitude * 10 + (half[pos] - '0');
        if (magnitude > cap) magnitude = cap;
    }
    const __int128 limitNegative = static_cast<__int128>(1) << 63;
    if (negative) {
        return magnitude >= limitNegative ? std::numeric_limits<int64_t>::min()
                                          : static_cast<int64_t>(-magnitude);
    }
    return magnitude >= limitNegative - 1 ? std::numeric_limits<int64_t>::max()
                                          : static_cast<int64_t>(magnitude);
}

// ToLower/ToUpper: only ASCII letters at character starts change.
std::string refChangeCase(std::string_view text, bool toUpper) {
    std::string result(text);
    for (size_t start : refCharacterStarts(text)) {
        char& c = result[start];
        if (toUpper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (!toUpper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return result;
}

// Every ASCII letter, wherever it stands, in the other case: folding is byte by byte.
std::string flipCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return result;
}

void checkFind(std::string_view text, std::string_view keyword) {
    FUZZ_CHECK(text::FindText(text, keyword) == refFindText(text, keyword));
}

void checkSplit(std::string_view text, std::string_view separator) {
    if (separator.empty()) return;
    const text::TextList pieces = text::SplitText(text, separator);
    FUZZ_CHECK(pieces == refSplit(text, separator));
    // Stopping early hands over exactly the first piece.
    std::vector<std::string> visited;
    text::ForEachPiece(text, separator, [&visited](std::string_view piece) {
        visited.emplace_back(piece);
        return false;
    });
    FUZZ_CHECK(visited.size() == (pieces.empty() ? 0u : 1u));
    if (!pieces.empty()) FUZZ_CHECK(visited.front() == pieces.front());
}

void checkTrim(std::string_view text) {
    const std::string trimmed = text::Trim(text);
    FUZZ_CHECK(trimmed == refTrim(text));
    FUZZ_CHECK(text.find(trimmed) != std::string_view::npos);
    if (trimmed.empty()) return;
    FUZZ_CHECK(trimmed.front() != ' ' && !trimmed.starts_with("\xA1\xA1"));
    const size_t last = refCharacterStarts(trimmed).back();
    FUZZ_CHECK(!isBlankAt(trimmed, last, characterSizeAt(trimmed, last)));
}

void checkCase(std::string_view text) {
    const std::string lower = text::ToLower(text);
    const std::string upper = text::ToUpper(text);
    FUZZ_CHECK(lower.size() == text.size() && upper.size() == text.size());
    FUZZ_CHECK(lower == refChangeCase(text, false));
    FUZZ_CHECK(upper == refChangeCase(text, true));
}

void checkNumbers(std::string_view text) {
    FUZZ_CHECK(text::FullWidthToHalfWidth(text) == refFullWidthToHalfWidth(text));
    FUZZ_CHECK(text::TextToInt(text) == refTextToInt(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string_view> texts = SplitInput(data, size, 2);
    const std::string_view keyword = texts[0];
    const std::string_view text = texts[1];

    // A keyword cut from the text itself, often at a second byte, finds far more matches
    // and misaligned candidates than an unrelated one.
    std::string_view cut;
    if (!text.empty()) {
        const size_t choice = size > 0 ? data[0] : 0;
        cut = text.substr(choice % text.size(), 1 + choice % 7);
    }

    checkFind(text, keyword);
    checkFind(keyword, text);
    checkFind(text, cut);
    checkFind(text, flipCase(cut));

    checkSplit(text, keyword);
    checkSplit(text, cut);
    checkSplit(text, "\r\n");

    FUZZ_CHECK(text::EndsInLoneLeadByte(text) == refEndsInLoneLeadByte(text));
    FUZZ_CHECK(text::TextFromBytes(text) == text.substr(0, text.find('\0')));

    checkTrim(text);
    checkTrim(keyword);
    checkCase(text);
    checkNumbers(text);
    checkNumbers(keyword);

    // Every value written as text reads back as itself.
    int64_t value = 0;
    for (size_t i = 0; i < 8 && i < text.size(); ++i) {
        value = static_cast<int64_t>((static_cast<uint64_t>(value) << 8) |
                                     static_cast<unsigned char>(text[i]));
    }
    FUZZ_CHECK(text::TextToInt(text::IntToText(value)) == value);
    return 0;
}
