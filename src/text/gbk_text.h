// Text rules shared by every part of the program. A text is a GBK (code page 936)
// byte string; a byte of 0x80 or more begins a two-byte character. Nothing here
// converts code pages: that happens only at the window and file-name boundary.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pagorin::text {

using Text = std::string;
using TextList = std::vector<Text>;

inline bool isLeadByte(unsigned char byte) {
    return byte >= 0x80;
}

// A-Z as a-z and every other byte as it is: how keyword searches compare bytes.
inline unsigned char foldAscii(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + 32) : byte;
}

// Bytes up to, not including, the first zero byte (all of them when there is none).
Text TextFromBytes(std::string_view bytes);
// The same, cut in place when handed over: a large body is not copied.
template <typename Bytes>
requires std::same_as<Bytes, std::string> Text TextFromBytes(Bytes&& bytes) {
    bytes.resize(std::min(bytes.size(), bytes.find('\0')));
    return std::move(bytes);
}

// 1-based byte position of the first occurrence of `keyword` in `text`, or -1.
// ASCII letters match regardless of case, byte by byte; a match only begins where
// a character begins. An empty keyword is found at 1 in any non-empty text.
int64_t FindText(std::string_view text, std::string_view keyword);

// FindText found `keyword` in `text`: the one case-insensitive "contains".
inline bool ContainsText(std::string_view text, std::string_view keyword) {
    return FindText(text, keyword) != -1;
}

// Cuts `text` at every `separator` that begins a character. Every separator closes
// a piece, empty or not; the remainder after the last one is a piece only when it is
// not empty. The empty text gives no pieces. `separator` must not be empty.
TextList SplitText(std::string_view text, std::string_view separator);

// The same pieces as SplitText, handed one at a time as views into `text`; `visit`
// returns false to stop early. Lets a page be cut into lines without copying it.
void ForEachPiece(std::string_view text, std::string_view separator,
                  const std::function<bool(std::string_view)>& visit);

// True when the last character of `text` is a lead byte without its second byte.
bool EndsInLoneLeadByte(std::string_view text);

// Removes the ASCII space and the full-width space (A1 A1) at both ends; nothing else.
Text Trim(std::string_view text);

// Changes the ASCII letters only; the bytes of double-byte characters stay.
Text ToLower(std::string_view text);
Text ToUpper(std::string_view text);

// Full-width characters folded to half-width first; then leading blanks, one optional
// sign and the decimal digits up to the first other byte. No digits give 0. Values
// beyond the 64-bit range saturate, so an absurd number still has a defined result.
int64_t TextToInt(std::string_view text);

// Decimal, without leading zeros; "-" for negative values.
Text IntToText(int64_t value);

// Turns the full-width forms A3 A1..A3 FE and the full-width space A1 A1 into their
// ASCII counterparts, stepping over every other double-byte character.
Text FullWidthToHalfWidth(std::string_view text);

}  // namespace pagorin::text
