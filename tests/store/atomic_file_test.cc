#include "store/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

class AtomicFileTest : public TempDirTest {};

TEST_F(AtomicFileTest, CommitReplacesWholeContent) {
  WriteFile("data", "old content that is longer\n");
  AtomicFile file("data");
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Write("new\n"));
  ASSERT_TRUE(file.Write("more\n"));
  EXPECT_EQ(ReadFile("data"), "old content that is longer\n");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFile("data"), "new\nmore\n");
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"data"});
}

TEST_F(AtomicFileTest, NewFileIsCreatedWith0664UnderUmask) {
  mode_t previous = umask(002);
  {
    AtomicFile file("fresh");
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Commit());
  }
  umask(027);
  {
    AtomicFile file("other");
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Commit());
  }
  umask(previous);
  EXPECT_EQ(FileMode("fresh"), 0664);
  EXPECT_EQ(FileMode("other"), 0640);
  EXPECT_EQ(ReadFile("fresh"), "");
}

TEST_F(AtomicFileTest, ExistingFileKeepsItsMode) {
  WriteFile("data", "old");
  ASSERT_EQ(chmod("data", 0600), 0);
  AtomicFile file("data");
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(FileMode("data"), 0600);
  EXPECT_EQ(ReadFile("data"), "new");
}

TEST_F(AtomicFileTest, AbandonedFileLeavesTargetAndNoTemporary) {
  WriteFile("data", "old");
  {
    AtomicFile file("data");
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("half"));
    EXPECT_TRUE(FileExists(file.tempPath()));
  }
  EXPECT_EQ(ReadFile("data"), "old");
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"data"});
}

TEST_F(AtomicFileTest, MissingDirectoryFailsToOpenAndCommit) {
  AtomicFile file("nowhere/data");
  EXPECT_FALSE(file.Open());
  EXPECT_FALSE(file.Write("x"));
  EXPECT_FALSE(file.Commit());
  EXPECT_FALSE(FileExists("nowhere"));
}

TEST_F(AtomicFileTest, FailedWriteKeepsOldContentAndRemovesTemporary) {
  std::string old(100, 'o');
  WriteFile("data", old);
  AtomicFile file("data");
  ASSERT_TRUE(file.Open());
  {
    FileSizeLimit limit(1000);
    EXPECT_FALSE(file.Write(std::string(4000, 'n')));
  }
  // Later writes that would fit do not make the file whole again.
  EXPECT_FALSE(file.Write("x"));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(ReadFile("data"), old);
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"data"});
}

TEST_F(AtomicFileTest, RenameOntoDirectoryFailsAndCleansUp) {
  ASSERT_EQ(mkdir("target", 0755), 0);
  WriteFile("target/inside", "x");
  AtomicFile file("target");
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Write("text"));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"target"});
  EXPECT_EQ(ReadFile("target/inside"), "x");
}

// A staged file that a journal keeps outlives its writer, a failed commit
// included, and is installed later by its name alone.
TEST_F(AtomicFileTest, KeptStagedFileIsInstalledLater) {
  WriteFile("data", "old\n");
  {
    AtomicFile file("data");
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new\n"));
    ASSERT_TRUE(file.Stage());
    EXPECT_EQ(file.tempPath(), AtomicFile::TempPathOf("data"));
    file.Keep();
  }
  EXPECT_EQ(ReadFile("data"), "old\n");
  EXPECT_EQ(ReadFile(AtomicFile::TempPathOf("data")), "new\n");
  ASSERT_TRUE(AtomicFile::InstallStaged("data"));
  EXPECT_TRUE(SyncDirectoryOf("data"));
  EXPECT_EQ(ReadFile("data"), "new\n");
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"data"});

  // A kept file whose rename fails stays for the next try.
  ASSERT_EQ(mkdir("busy", 0755), 0);
  WriteFile("busy/x", "");
  AtomicFile onto("busy");
  ASSERT_TRUE(onto.Open());
  onto.Keep();
  EXPECT_FALSE(onto.Commit());
  EXPECT_TRUE(FileExists(AtomicFile::TempPathOf("busy")));
  EXPECT_FALSE(AtomicFile::InstallStaged("missing"));
}

TEST_F(AtomicFileTest, DirectoriesAreProbedAndSyncedWithoutANewName) {
  EXPECT_TRUE(DirectoryTakesNewFiles("."));
  EXPECT_FALSE(DirectoryTakesNewFiles("no-such-directory"));
  EXPECT_TRUE(DirectoryEntries().empty());
  EXPECT_TRUE(SyncDirectoryOf("any-file-here"));
  EXPECT_FALSE(SyncDirectoryOf("no-such-directory/file"));
}

}  // namespace
}  // namespace kilnbook
