#include "app/server_save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "app/log_prepass.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

const std::string kLog = "a\nShutdownGame:\nb\nShutdownGame:\ntail\n";

class ServerSaveTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_EQ(mkdir("Main", 0755), 0);
    WriteFile("Main/kilnbook.dat", "old\n");
    WriteFile("game.log", kLog);
    CaptureStdout([&] { ASSERT_TRUE(SplitLogToTemp("game.log", rewrite_)); });
    ASSERT_TRUE(rewrite_.has_value());
  }

  ServerSave::Outcome Save(std::string* out,
                           const std::string& text = "new\n") {
    ServerSave save("Main");
    save.Add("Main/kilnbook.dat", text);
    ServerSave::Outcome outcome;
    *out = CaptureStdout([&] { outcome = save.Commit(rewrite_); });
    return outcome;
  }

  Recovery Finish(std::string* out) {
    Recovery recovery;
    *out = CaptureStdout([&] {
      recovery = FinishInterruptedSave("Main", "Main", {"kilnbook.dat"});
    });
    return recovery;
  }

  std::optional<LogRewrite> rewrite_;
};

TEST_F(ServerSaveTest, SavedFileAndRewrittenLogLeaveNothingBehind) {
  std::string out;
  EXPECT_EQ(Save(&out), ServerSave::Outcome::kSaved);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadFile("Main/kilnbook.dat"), "new\n");
  EXPECT_EQ(ReadFile("game.log"), "tail\n\n");
  EXPECT_EQ(DirectoryEntries("Main"), std::vector<std::string>{"kilnbook.dat"});
  EXPECT_EQ(Finish(&out).outcome, Recovery::Outcome::kNothing);
  EXPECT_EQ(out, "");
}

// A full disk before the journal: nothing changes and the games stay in the
// log for the next run.
TEST_F(ServerSaveTest, FailedSaveKeepsFileAndLog) {
  std::string out;
  {
    FileSizeLimit limit(100);  // room for the message, not for the file
    EXPECT_EQ(Save(&out, std::string(200, 'x')), ServerSave::Outcome::kNotSaved);
  }
  EXPECT_EQ(out, "Failed to save datfile 'Main/kilnbook.dat'\n");
  EXPECT_EQ(ReadFile("Main/kilnbook.dat"), "old\n");
  EXPECT_EQ(ReadFile("game.log"), kLog);
  EXPECT_EQ(DirectoryEntries("Main"), std::vector<std::string>{"kilnbook.dat"});
}

// Saved, but the log could not be rewritten: the journal stays, and the next
// run finishes the rewrite before anything else reads the log.
TEST_F(ServerSaveTest, UnfinishedSaveIsFinishedByTheNextRun) {
  ASSERT_EQ(rename("game.log", "game.log.away"), 0);
  ASSERT_EQ(mkdir("game.log", 0755), 0);
  std::string out;
  EXPECT_EQ(Save(&out), ServerSave::Outcome::kUnfinished);
  EXPECT_EQ(out, "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("Main/kilnbook.dat"), "new\n");
  EXPECT_TRUE(FileExists("Main/kilnbook.journal"));

  // Still a directory: the journal is kept for a later run.
  Recovery recovery = Finish(&out);
  EXPECT_EQ(recovery.outcome, Recovery::Outcome::kFailed);
  EXPECT_EQ(recovery.logPath, "game.log");
  EXPECT_EQ(out, "Failed to recover the interrupted save: Main/kilnbook.journal\n");

  ASSERT_EQ(rmdir("game.log"), 0);
  ASSERT_EQ(rename("game.log.away", "game.log"), 0);
  EXPECT_EQ(Finish(&out).outcome, Recovery::Outcome::kFinished);
  EXPECT_EQ(out, "Recovered the interrupted save of server Main\n");
  EXPECT_EQ(ReadFile("game.log"), "tail\n\n");
  EXPECT_EQ(ReadFile("Main/kilnbook.dat"), "new\n");
  EXPECT_EQ(DirectoryEntries("Main"), std::vector<std::string>{"kilnbook.dat"});
}

TEST_F(ServerSaveTest, DamagedJournalIsReportedAndKept) {
  WriteFile("Main/kilnbook.journal", "kilnbook journal 1\nfile 0\n");
  std::string out;
  EXPECT_EQ(Finish(&out).outcome, Recovery::Outcome::kFailed);
  EXPECT_EQ(out, "Failed to recover the interrupted save: Main/kilnbook.journal\n");
  EXPECT_TRUE(FileExists("Main/kilnbook.journal"));
  EXPECT_EQ(ReadFile("game.log"), kLog);
}

TEST_F(ServerSaveTest, LeftoversOfASaveThatNeverCommittedAreRemoved) {
  WriteFile("Main/kilnbook.dat.tmp", "half");
  WriteFile("Main/kilnbook.journal.tmp", "half");
  std::string out;
  EXPECT_EQ(Finish(&out).outcome, Recovery::Outcome::kNothing);
  EXPECT_EQ(out, "");
  EXPECT_EQ(DirectoryEntries("Main"), std::vector<std::string>{"kilnbook.dat"});
  EXPECT_EQ(ReadFile("game.log"), kLog);
}

}  // namespace
}  // namespace kilnbook
