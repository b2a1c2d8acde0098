// Writes large kilnbook.dat files with realistic tallies, for benchmarks.
#ifndef KILNBOOK_BENCH_DAT_GENERATOR_H_
#define KILNBOOK_BENCH_DAT_GENERATOR_H_

#include <cstdint>
#include <string>

namespace kilnbook {

struct DatOptions {
  uint64_t seed = 1;
  int players = 1000;
  std::string serverName = "Bench";
};

// The complete text of a data file in the format FlushToDAT writes: the SRV
// line, one PLR line per player in byte-wise name order, an empty line.
// Most players have a few tallies and a few regulars have hundreds, as on a
// server that has run for years. The same options give the same bytes.
std::string DatText(const DatOptions& options);

}  // namespace kilnbook

#endif  // KILNBOOK_BENCH_DAT_GENERATOR_H_
