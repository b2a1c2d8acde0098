// Installations laid out for runs that are killed, made to fail or disturbed
// by a live game server, and the state that one uninterrupted run leaves, to
// compare them with.
#ifndef KILNBOOK_TESTS_SUPPORT_RUN_FIXTURE_H_
#define KILNBOOK_TESTS_SUPPORT_RUN_FIXTURE_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/program_process.h"
#include "support/temp_dir.h"

namespace kilnbook {

// Relative path to content.
using Files = std::map<std::string, std::string>;

using Environment = std::vector<std::pair<std::string, std::string>>;

struct Scenario {
  const char* name;
  const char* config;
  std::vector<std::string> logs;
  std::vector<std::string> servers;  // server directories below out/
  bool extended = false;             // EXTENDED_STATS on
};

// Single server, two servers, two servers sharing one log, and the extended
// statistics. Every player is pruned from the pages, so that a run's file
// changes are mostly its own bookkeeping.
extern const std::vector<Scenario> kScenarios;

// Every point from 1 to `total` when there are few; otherwise the first
// ones, the last ones and an even spread between.
std::set<long> Points(long total);

class RunFixture : public TempDirTest {
 protected:
  // The state of `scenario` after an earlier run and more logging (start_),
  // and what one uninterrupted run makes of it (finished_).
  void Prepare(const Scenario& scenario, uint64_t bytes);

  // A working directory `name` holding `files`, ready for a run.
  std::string Lay(const std::string& name, const Files& files);

  // The logs and data files of an installation.
  Files Collect(const std::string& path) const;

  static void RunNormally(const std::string& path);

  // A run with the crash shim loaded and `environment` added.
  static ProcessStatus RunWith(const std::string& path,
                               Environment environment);

  // What the shim counts in an uninterrupted run of `files`: calls that
  // change a file, calls a failure can be injected into, and calls on the
  // log named `log` (when given).
  struct Counts {
    long changes = 0;
    long faultable = 0;
    long logCalls = 0;
  };
  Counts CountCalls(const Files& files, const std::string& log = "");

  // After an ordinary run following whatever happened in `path`: the files
  // of one uninterrupted run, and nothing of the save's own left behind.
  void ExpectFinished(const std::string& path);

  const Scenario* scenario_ = nullptr;
  Files start_;
  Files finished_;
};

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_RUN_FIXTURE_H_
