#include "app/stats_app.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "app/directory.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

class DirectoryTest : public TempDirTest {};

TEST_F(DirectoryTest, CreatesMissingDirectoryUnderUmask) {
  mode_t previous = umask(027);
  EnsureDirectory("made");
  umask(previous);
  EXPECT_EQ(FileMode("made"), 0750);
}

TEST_F(DirectoryTest, LeavesExistingDirectoryAndWorkingDirectory) {
  ASSERT_EQ(mkdir("there", 0700), 0);
  EnsureDirectory("there");
  EXPECT_EQ(FileMode("there"), 0700);
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd), dir());
}

TEST_F(DirectoryTest, MissingParentIsNotCreatedNorReported) {
  std::string out = CaptureStdout([] { EnsureDirectory("a/b"); });
  EXPECT_EQ(out, "");
  EXPECT_FALSE(FileExists("a"));
}

class StatsAppTest : public TempDirTest {};

TEST_F(StatsAppTest, SingleServerModeRegistersServerName) {
  WriteFile(
      "kilnbook.cfg",
      "PATH out/\nSERVER_NAME Main\nSERVER_ADDRESS addr\nLOGFILE g.log\n");
  ASSERT_EQ(mkdir("out", 0755), 0);
  StatsApp app;
  ASSERT_EQ(app.serverList().servers().size(), 1u);
  EXPECT_NE(app.serverList().Find("Main"), nullptr);
  EXPECT_EQ(FileMode("out/Main") >= 0, true);
  EXPECT_EQ(FileMode("out/Main/kilnplayers") >= 0, true);
  app.OutputInternal();
  EXPECT_EQ(app.currentServerName(), "Main");
  EXPECT_EQ(app.currentServerAddress(), "addr");
}

TEST_F(StatsAppTest, MultiServerModeIgnoresServerName) {
  WriteFile("kilnbook.cfg",
            "SERVER_NAME Solo\n"
            "MULTI [N]Beta [A]b:1 [L]b.log \n"
            "MULTI [N]Alpha [A]a:1 [L]a.log \n");
  StatsApp app;
  EXPECT_EQ(app.serverList().servers().size(), 2u);
  EXPECT_EQ(app.serverList().Find("Solo"), nullptr);
  EXPECT_TRUE(FileExists("Beta/kilnplayers"));
  EXPECT_TRUE(FileExists("Alpha/kilnplayers"));
  EXPECT_FALSE(FileExists("Solo"));
  app.OutputInternal();
  // The servers run in file order, so the last one stays current.
  EXPECT_EQ(app.currentServerName(), "Alpha");
  EXPECT_EQ(app.currentServerAddress(), "a:1");
}

}  // namespace
}  // namespace kilnbook
