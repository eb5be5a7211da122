// A small fixed-seed generator, so every run measures the very same page and keywords.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pagorin::bench {

class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}

    // SplitMix64: fast, well mixed, and the same sequence on every platform.
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, bound); the modulo bias is far too small to matter here.
    size_t below(size_t bound) { return static_cast<size_t>(next() % bound); }

    // Uniform in [low, high].
    size_t between(size_t low, size_t high) { return low + below(high - low + 1); }

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // An index in [0, size) where small indexes are far more likely, as the common
    // words and characters of real text are: index 0 comes about 1/sqrt(size) of the time.
    size_t skewed(size_t size) {
        double u = unit();
        return static_cast<size_t>(static_cast<double>(size) * u * u);
    }

  private:
    uint64_t state_;
};

}  // namespace pagorin::bench
