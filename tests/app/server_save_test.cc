// Saving a server's files with its log rewrite as one step, and finishing or
// refusing the journal an interrupted run left.
#include "app/server_save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

#include "app/log_prepass.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

const std::string kGames = std::string(3000, '-') + "\n  0:09 ShutdownGame:\n";
const std::string kLog = kGames + kGames + "tail\n";
const std::vector<std::string> kNames = {"kilnbook.dat"};

class ServerSaveTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_EQ(mkdir("Main", 0755), 0);
    WriteFile("Main/kilnbook.dat", "old\n");
    WriteFile("game.log", kLog);
    CaptureStdout([&] { rewrite_ = SplitLogToTemp("game.log").rewrite; });
    ASSERT_TRUE(rewrite_.has_value());
  }

  ServerSave::Outcome Save(std::string* out,
                           const std::string& text = "new\n") {
    ServerSave save("Main", "Main");
    save.Add("kilnbook.dat", text);
    ServerSave::Outcome outcome;
    *out = CaptureStdout([&] { outcome = save.Commit(rewrite_); });
    return outcome;
  }

  Recovery Finish(std::string* out, const std::string& server = "Main",
                  const std::string& log = "game.log") {
    Recovery recovery;
    *out = CaptureStdout(
        [&] { recovery = FinishInterruptedSave("Main", server, log, kNames); });
    return recovery;
  }

  // Saved, but the log could not be rewritten (it may not grow past 2000
  // bytes, and its marker lies further on): the journal stays.
  void SaveUnfinished() {
    std::string out;
    {
      FileSizeLimit limit(2000);
      EXPECT_EQ(Save(&out), ServerSave::Outcome::kUnfinished);
    }
    EXPECT_EQ(out, "Failed to rewrite logfile: game.log\n");
    EXPECT_EQ(ReadFile("Main/kilnbook.dat"), "new\n");
    EXPECT_EQ(ReadFile("game.log"), kLog);
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
  EXPECT_EQ(Finish(&out), Recovery::kNothing);
  EXPECT_EQ(out, "");
}

// A full disk before the journal: nothing changes and the games stay in the
// log for the next run.
TEST_F(ServerSaveTest, FailedSaveKeepsFileAndLog) {
  std::string out;
  {
    FileSizeLimit limit(100);  // room for the message, not for the file
    EXPECT_EQ(Save(&out, std::string(200, 'x')),
              ServerSave::Outcome::kNotSaved);
  }
  EXPECT_EQ(out, "Failed to save datfile 'Main/kilnbook.dat'\n");
  EXPECT_EQ(ReadFile("Main/kilnbook.dat"), "old\n");
  EXPECT_EQ(ReadFile("game.log"), kLog);
  EXPECT_EQ(DirectoryEntries("Main"), std::vector<std::string>{"kilnbook.dat"});
}

// The next run finishes the rewrite before anything else reads the log, and
// says so only when it had something to do.
TEST_F(ServerSaveTest, UnfinishedSaveIsFinishedByTheNextRun) {
  SaveUnfinished();
  std::string journal = ReadFile("Main/kilnbook.journal");
  std::string out;
  EXPECT_EQ(Finish(&out), Recovery::kFinished);
  EXPECT_EQ(out, "Recovered the interrupted save of server Main\n");
  EXPECT_EQ(ReadFile("game.log"), "tail\n\n");
  EXPECT_EQ(ReadFile("Main/kilnbook.dat"), "new\n");
  EXPECT_EQ(DirectoryEntries("Main"), std::vector<std::string>{"kilnbook.dat"});

  // The same journal once more (its removal failed, say): all is done.
  WriteFile("Main/kilnbook.journal", journal);
  EXPECT_EQ(Finish(&out), Recovery::kFinished);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadFile("game.log"), "tail\n\n");
  EXPECT_EQ(DirectoryEntries("Main"), std::vector<std::string>{"kilnbook.dat"});
}

// A journal of another server or log, a stale one, an old or damaged one:
// reported with what to do, and nothing is changed.
TEST_F(ServerSaveTest, JournalThatDoesNotMatchIsNeverActedOn) {
  SaveUnfinished();
  const std::string journal = ReadFile("Main/kilnbook.journal");
  const std::string mismatch =
      "The journal Main/kilnbook.journal does not match server Main: restore "
      "the configuration it was saved with, or remove it\n";
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string server = "Main";
    std::string log = "game.log";
  };
  const Case cases[] = {
      {"another server's", [] {}, "Fish"},
      {"another log's", [] {}, "Main", "other.log"},
      {"stale", [] { WriteFile("Main/kilnbook.dat", "later\n"); }},
      {"of an earlier version",
       [] { WriteFile("Main/kilnbook.journal", "kilnbook journal 1\n"); }},
  };
  for (const Case& c : cases) {
    WriteFile("Main/kilnbook.journal", journal);
    WriteFile("Main/kilnbook.dat", "new\n");
    c.prepare();
    std::string data = ReadFile("Main/kilnbook.dat");
    std::string kept = ReadFile("Main/kilnbook.journal");
    std::string out;
    EXPECT_EQ(Finish(&out, c.server, c.log), Recovery::kFailed) << c.what;
    if (c.server == "Main") {
      EXPECT_EQ(out, mismatch) << c.what;
    }
    EXPECT_EQ(ReadFile("game.log"), kLog) << c.what;
    EXPECT_EQ(ReadFile("Main/kilnbook.dat"), data) << c.what;
    EXPECT_EQ(ReadFile("Main/kilnbook.journal"), kept) << c.what;
  }
}

TEST_F(ServerSaveTest, UnreadableJournalIsReportedAndKept) {
  ASSERT_EQ(mkdir("Main/kilnbook.journal", 0755), 0);
  std::string out;
  EXPECT_EQ(Finish(&out), Recovery::kFailed);
  EXPECT_EQ(out,
            "Failed to recover the interrupted save: Main/kilnbook.journal\n");
  EXPECT_EQ(ReadFile("game.log"), kLog);
}

TEST_F(ServerSaveTest, LeftoversOfASaveThatNeverCommittedAreRemoved) {
  WriteFile("Main/kilnbook.dat.tmp", "half");
  WriteFile("Main/kilnbook.journal.tmp", "half");
  std::string out;
  EXPECT_EQ(Finish(&out), Recovery::kNothing);
  EXPECT_EQ(out, "");
  EXPECT_EQ(DirectoryEntries("Main"), std::vector<std::string>{"kilnbook.dat"});
  EXPECT_EQ(ReadFile("game.log"), kLog);
}

}  // namespace
}  // namespace kilnbook
