// Splitting, trimming, case and number rules on GBK byte strings.
#include "text/gbk_text.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "text/character_boundaries.h"

namespace pagorin::text {
namespace {

constexpr unsigned char kFullWidthLead = 0xA3;  // A3 A1..A3 FE are the full-width ASCII forms
constexpr unsigned char kSymbolLead = 0xA1;     // A1 A1 is the full-width space

bool isFullWidthSpace(std::string_view text, size_t pos) {
    return pos + 1 < text.size() && static_cast<unsigned char>(text[pos]) == kSymbolLead &&
           static_cast<unsigned char>(text[pos + 1]) == kSymbolLead;
}

size_t characterSize(std::string_view text, size_t pos) {
    return isLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
}

}  // namespace

Text TextFromBytes(std::string_view bytes) {
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    if (zero == nullptr) return Text(bytes);
    return Text(bytes.data(), static_cast<size_t>(static_cast<const char*>(zero) - bytes.data()));
}

void ForEachPiece(std::string_view text, std::string_view separator,
                  const std::function<bool(std::string_view)>& visit) {
    if (text.empty() || separator.empty()) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    CharacterBoundaries boundaries(bytes);
    size_t pieceStart = 0;
    size_t from = 0;
    while (from + separator.size() <= text.size()) {
        size_t pos = text.find(separator, from);
        if (pos == std::string_view::npos) break;
        if (!boundaries.begins(pos)) {
            from = pos + 1;
            continue;
        }
        if (!visit(text.substr(pieceStart, pos - pieceStart))) return;
        pieceStart = from = pos + separator.size();
        // Scanning goes on from the end of the separator as from a character start.
        boundaries.restartAt(from);
    }
    if (pieceStart < text.size()) visit(text.substr(pieceStart));
}

TextList SplitText(std::string_view text, std::string_view separator) {
    TextList pieces;
    ForEachPiece(text, separator, [&pieces](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    });
    return pieces;
}

bool EndsInLoneLeadByte(std::string_view text) {
    if (text.empty() || !isLeadByte(static_cast<unsigned char>(text.back()))) return false;
    CharacterBoundaries boundaries(reinterpret_cast<const unsigned char*>(text.data()));
    return boundaries.begins(text.size() - 1);
}

Text Trim(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size()) {
        if (text[begin] == ' ') {
            begin += 1;
        } else if (isFullWidthSpace(text, begin)) {
            begin += 2;
        } else {
            break;
        }
    }
    // The end is found walking forward, so a trailing A1 A1 that is really the second
    // byte of one character and a lone byte is never mistaken for a full-width space.
    size_t end = begin;
    for (size_t pos = begin; pos < text.size();) {
        size_t size = isFullWidthSpace(text, pos) ? 2 : characterSize(text, pos);
        bool blank = text[pos] == ' ' || isFullWidthSpace(text, pos);
        pos = std::min(pos + size, text.size());
        if (!blank) end = pos;
    }
    return Text(text.substr(begin, end - begin));
}

Text ToLower(std::string_view text) {
    Text result(text);
    for (size_t pos = 0; pos < result.size(); pos += characterSize(result, pos)) {
        if (result[pos] >= 'A' && result[pos] <= 'Z')
            result[pos] = static_cast<char>(result[pos] + 32);
    }
    return result;
}

Text ToUpper(std::string_view text) {
    Text result(text);
    for (size_t pos = 0; pos < result.size(); pos += characterSize(result, pos)) {
        if (result[pos] >= 'a' && result[pos] <= 'z')
            result[pos] = static_cast<char>(result[pos] - 32);
    }
    return result;
}

Text FullWidthToHalfWidth(std::string_view text) {
    Text result;
    result.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        auto lead = static_cast<unsigned char>(text[pos]);
        if (!isLeadByte(lead) || pos + 1 == text.size()) {
            result.push_back(text[pos]);
            pos += 1;
            continue;
        }
        auto trail = static_cast<unsigned char>(text[pos + 1]);
        if (lead == kFullWidthLead && trail >= 0xA1 && trail <= 0xFE) {
            result.push_back(static_cast<char>(trail - 0x80));
        } else if (lead == kSymbolLead && trail == kSymbolLead) {
            result.push_back(' ');
        } else {
            result.append(text.substr(pos, 2));
        }
        pos += 2;
    }
    return result;
}

int64_t TextToInt(std::string_view text) {
    const Text half = FullWidthToHalfWidth(text);
    size_t pos = 0;
    while (pos < half.size() && (half[pos] == ' ' || (half[pos] >= '\t' && half[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < half.size() && (half[pos] == '+' || half[pos] == '-')) {
        negative = half[pos] == '-';
        ++pos;
    }
    // Accumulated as a negative number, whose range is the larger one.
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    int64_t value = 0;
    bool saturated = false;
    for (; pos < half.size() && half[pos] >= '0' && half[pos] <= '9'; ++pos) {
        int digit = half[pos] - '0';
        if (value < (kMin + digit) / 10) {
            saturated = true;
            value = kMin;
        } else if (!saturated) {
            value = value * 10 - digit;
        }
    }
    if (negative) return value;
    if (value == kMin) return std::numeric_limits<int64_t>::max();
    return -value;
}

Text IntToText(int64_t value) {
    return std::to_string(value);
}

}  // namespace pagorin::text
