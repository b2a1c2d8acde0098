// The rendering scenario: kilnbook's player page loop against the bare
// libxslt work for the same documents and stylesheet.
#ifndef KILNBOOK_BENCH_RENDER_BENCH_H_
#define KILNBOOK_BENCH_RENDER_BENCH_H_

#include <string>

#include "report/sort_type.h"

namespace kilnbook {

struct RenderResult {
  int pages = 0;
  double loopSeconds = 0;   // median of PlayerPagesOneAtATime
  double floorSeconds = 0;  // median of parse + apply + serialise alone
  long peakKilobytes = 0;
};

// Loads a generated data file of `players` players, writes every player page
// with the stylesheets in `stylesheets`, and times the same transformations
// done directly with libxslt.
RenderResult BenchRender(const std::string& dir, const std::string& stylesheets,
                         int players, int reps);

// The main document the program builds for `type` from a generated data
// file large enough that at least `players` players are listed (the
// table's own two records among them).
std::string GeneratedMainDocument(int players, SortType type);

// The player document of the generated player with the most tallies.
std::string GeneratedBusiestPlayerDocument(int players);

struct PageResult {
  int players = 0;            // PLAYER blocks in the document(s)
  double seconds = 0;         // median of one transformation
  double averageSeconds = 0;  // player pages: median per-page time of all
};

// The main page of GeneratedMainDocument(`players`), sorted by score,
// through the compiled `stylesheets`/kilnbook.xsl: median of `reps`
// transformations.
PageResult BenchMainPage(const std::string& stylesheets, int players, int reps);

// Player pages through the compiled `stylesheets`/kilnbook_player.xsl: the
// busiest player's page (median of `busiestReps` batches of ten) and the
// average page of all `players` (median of `passes` passes over every
// document).
PageResult BenchPlayerPage(const std::string& stylesheets, int players,
                           int busiestReps, int passes);

}  // namespace kilnbook

#endif  // KILNBOOK_BENCH_RENDER_BENCH_H_
