// Runs killed with SIGKILL at every point where they change a file, then
// followed by a normal run: the statistics and the log must come out as the
// design promises.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "log_generator.h"
#include "support/program_process.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

constexpr char kConfig[] =
    "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\nMIN_KILLS 1000000000\n";
constexpr char kData[] = "out/Main/kilnbook.dat";

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

// The files of an installation between two runs.
struct Snapshot {
  std::string log;
  std::string data;
};

class CrashTest : public TempDirTest {
 protected:
  // A directory `name` holding `state`, ready for a run.
  std::string Lay(const std::string& name, const Snapshot& state) {
    std::string path = dir() + "/" + name;
    EXPECT_EQ(mkdir(path.c_str(), 0755), 0);
    EXPECT_EQ(mkdir((path + "/out").c_str(), 0755), 0);
    EXPECT_EQ(mkdir((path + "/out/Main").c_str(), 0755), 0);
    WriteFile(path + "/kilnbook.cfg", kConfig);
    WriteFile(path + "/g.log", state.log);
    if (!state.data.empty()) {
      WriteFile(path + "/" + kData, state.data);
    }
    return path;
  }

  static void RunNormally(const std::string& path) {
    RunOptions options;
    options.workingDirectory = path;
    ASSERT_EQ(RunKilnbook(options).exitStatus, 0);
  }

  static ProcessStatus RunCrashing(const std::string& path, long point,
                                   const std::string& countFile = "") {
    std::vector<std::pair<std::string, std::string>> environment = {
        {"LD_PRELOAD", KILNBOOK_CRASH_SHIM},
        {"KILNBOOK_CRASH_AT", std::to_string(point)},
        // The shim must come before a sanitizer runtime in a checked build.
        {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"}};
    if (!countFile.empty()) {
      environment.emplace_back("KILNBOOK_CRASH_COUNT", countFile);
    }
    ProgramProcess run(path, path + "/run.out", environment);
    return run.Wait();
  }
};

TEST_F(CrashTest, KilledAtEveryFileChangeLosesNothingTwice) {
  LogOptions options;
  options.seed = 11;
  options.players = 8;
  options.killsPerGame = 60;
  options.targetBytes = 20000;
  std::string log = LogGenerator(options).Text();
  // Earlier runs consumed the first part; the server has written the rest
  // since: the end of the game that was unfinished, more games, a new tail.
  size_t cut = log.find("ShutdownGame:");
  cut = log.find("ShutdownGame:", cut + 1);
  cut = log.find("Kill:", cut + 1);
  cut = log.find('\n', cut) + 1;
  std::string before = Lay("before", {log.substr(0, cut), ""});
  RunNormally(before);
  Snapshot start{ReadFile(before + "/g.log") + log.substr(cut),
                 ReadFile(before + "/" + kData)};
  ASSERT_NE(start.data.find("PLR|"), std::string::npos);

  std::string reference = Lay("reference", start);
  RunNormally(reference);
  const std::string finished = ReadFile(reference + "/" + kData);
  const std::vector<std::string> tail =
      NonEmptyLines(ReadFile(reference + "/g.log"));
  ASSERT_NE(finished, start.data);
  ASSERT_FALSE(tail.empty());

  std::string counting = Lay("counting", start);
  ProcessStatus counted = RunCrashing(counting, 0, counting + "/count");
  ASSERT_TRUE(counted.exited);
  long total = std::atol(ReadFile(counting + "/count").c_str());
  ASSERT_GT(total, 3);

  // Every point when there are few; otherwise the first ones, the last ones
  // (where the log is rewritten and the data file replaced) and an even
  // spread between (the copying of the finished games).
  std::set<long> points;
  for (long point = 1; point <= total + 1; ++point) {
    if (total <= 80 || point <= 15 || point > total - 45 ||
        point % (total / 20) == 0) {
      points.insert(point);
    }
  }
  int lostBatches = 0;
  int tailOnlyInDump = 0;
  for (long point : points) {
    SCOPED_TRACE("killed before file change " + std::to_string(point) +
                 " of " + std::to_string(total));
    std::string path = Lay("crash" + std::to_string(point), start);
    ProcessStatus status = RunCrashing(path, point);
    EXPECT_TRUE(status.signal == SIGKILL || point > total);

    // The data file is always a complete old or new one.
    std::string data = ReadFile(path + "/" + kData);
    ASSERT_TRUE(data == start.data || data == finished) << data;
    // The log keeps every line that was not moved out: either it was not
    // consumed yet, or it holds exactly the unfinished game.
    std::vector<std::string> lines = NonEmptyLines(ReadFile(path + "/g.log"));
    bool consumed = lines == tail;
    if (!consumed && lines != NonEmptyLines(start.log)) {
      // Killed between truncating the log and writing its tail back: the
      // tail is then in kilnbook.dmp.
      ASSERT_EQ(NonEmptyLines(ReadFile(path + "/kilnbook.dmp")), tail);
      ++tailOnlyInDump;
      consumed = true;
    }

    RunNormally(path);
    std::string after = ReadFile(path + "/" + kData);
    if (!consumed || data == finished) {
      EXPECT_EQ(after, finished);
    } else {
      // The games were moved out of the log but the run died before saving
      // them: they are lost, never counted twice.
      EXPECT_EQ(after, start.data);
      ++lostBatches;
    }
  }
  RecordProperty("points", static_cast<int>(points.size()));
  RecordProperty("lost_batches", lostBatches);
  RecordProperty("tail_only_in_dump", tailOnlyInDump);
}

}  // namespace
}  // namespace kilnbook
