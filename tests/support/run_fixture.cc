#include "support/run_fixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "log_generator.h"
#include "support/echo_stylesheet.h"
#include "support/run_program.h"

namespace kilnbook {

const std::vector<Scenario> kScenarios = {
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

namespace {

// The extended statistics' state without the times players were seen, which
// are those of the run that saved them.
std::string WithoutSeenTimes(const std::string& state) {
  static const std::regex kSeen("(\n)PLR\\|([^|]*)\\|[0-9]*\\|[0-9]*\\|");
  return std::regex_replace(state, kSeen, "$1PLR|$2|||");
}

// The kept games without the time of the run that counted each game.
std::string WithoutRunTimes(const std::string& games) {
  static const std::regex kRunTime("(\n)GAM\\|([0-9]+)\\|[0-9]+\\|");
  return std::regex_replace(games, kRunTime, "$1GAM|$2|0|");
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

}  // namespace

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

void RunFixture::Prepare(const Scenario& scenario, uint64_t bytes) {
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
    // The run adds games to those of the earlier run.
    const std::string& games = finished_["out/Main/kilnbook_games.dat"];
    ASSERT_NE(games.find("\nGAM|1|0|"), std::string::npos) << games;
    ASSERT_NE(games, start_["out/Main/kilnbook_games.dat"]);
  }
  bool counts = false;
  for (const std::string& server : scenario.servers) {
    std::string data = "out/" + server + "/kilnbook.dat";
    counts = counts || finished_[data] != start_[data];
  }
  ASSERT_TRUE(counts) << "the run counts nothing";
}

std::string RunFixture::Lay(const std::string& name, const Files& files) {
  std::string path = dir() + "/" + name;
  EXPECT_EQ(system(("rm -rf '" + path + "'").c_str()), 0);
  EXPECT_EQ(mkdir(path.c_str(), 0755), 0);
  EXPECT_EQ(mkdir((path + "/out").c_str(), 0755), 0);
  WriteFile(path + "/kilnbook.cfg", scenario_->config);
  WriteFile(path + "/out/kilnbook.xsl", kEchoStylesheet);
  WriteFile(path + "/out/kilnbook_front.xsl", kEchoStylesheet);
  for (const auto& [file, content] : files) {
    std::filesystem::path target = path + "/" + file;
    std::filesystem::create_directories(target.parent_path());
    WriteFile(target.string(), content);
  }
  return path;
}

Files RunFixture::Collect(const std::string& path) const {
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
      std::string games = "out/" + server + "/kilnbook_games.dat";
      files[games] = WithoutRunTimes(ReadFile(path + "/" + games));
    }
  }
  return files;
}

void RunFixture::RunNormally(const std::string& path) {
  RunOptions options;
  options.workingDirectory = path;
  ASSERT_EQ(RunKilnbook(options).exitStatus, 0);
}

ProcessStatus RunFixture::RunWith(const std::string& path,
                                  Environment environment) {
  // The shim must come before a sanitizer runtime in a checked build.
  environment.emplace_back("LD_PRELOAD", KILNBOOK_CRASH_SHIM);
  environment.emplace_back("ASAN_OPTIONS",
                           "verify_asan_link_order=0:detect_leaks=0");
  ProgramProcess run(path, path + "/run.out", environment);
  return run.Wait();
}

RunFixture::Counts RunFixture::CountCalls(const Files& files,
                                          const std::string& log) {
  std::string path = Lay("counting", files);
  Environment environment = {{"KILNBOOK_CRASH_COUNT", path + "/count"}};
  if (!log.empty()) {
    environment.emplace_back("KILNBOOK_APPEND_LOG", log);
  }
  RunWith(path, environment);
  std::string text = ReadFile(path + "/count");
  Counts counts;
  char* next = text.data();
  counts.changes = std::strtol(next, &next, 10);
  counts.faultable = std::strtol(next, &next, 10);
  counts.logCalls = std::strtol(next, &next, 10);
  return counts;
}

void RunFixture::ExpectFinished(const std::string& path) {
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
    for (const std::string& entry : DirectoryEntries(path + "/out/" + server)) {
      EXPECT_TRUE(entry.find(".tmp") == std::string::npos &&
                  entry.find("journal") == std::string::npos)
          << server << "/" << entry;
    }
  }
}

}  // namespace kilnbook
