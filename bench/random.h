// A small seeded generator whose sequence is the same on every platform and
// library, so a seed always names the same benchmark input.
#ifndef KILNBOOK_BENCH_RANDOM_H_
#define KILNBOOK_BENCH_RANDOM_H_

#include <cstdint>

namespace kilnbook {

// splitmix64: tiny, fast and good enough for test data. std::mt19937 would
// do too, but the standard distributions differ between libraries.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [0, `bound`); `bound` must be positive.
  uint32_t Below(uint32_t bound) {
    return static_cast<uint32_t>(Next() % bound);
  }

  // True with probability `percent` / 100.
  bool Chance(uint32_t percent) { return Below(100) < percent; }

 private:
  uint64_t state_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_BENCH_RANDOM_H_
