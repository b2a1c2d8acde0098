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

#include "support/program_process.h"
#include "support/run_fixture.h"

namespace kilnbook {
namespace {

class CrashTest : public RunFixture {};

TEST_F(CrashTest, KilledAtEveryFileChangeEndsAsOneRun) {
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    Prepare(scenario, 20000);
    long total = CountCalls(start_).changes;
    ASSERT_GT(total, 10);
    for (long point : Points(total + 1)) {
      SCOPED_TRACE("killed before file change " + std::to_string(point) +
                   " of " + std::to_string(total));
      std::string path =
          Lay(std::string("kill") + std::to_string(point), start_);
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
    long faultable = CountCalls(start_).faultable;
    ASSERT_GT(faultable, 10);
    for (const Failure& failure : failures) {
      for (long point : Points(faultable)) {
        SCOPED_TRACE(std::string(failure.what) + " at call " +
                     std::to_string(point) + " of " +
                     std::to_string(faultable));
        std::string path = Lay(std::string("fail") + std::to_string(point) +
                                   "-" + std::to_string(failure.error),
                               start_);
        Environment environment = {
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
      0,
      std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
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
