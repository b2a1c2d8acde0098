// Runs that stop at every point where they change a file (killed with
// SIGKILL, or a write, truncate, sync or rename failing as a full or failing
// disk does), each followed by an ordinary run: every data file and log must
// then be what one uninterrupted run leaves, in single-server mode, with two
// servers, and with two servers sharing one log.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "log_generator.h"
#include "support/echo_stylesheet.h"
#include "support/program_process.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

// Relative path to content.
using Files = std::map<std::string, std::string>;

struct Scenario {
  const char* name;
  const char* config;
  std::vector<std::string> logs;
  std::vector<std::string> servers;  // server directories below out/
  bool extended = false;             // EXTENDED_STATS on
};

// Every player is pruned from the pages, so that a run's file changes are
// mostly its own bookkeeping: the pre-pass, the save, the log rewrite and the
// seven pages of each server.
const Scenario kScenarios[] = {
    {"single server",
     "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\nMIN_KILLS 1000000000\n",
     {"g.log"},
     {"Main"}},
    {"two servers",
     "PATH out/\nMIN_KILLS 1000000000\nMULTI [N]A [A]a [L]a.log \n"
     "MULTI [N]B [A]b [L]b.log \n",
     {"a.log", "b.log"},
     {"A", "B"}},
    {"two servers, one log",
     "PATH out/\nMIN_KILLS 1000000000\nMULTI [N]A [A]a [L]g.log \n"
     "MULTI [N]B [A]b [L]g.log \n",
     {"g.log"},
     {"A", "B"}},
    {"extended statistics",
     "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\nMIN_KILLS 1000000000\n"
     "EXTENDED_STATS 1\n",
     {"g.log"},
     {"Main"},
     true},
};

// The extended statistics' state without the times players were seen, which
// are those of the run that saved them.
std::string WithoutSeenTimes(const std::string& state) {
  static const std::regex kSeen("(\n)PLR\\|([^|]*)\\|[0-9]*\\|[0-9]*\\|");
  return std::regex_replace(state, kSeen, "$1PLR|$2|||");
}

std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    if (end > start) {
      lines.push_back(text.substr(start, end - start));
    }
    start = end + 1;
  }
  return lines;
}

// A log of `bytes` whose first part a run has consumed already: the end of
// the game that was unfinished then, more games, a new unfinished game.
struct GrowingLog {
  std::string consumed;  // what the earlier run saw
  std::string appended;  // written by the server since
};

GrowingLog MakeLog(uint64_t seed, uint64_t bytes) {
  LogOptions options;
  options.seed = seed;
  options.players = 8;
  options.killsPerGame = 60;
  options.targetBytes = bytes;
  std::string log = LogGenerator(options).Text();
  size_t cut = log.find("ShutdownGame:");
  cut = log.find("ShutdownGame:", cut + 1);
  cut = log.find("Kill:", cut + 1);
  cut = log.find('\n', cut) + 1;
  return {log.substr(0, cut), log.substr(cut)};
}

