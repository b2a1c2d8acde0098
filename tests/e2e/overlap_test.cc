// Runs that overlap: the second waits for the first and then does its work.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "log_generator.h"
#include "support/program_process.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

class OverlapTest : public TempDirTest {};

// The lock is the working directory's own: replacing the configuration by a
// rename, as editors do, while a run holds it lets no second run start.
TEST_F(OverlapTest, RunWaitsWhileAnotherHoldsTheLock) {
  for (bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "configuration replaced" : "as it is");
    ASSERT_EQ(system(("rm -rf '" + dir() + "'/*").c_str()), 0);
    WriteFile("kilnbook.cfg", "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\n");
    ASSERT_EQ(mkdir("out", 0755), 0);
    int held = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    struct stat info {};
    ASSERT_EQ(fstat(held, &info), 0);
    if (replaced) {
      WriteFile("kilnbook.cfg.new", ReadFile("kilnbook.cfg"));
      ASSERT_EQ(rename("kilnbook.cfg.new", "kilnbook.cfg"), 0);
    }

    ProgramProcess run(dir(), dir() + "/run.out");
    // Wait until the run is seen blocked on the lock. Only a run that ends
    // while the lock is held fails this test; a slow machine merely waits
    // longer (and, past the deadline, goes on without having seen it block).
    ProcessStatus status;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!WaitsForLock(run.pid(), info.st_ino) &&
           std::chrono::steady_clock::now() < deadline) {
      ASSERT_FALSE(run.Poll(status))
          << "the run finished while the lock was held";
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(run.Poll(status))
        << "the run finished while the lock was held";
    EXPECT_FALSE(FileExists("out/Main")) << "the run started its work";
    EXPECT_FALSE(FileExists("g.log"));

    close(held);
    status = run.Wait();
    EXPECT_TRUE(status.exited);
    EXPECT_EQ(status.exitStatus, 0);
    EXPECT_TRUE(FileExists("out/Main/kilnplayers"));
    EXPECT_EQ(ReadFile("run.out.err"), "");
  }
}

TEST_F(OverlapTest, RunWithoutConfigurationIsNotBlocked) {
  // Nothing to lock: the run reports the missing file and goes on.
  ProgramProcess run(dir(), dir() + "/run.out");
  ProcessStatus status = run.Wait();
  EXPECT_TRUE(status.exited);
  EXPECT_EQ(status.exitStatus, 0);
  EXPECT_EQ(
      ReadFile("run.out").rfind("Failed to open cfg file (kilnbook.cfg).\n", 0),
      0u);
}

// Two runs started at once over one log end exactly like two runs one after
// the other: every finished game counted once, the unfinished one kept.
TEST_F(OverlapTest, TwoRunsAtOnceCountEachGameOnce) {
  LogOptions options;
  options.seed = 7;
  options.players = 12;
  options.killsPerGame = 120;
  options.targetBytes = 150000;
  std::string log = LogGenerator(options).Text();
  for (const char* name : {"serial", "parallel"}) {
    ASSERT_EQ(mkdir(name, 0755), 0);
    ASSERT_EQ(mkdir((std::string(name) + "/out").c_str(), 0755), 0);
    WriteFile(std::string(name) + "/kilnbook.cfg",
              "PATH out/\nSERVER_NAME Main\nLOGFILE g.log\n");
    WriteFile(std::string(name) + "/g.log", log);
  }
  RunOptions serial;
  serial.workingDirectory = dir() + "/serial";
  EXPECT_EQ(RunKilnbook(serial).exitStatus, 0);
  EXPECT_EQ(RunKilnbook(serial).exitStatus, 0);

  std::string parallel = dir() + "/parallel";
  ProgramProcess first(parallel, parallel + "/first.out");
  ProgramProcess second(parallel, parallel + "/second.out");
  ProcessStatus firstStatus = first.Wait();
  ProcessStatus secondStatus = second.Wait();
  EXPECT_EQ(firstStatus.exitStatus, 0);
  EXPECT_EQ(secondStatus.exitStatus, 0);

  std::string data = ReadFile("serial/out/Main/kilnbook.dat");
  EXPECT_NE(data.find("PLR|"), std::string::npos) << "no game was counted";
  EXPECT_EQ(ReadFile("parallel/out/Main/kilnbook.dat"), data);
  EXPECT_EQ(ReadFile("parallel/g.log"), ReadFile("serial/g.log"));
}

}  // namespace
}  // namespace kilnbook
