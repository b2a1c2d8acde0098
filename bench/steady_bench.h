// Whole runs on a server with a long history: the first run, which makes
// every page, a run with nothing new, and a run that takes one new game.
#ifndef KILNBOOK_BENCH_STEADY_BENCH_H_
#define KILNBOOK_BENCH_STEADY_BENCH_H_

#include <string>

namespace kilnbook {

struct SteadyResult {
  double firstSeconds = 0;    // every page made (no kilnbook.pages yet)
  double idleSeconds = 0;     // nothing new in the log
  double oneGameSeconds = 0;  // one new game of 24 players
  long peakKilobytes = 0;
  int listed = 0;  // player pages the first run made
};

// Medians of `reps` runs of `binary` each, in `root`/steady, on a data file
// of `players` generated players with the stylesheets of `stylesheets`.
SteadyResult BenchSteadyRuns(const std::string& binary, const std::string& root,
                             const std::string& stylesheets, int players,
                             int reps);

struct HistoryResult {
  double setupSeconds = 0;    // the run that counts the whole history
  double oneGameSeconds = 0;  // then one new game of 24 players
  long peakKilobytes = 0;
};

// The same server with EXTENDED_STATS on and a history of `games` kept
// games (counted by one run first): medians of `reps` runs that each take
// one new game of 24 players.
HistoryResult BenchHistoryRuns(const std::string& binary,
                               const std::string& root,
                               const std::string& stylesheets, int players,
                               int games, int reps);

}  // namespace kilnbook

#endif  // KILNBOOK_BENCH_STEADY_BENCH_H_