std::vector<std::pair<std::string, std::string>> ShimEnvironment() {
  // The shim must come before a sanitizer runtime in a checked build.
  return {{"LD_PRELOAD", KILNBOOK_CRASH_SHIM},
          {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"}};
}

class CrashTest : public TempDirTest {
 protected:
  // The state of `scenario` after an earlier run and more logging, and
  // what one uninterrupted run makes of it.
  void Prepare(const Scenario& scenario, uint64_t bytes) {
    scenario_ = &scenario;
    std::map<std::string, GrowingLog> logs;
    uint64_t seed = 11;
    for (const std::string& log : scenario.logs) {
      logs[log] = MakeLog(seed++, bytes);
    }
    Files before;
    for (const auto& [path, log] : logs) {
      before[path] = log.consumed;
    }
    std::string earlier = Lay("earlier", before);
    RunNormally(earlier);
    start_ = Collect(earlier);
    for (const auto& [path, log] : logs) {
      start_[path] += log.appended;
    }
    std::string reference = Lay("reference", start_);
    RunNormally(reference);
    finished_ = Collect(reference);
    if (scenario.extended) {
      ASSERT_NE(finished_["out/Main/kilnbook_extra.dat"].find("\nPLR|"),
                std::string::npos);
    }
    bool counts = false;
    for (const std::string& server : scenario.servers) {
      std::string data = "out/" + server + "/kilnbook.dat";
      counts = counts || finished_[data] != start_[data];
    }
    ASSERT_TRUE(counts) << "the run counts nothing";
  }

  // A working directory `name` holding `files`, ready for a run.
  std::string Lay(const std::string& name, const Files& files) {
    std::string path = dir() + "/" + name;
    EXPECT_EQ(mkdir(path.c_str(), 0755), 0);
    EXPECT_EQ(mkdir((path + "/out").c_str(), 0755), 0);
    WriteFile(path + "/kilnbook.cfg", scenario_->config);
    WriteFile(path + "/out/kilnbook.xsl", kEchoStylesheet);
    WriteFile(path + "/out/kilnbook_front.xsl", kEchoStylesheet);
    for (const auto& [file, content] : files) {
      WriteFile(path + "/" + file, content);
    }
    return path;
  }

  // The logs and data files of an installation.
  Files Collect(const std::string& path) const {
    Files files;
    for (const std::string& log : scenario_->logs) {
      files[log] = ReadFile(path + "/" + log);
    }
    for (const std::string& server : scenario_->servers) {
      std::string data = "out/" + server + "/kilnbook.dat";
      files[data] = ReadFile(path + "/" + data);
      if (scenario_->extended) {
        std::string extra = "out/" + server + "/kilnbook_extra.dat";
        files[extra] = WithoutSeenTimes(ReadFile(path + "/" + extra));
      }
    }
    return files;
  }

  static void RunNormally(const std::string& path) {
    RunOptions options;
    options.workingDirectory = path;
    ASSERT_EQ(RunKilnbook(options).exitStatus, 0);
  }

  static ProcessStatus RunWith(
      const std::string& path,
      std::vector<std::pair<std::string, std::string>> environment) {
    for (auto& entry : ShimEnvironment()) {
      environment.push_back(entry);
    }
    ProgramProcess run(path, path + "/run.out", environment);
    return run.Wait();
  }

  // The calls the shim counts in an uninterrupted run of the start state:
  // those that change a file, and those a failure can be injected into.
  std::pair<long, long> CountCalls() {
    std::string path = Lay("counting", start_);
    RunWith(path, {{"KILNBOOK_CRASH_COUNT", path + "/count"}});
    std::string counts = ReadFile(path + "/count");
    size_t newline = counts.find('\n');
    return {std::atol(counts.c_str()),
            std::atol(counts.c_str() + newline + 1)};
  }

  // After an ordinary run following whatever happened in `path`: the files
  // of one uninterrupted run, and nothing of the save's own left behind.
  void ExpectFinished(const std::string& path) {
    RunNormally(path);
    Files files = Collect(path);
    for (const auto& [file, content] : finished_) {
      if (file.find(".log") != std::string::npos) {
        EXPECT_EQ(NonEmptyLines(files[file]), NonEmptyLines(content)) << file;
      } else {
        EXPECT_EQ(files[file], content) << file;
      }
    }
    for (const std::string& server : scenario_->servers) {
      for (const std::string& entry :
           DirectoryEntries(path + "/out/" + server)) {
        EXPECT_TRUE(entry.find(".tmp") == std::string::npos &&
                    entry.find("journal") == std::string::npos)
            << server << "/" << entry;
      }
    }
  }

  const Scenario* scenario_ = nullptr;
  Files start_;
  Files finished_;
};

// Every point when there are few; otherwise the first ones, the last ones
// and an even spread between.
std::set<long> Points(long total) {
  std::set<long> points;
  for (long point = 1; point <= total; ++point) {
    if (total <= 120 || point <= 20 || point > total - 60 ||
        point % (total / 40) == 0) {
      points.insert(point);
    }
  }
  return points;
}

TEST_F(CrashTest, KilledAtEveryFileChangeEndsAsOneRun) {
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    Prepare(scenario, 20000);
    auto [total, faultable] = CountCalls();
    ASSERT_GT(total, 10);
    for (long point : Points(total + 1)) {
      SCOPED_TRACE("killed before file change " + std::to_string(point) +
                   " of " + std::to_string(total));
      std::string path = Lay(std::string("kill") + std::to_string(point), start_);
      ProcessStatus status =
          RunWith(path, {{"KILNBOOK_CRASH_AT", std::to_string(point)}});
      EXPECT_TRUE(status.signal == SIGKILL || point > total);
      ExpectFinished(path);
    }
    ASSERT_EQ(system(("rm -rf '" + dir() + "'/*").c_str()), 0);
  }
}

TEST_F(CrashTest, FailedWriteSyncOrRenameEndsAsOneRun) {
  struct Failure {
    const char* what;
    int error;
    bool persists;  // a full disk stays full for the rest of the run
  };
  const Failure failures[] = {{"disk full", ENOSPC, true},
                              {"input/output error", EIO, false}};
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    Prepare(scenario, 20000);
    long faultable = CountCalls().second;
    ASSERT_GT(faultable, 10);
    for (const Failure& failure : failures) {
      for (long point : Points(faultable)) {
        SCOPED_TRACE(std::string(failure.what) + " at call " +
                     std::to_string(point) + " of " +
                     std::to_string(faultable));
        std::string path = Lay(std::string("fail") + std::to_string(point) +
                                   "-" + std::to_string(failure.error),
                               start_);
        std::vector<std::pair<std::string, std::string>> environment = {
            {"KILNBOOK_FAIL_AT", std::to_string(point)},
            {"KILNBOOK_FAIL_ERRNO", std::to_string(failure.error)}};
        if (failure.persists) {
          environment.emplace_back("KILNBOOK_FAIL_FROM", "1");
        }
        ProcessStatus status = RunWith(path, environment);
        EXPECT_TRUE(status.exited && status.exitStatus == 0);
        ExpectFinished(path);
      }
    }
    ASSERT_EQ(system(("rm -rf '" + dir() + "'/*").c_str()), 0);
  }
}

// Killed at random instants of a run over a backlog of many games.
TEST_F(CrashTest, KilledAtRandomInstantsEndsAsOneRun) {
  Prepare(kScenarios[0], 4 << 20);
  auto started = std::chrono::steady_clock::now();
  RunNormally(Lay("timing", start_));
  auto duration = std::chrono::steady_clock::now() - started;
  std::mt19937 random(12);
  std::uniform_int_distribution<int64_t> instant(
      0, std::chrono::duration_cast<std::chrono::microseconds>(duration)
             .count());
  for (int trial = 0; trial < 12; ++trial) {
    int64_t after = instant(random);
    SCOPED_TRACE("killed after " + std::to_string(after) + " us");
    std::string path = Lay("random" + std::to_string(trial), start_);
    {
      ProgramProcess run(path, path + "/run.out");
      std::this_thread::sleep_for(std::chrono::microseconds(after));
      kill(run.pid(), SIGKILL);
      run.Wait();
    }
    ExpectFinished(path);
  }
}

}  // namespace
}  // namespace kilnbook
