// Runs the built program in a temporary directory and checks what it leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

class RunTest : public TempDirTest {
 protected:
  RunResult Run(int umaskValue = 022) {
    RunOptions options;
    options.workingDirectory = dir();
    options.umask = umaskValue;
    return RunKilnbook(options);
  }
};

TEST_F(RunTest, ArgumentsAreIgnoredAndExitIsZero) {
  WriteFile("kilnbook.cfg", "SERVER_NAME Main\nLOGFILE g.log\n");
  RunOptions options;
  options.workingDirectory = dir();
  options.arguments = {"--help", "-x", "whatever"};
  RunResult result = RunKilnbook(options);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(FileExists("Main/kilnplayers"));
}

TEST_F(RunTest, MissingConfigurationStaysInWorkingDirectory) {
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out.rfind("Failed to open cfg file (kilnbook.cfg).\n", 0),
            0u)
      << result.out;
  // The empty server name and PATH map to the working directory itself.
  EXPECT_TRUE(FileExists("kilnplayers"));
  EXPECT_FALSE(FileExists("/kilnplayers"));
}

TEST_F(RunTest, MultiServerConfigurationMakesOnlyTheMultiDirectories) {
  WriteFile("kilnbook.cfg",
            "PATH stats/\n"
            "SERVER_NAME Solo\n"
            "MULTI [N]Second [A]2.2.2.2 [L]second.log \n"
            "MULTI [N]First [A]1.1.1.1 [L]first.log \n");
  ASSERT_EQ(mkdir("stats", 0755), 0);
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_TRUE(FileExists("stats/Second/kilnplayers"));
  EXPECT_TRUE(FileExists("stats/First/kilnplayers"));
  EXPECT_FALSE(FileExists("stats/Solo"));
}

TEST_F(RunTest, DirectoriesAreCreatedUnderTheUmask) {
  WriteFile("kilnbook.cfg", "PATH out/\nSERVER_NAME Main\n");
  ASSERT_EQ(mkdir("out", 0755), 0);
  RunResult result = Run(077);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(FileMode("out/Main"), 0700);
  EXPECT_EQ(FileMode("out/Main/kilnplayers"), 0700);
}

TEST_F(RunTest, MissingPathParentIsNotCreated) {
  WriteFile("kilnbook.cfg", "PATH nowhere/\nSERVER_NAME Main\n");
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_FALSE(FileExists("nowhere"));
}

}  // namespace
}  // namespace kilnbook
