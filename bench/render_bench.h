// The rendering scenario: kilnbook's player page loop against the bare
// libxslt work for the same documents and stylesheet.
#ifndef KILNBOOK_BENCH_RENDER_BENCH_H_
#define KILNBOOK_BENCH_RENDER_BENCH_H_

#include <string>

namespace kilnbook {

struct RenderResult {
  int pages = 0;
  double loopSeconds = 0;   // median of kilnbook's PlayerPages
  double floorSeconds = 0;  // median of parse + apply + serialise alone
  long peakKilobytes = 0;
};

// Loads a generated data file of `players` players, writes every player page
// with the stylesheets in `stylesheets`, and times the same transformations
// done directly with libxslt.
RenderResult BenchRender(const std::string& dir, const std::string& stylesheets,
                         int players, int reps);

}  // namespace kilnbook

#endif  // KILNBOOK_BENCH_RENDER_BENCH_H_
