// The page the benchmark searches: lines of mixed GBK and ASCII text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pagorin::bench {

// Exactly `size` bytes (at least 20) of lines ending "\r\n", 20 to 220 bytes long.
// The same seed gives the same lines, so a smaller page matches a larger one up to
// its last few lines.
std::string MakePage(size_t size, uint64_t seed);

}  // namespace pagorin::bench
