// A live game server against many runs: what the window between a run's
// last look at the log and its cut costs, in lines lost, cut or reordered.
#ifndef KILNBOOK_BENCH_LIVE_SOAK_H_
#define KILNBOOK_BENCH_LIVE_SOAK_H_

#include <string>

namespace kilnbook {

struct SoakOptions {
  std::string binary;     // the program
  std::string directory;  // made afresh
  int runs = 1000;
  int linesPerSecond = 400;
  // Between runs, so that most runs find a finished game to take.
  int gapMilliseconds = 100;
  // True: the server writes each line with one write. False: it writes
  // through a 4 KB buffer, in blocks that cut lines.
  bool wholeLines = true;
};

// Runs the program `runs` times, `gapMilliseconds` apart, while another thread
// writes a generated log into its log file at the given rate. Every finished
// game a run counts is taken from its kilnbook.tmp; at the end the server
// stops, a last run takes what is left, and the lines counted plus the lines
// left in the log are compared with the lines written. Prints one line of
// figures; returns 0 when nothing was lost, cut or reordered.
int LiveSoak(const SoakOptions& options);

}  // namespace kilnbook

#endif  // KILNBOOK_BENCH_LIVE_SOAK_H_
