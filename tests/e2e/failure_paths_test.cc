// The paths that handle failures: a read or sync that fails, a journal that
// cannot be removed, a recovery that fails part way, a configuration
// replaced under a paused run, and journals that were not written by this
// server's save. Each ends, after ordinary runs, as one uninterrupted run
// does; a journal that does not belong is reported and changes nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "support/run_fixture.h"
#include "support/run_program.h"

namespace kilnbook {
namespace {

const char kMismatch[] =
    "The journal out/Main/kilnbook.journal does not match server Main: "
    "restore the configuration it was saved with, or remove it\n";

class FailurePathsTest : public RunFixture {
 protected:
  // The first point (a file change) at which a killed run leaves its
  // journal with the new data file still staged beside the old one.
  long KillPointBeforeRename() {
    long changes = CountCalls(start_).changes;
    for (long point = 1; point <= changes; ++point) {
      std::string path = Lay("probe", start_);
      RunWith(path, {{"KILNBOOK_CRASH_AT", std::to_string(point)}});
      if (FileExists(path + "/out/Main/kilnbook.journal") &&
          FileExists(path + "/out/Main/kilnbook.dat.tmp")) {
        return point;
      }
    }
    ADD_FAILURE() << "no run left its data file staged";
    return 0;
  }

  std::string Killed(const std::string& name, long point) {
    std::string path = Lay(name, start_);
    RunWith(path, {{"KILNBOOK_CRASH_AT", std::to_string(point)}});
    return path;
  }
};

TEST_F(FailurePathsTest, EveryFailureIsReportedAndKeepsTheGames) {
  struct Case {
    const char* what;
    const Scenario& scenario;
    Environment failure;
    std::string message;  // printed by the failing run
    bool interrupted;     // the failing run recovers a killed one
  };
  const Case cases[] = {
      {"read error on kilnbook.tmp",
       kScenarios[0],
       {{"KILNBOOK_FAIL_CALL", "read"},
        {"KILNBOOK_FAIL_SUFFIX", "kilnbook.tmp"}},
       "Failed to rewrite logfile: g.log\n",
       false},
      {"read error on the extended state",
       kScenarios[3],
       {{"KILNBOOK_FAIL_CALL", "read"},
        {"KILNBOOK_FAIL_SUFFIX", "kilnbook_extra.dat"}},
       "Failed to open datfile 'out/Main/kilnbook_extra.dat'\n",
       false},
      {"read error on the kept games",
       kScenarios[3],
       {{"KILNBOOK_FAIL_CALL", "read"},
        {"KILNBOOK_FAIL_SUFFIX", "kilnbook_games.dat"}},
       "Failed to open datfile 'out/Main/kilnbook_games.dat'\n",
       false},
      {"directory sync fails",
       kScenarios[0],
       {{"KILNBOOK_FAIL_CALL", "fsync"},
        {"KILNBOOK_FAIL_SUFFIX", "out/Main"},
        {"KILNBOOK_FAIL_TIMES", "0"}},
       "Failed to save datfile 'out/Main/kilnbook.journal'\n",
       false},
      {"journal cannot be removed",
       kScenarios[0],
       {{"KILNBOOK_FAIL_CALL", "unlink"},
        {"KILNBOOK_FAIL_SUFFIX", "kilnbook.journal"},
        {"KILNBOOK_FAIL_ERRNO", std::to_string(EACCES)}},
       "Failed to remove the journal: out/Main/kilnbook.journal\n",
       false},
      {"recovery cannot rename the staged file",
       kScenarios[0],
       {{"KILNBOOK_FAIL_CALL", "rename"},
        {"KILNBOOK_FAIL_SUFFIX", "kilnbook.dat"}},
       "Failed to recover the interrupted save: out/Main/kilnbook.journal\n",
       true},
      {"recovery cannot read the journal",
       kScenarios[0],
       {{"KILNBOOK_FAIL_CALL", "read"},
        {"KILNBOOK_FAIL_SUFFIX", "kilnbook.journal"}},
       "Failed to recover the interrupted save: out/Main/kilnbook.journal\n",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Prepare(c.scenario, 20000);
    std::string path = c.interrupted
                           ? Killed("failing", KillPointBeforeRename())
                           : Lay("failing", start_);
    std::string staged = ReadFile(path + "/out/Main/kilnbook.dat.tmp");
    ProcessStatus status = RunWith(path, c.failure);
    EXPECT_TRUE(status.exited && status.exitStatus == 0);
    std::string out = ReadFile(path + "/run.out");

    EXPECT_NE(out.find(c.message), std::string::npos) << out;
    if (c.interrupted) {
      // Nothing the failed recovery needs is gone.
      EXPECT_EQ(ReadFile(path + "/out/Main/kilnbook.dat.tmp"), staged);
      EXPECT_TRUE(FileExists(path + "/out/Main/kilnbook.journal"));
    }
    ExpectFinished(path);
    // The run after the failure says it recovered only when it did.
    RunOptions again;
    again.workingDirectory = path;
    EXPECT_EQ(RunKilnbook(again).out.find("Recovered"), std::string::npos);
  }
}

// A server directory that takes no new file (no free inode) cannot be
// saved to: the games stay in the log, and the pages still show the
// extended statistics that the state file holds.
TEST_F(FailurePathsTest, DirectoryWithoutRoomKeepsGamesAndPages) {
  Prepare(kScenarios[3], 20000);
  std::string path = Lay("full", start_);
  ProcessStatus status =
      RunWith(path, {{"KILNBOOK_FAIL_CALL", "open"},
                     {"KILNBOOK_FAIL_SUFFIX", "out/Main"},
                     {"KILNBOOK_FAIL_ERRNO", std::to_string(ENOSPC)},
                     {"KILNBOOK_FAIL_TIMES", "0"}});
  EXPECT_TRUE(status.exited && status.exitStatus == 0);
  EXPECT_EQ(ReadFile(path + "/run.out")
                .rfind("Failed to open datfile 'out/Main/kilnbook.dat'\n", 0),
            0u);
  EXPECT_EQ(ReadFile(path + "/g.log"), start_["g.log"]);
  EXPECT_NE(ReadFile(path + "/out/Main/kilnbook.html").find("<MAPS>"),
            std::string::npos);
  ExpectFinished(path);
}

// A missing kilnbook.dmp, and lines the server wrote since the interruption,
// do not keep a recovery from finishing.
TEST_F(FailurePathsTest, RecoveryNeedsNoDumpFile) {
  Prepare(kScenarios[0], 20000);
  const std::string late = "  0:00 say: written after the interruption\n";
  Files withLate = start_;
  withLate["g.log"] += late;
  std::string reference = Lay("reference", withLate);
  RunNormally(reference);
  finished_ = Collect(reference);
  long point = KillPointBeforeRename();
  std::string path = Killed("recovering", point);
  ASSERT_EQ(unlink((path + "/kilnbook.dmp").c_str()), 0);
  WriteFile(path + "/g.log", ReadFile(path + "/g.log") + late);
  RunOptions options;
  options.workingDirectory = path;
  EXPECT_NE(RunKilnbook(options).out.find("Recovered the interrupted save"),
            std::string::npos);
  ExpectFinished(path);
}

// The run lock holds whatever happens to the configuration file: replaced
// by a rename while a run is paused between reading the data file and
// splitting the log, it lets no second run in.
TEST_F(FailurePathsTest, ConfigurationReplacedUnderAPausedRun) {
  Prepare(kScenarios[0], 20000);
  std::string path = Lay("paused", start_);
  ProgramProcess first(
      path, path + "/first.out",
      {{"LD_PRELOAD", KILNBOOK_CRASH_SHIM},
       {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"},
       {"KILNBOOK_APPEND_LOG", "g.log"},
       {"KILNBOOK_PAUSE_AT", "1"}});
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!first.Stopped() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(first.Stopped());
  WriteFile(path + "/kilnbook.cfg.new", ReadFile(path + "/kilnbook.cfg"));
  ASSERT_EQ(rename((path + "/kilnbook.cfg.new").c_str(),
                   (path + "/kilnbook.cfg").c_str()),
            0);
  struct stat directory {};
  ASSERT_EQ(stat(path.c_str(), &directory), 0);
  ProgramProcess second(path, path + "/second.out");
  ProcessStatus status;
  while (!WaitsForLock(second.pid(), directory.st_ino) &&
         std::chrono::steady_clock::now() < deadline) {
    ASSERT_FALSE(second.Poll(status)) << "a second run got in";
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_FALSE(second.Poll(status)) << "a second run got in";
  kill(first.pid(), SIGCONT);
  EXPECT_EQ(first.Wait().exitStatus, 0);
  EXPECT_EQ(second.Wait().exitStatus, 0);
  ExpectFinished(path);
}

// Journals this server's save did not write: crafted ones naming files
// outside the server directory, another server's, one restored from a
// backup. Each is reported, no file changes, and the server waits until the
// admin removes the journal; then it goes on as if nothing happened.
TEST_F(FailurePathsTest, ForeignJournalsChangeNothing) {
  Prepare(kScenarios[0], 20000);
  std::string journal = ReadFile(Killed("donor", KillPointBeforeRename()) +
                                 "/out/Main/kilnbook.journal");
  // A journal of this format, valid but for what it asks.
  auto crafted = [](const std::string& body) {
    std::string text = "kilnbook journal 2\n" + body;
    return text;
  };
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"an earlier version's, naming a path outside",
       "kilnbook journal 1\nfile 00000000000000000000000000000000 "
       "12:../../victim\n"},
      {"this version's, naming a file outside",
       crafted("server 00000000000000000000000000000000\nfile 9:../victim "
               "00000000000000000000000000000000\n")},
      {"restored from a backup, its staged file gone", journal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = Lay("foreign", start_);
    WriteFile(path + "/victim", "keep\n");
    WriteFile(path + "/victim.tmp", "attack\n");
    WriteFile(path + "/out/Main/kilnbook.journal", c.text);
    RunOptions options;
    options.workingDirectory = path;
    EXPECT_NE(RunKilnbook(options).out.find(kMismatch), std::string::npos);
    Files after = Collect(path);
    EXPECT_EQ(after["g.log"], start_["g.log"]);
    EXPECT_EQ(after["out/Main/kilnbook.dat"], start_["out/Main/kilnbook.dat"]);
    EXPECT_EQ(ReadFile(path + "/victim"), "keep\n");
    EXPECT_EQ(ReadFile(path + "/victim.tmp"), "attack\n");
    EXPECT_EQ(ReadFile(path + "/out/Main/kilnbook.journal"), c.text);
    ASSERT_EQ(unlink((path + "/out/Main/kilnbook.journal").c_str()), 0);
    ExpectFinished(path);
  }
}

}  // namespace
}  // namespace kilnbook
