// Address, header and cookie helpers for building requests: the host, port and path
// of an address, the text between two markers, request header names in their usual
// capitals, and merging the cookies a site sets into the ones already held.
// Positions are 1-based byte positions, -1 meaning not found. Every search here is
// exact (byte for byte) and only finds a marker where a character begins, so the
// second byte of a double-byte character is never taken for ":", "/", "=" or ";".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/gbk_text.h"

namespace pagorin::fetch {

using text::Text;

// Position of the first `marker` at or after `fromPos`, starting where a character
// starts, or -1. `fromPos` is taken as the start of a character, as a scan that begins
// there would take it; a position below 1 counts as 1. An empty marker is found at
// `fromPos` while that lies inside the text (so never in the empty text). A lone lead
// byte at the very end is not a character, and nothing is found there.
int64_t FindExact(std::string_view text, std::string_view marker, int64_t fromPos = 1);

// The host of an address, in lower case; "http://" is assumed when the address names no
// scheme. A user name and password ("user:pw@") before it are left out: the host begins
// after the last "@" that comes before the path, query or fragment. With `keepPort` a
// ":port" after the host stays, otherwise it is cut off.
Text UrlHost(std::string_view address, bool keepPort);

// The number after the last ":" of the host with its port, as TextToInt reads it (so
// ":" alone gives 0, and no range check is made); without one 443 for "https", else 80.
int64_t UrlPort(std::string_view address);

// True when the address begins with "https://", in any letter case.
bool IsHttpsAddress(std::string_view address);

// UrlPort when it names a port a connection can be made to (0 to 65535); nothing
// otherwise, as the 16-bit port of a call would silently reach another port.
std::optional<uint16_t> ConnectionPort(std::string_view address);

// From the first "/" after the host to the end of the address, query and fragment
// included, as passed (case kept); "/" when there is none.
Text UrlPath(std::string_view address);

// The bytes between the first `left` and the first `right` after it; empty when either
// is missing. In both markers "#引号" stands for a double quotation mark. An empty left
// marker is found at the start of the text; an empty right one right after the left
// marker, which gives the empty text.
Text TextBetween(std::string_view text, std::string_view left, std::string_view right);

// The bytes before the first `marker`; empty when there is none (or it is empty).
Text TextBefore(std::string_view text, std::string_view marker);

// What follows the first ":", trimmed; empty when there is no ":".
Text ValueAfterColon(std::string_view text);

// Header lines joined by CR LF, each name rewritten with a capital at its start and
// after every "-" (other letters as they were; the name's length never changes). Lines
// without ":" are dropped, empty ones included; no CR LF follows the last line.
Text NormalizeHeaderNames(std::string_view lines);

// The first byte in upper case when it is an ASCII letter; a text that begins with a
// double-byte character comes back unchanged.
Text CapitalizeFirst(std::string_view text);

// The trimmed text of "name=value" before the first "="; the whole cookie trimmed when
// it has none.
Text CookieName(std::string_view cookie);

// Merges two "; "-separated cookie lists: every fresh cookie, then each old cookie whose
// name is not listed yet; cookies ending in "=deleted" are left out, and exact repeats
// too. Both lists are first trimmed and given a space after a final ";", and keep those
// changes; `old` ends up holding the merged list, which is also returned.
Text MergeCookies(Text& old, Text& fresh);

// The pieces of `text` between `separator`s, each exact text once, in first-seen order,
// joined by `separator`. An empty separator cuts nothing: the text comes back as it is.
Text RemoveDuplicates(std::string_view text, std::string_view separator);

}  // namespace pagorin::fetch
