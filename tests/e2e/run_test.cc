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

TEST_F(RunTest, WithoutArgumentsStandardErrorStaysEmptyAndExitIsZero) {
  WriteFile("kilnbook.cfg", "SERVER_NAME Main\nLOGFILE g.log\n");
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(FileExists("Main/kilnplayers"));
}

TEST_F(RunTest, DirectoriesAreCreatedUnderTheUmask) {
  WriteFile("kilnbook.cfg", "PATH out/\nSERVER_NAME Main\n");
  ASSERT_EQ(mkdir("out", 0755), 0);
  RunResult result = Run(077);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(FileMode("out/Main"), 0700);
  EXPECT_EQ(FileMode("out/Main/kilnplayers"), 0700);
}

}  // namespace
}  // namespace kilnbook
