// Rewriting a log in place, and finishing a rewrite that a run left at any
// point, whatever the game server appended meanwhile.
#include "app/log_rewrite.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "app/log_prepass.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

const std::string kGames =
    "  0:00 InitGame: a\n  0:09 ShutdownGame:\n  0:00 InitGame: b\n"
    "  0:09 ShutdownGame:\n";
const std::string kTail = "  0:00 InitGame: c\n  0:01 Kill: 1 2 3: x";

class LogRewriteTest : public TempDirTest {
 protected:
  // Splits game.log as a run does and returns its plan.
  LogRewrite Split(const std::string& log) {
    WriteFile("game.log", log);
    std::optional<LogRewrite> rewrite;
    CaptureStdout([&] { rewrite = SplitLogToTemp("game.log").rewrite; });
    EXPECT_TRUE(rewrite.has_value());
    return rewrite.value_or(LogRewrite{});
  }

  // Saves go to `saved_`; `onSave` runs at each (the server appending, say).
  RewriteSaver Saver(std::function<void()> onSave = nullptr) {
    return [this, onSave](const LogRewrite& plan) {
      saved_.push_back(plan);
      if (onSave) {
        onSave();
      }
      return true;
    };
  }

  static void Append(const std::string& text) {
    int log = open("game.log", O_WRONLY | O_APPEND);
    ASSERT_GE(log, 0);
    ASSERT_EQ(write(log, text.data(), text.size()),
              static_cast<ssize_t>(text.size()));
    close(log);
  }

  // `text` written at `offset` of game.log, as a run stopped part way left.
  static void WriteAt(const std::string& text, uint64_t offset) {
    int log = open("game.log", O_WRONLY);
    ASSERT_GE(log, 0);
    ASSERT_EQ(pwrite(log, text.data(), text.size(), static_cast<off_t>(offset)),
              static_cast<ssize_t>(text.size()));
    close(log);
  }

  static std::string Marker(const LogRewrite& plan) {
    std::string bytes;
    for (size_t i = 0; i < kMarkerSize; ++i) {
      bytes += static_cast<char>((plan.marker >> (8 * i)) & 0xFF);
    }
    return bytes;
  }

  std::vector<LogRewrite> saved_;
};

// Whatever step the interrupted run stopped at, and whatever the game server
// wrote afterwards, the log ends as the head followed by the server's lines,
// in the order written. The server's bytes are told from ours by the marker,
// never by their content: here they repeat the head and the cut-off bytes.
TEST_F(LogRewriteTest, FinishesFromEveryStepWhateverTheServerWrote) {
  const std::string head = "  0:00 InitGame: c\n\n  0:01 Kill: 1 2 3: x";
  const std::vector<std::string> later = {
      "y\n  0:02 say: hi\n",                 // completes the line in progress
      head,                                  // bytes that match the head
      (kGames + kTail).substr(head.size()),  // the bytes the cut dropped
  };
  enum Step { kNothingWritten, kMarkerWritten, kHeadWritten, kCut };
  for (const std::string& more : later) {
    for (Step step : {kNothingWritten, kMarkerWritten, kHeadWritten, kCut}) {
      SCOPED_TRACE("step " + std::to_string(step) + ", server wrote " + more);
      LogRewrite plan = Split(kGames + kTail);
      ASSERT_EQ(plan.head, head);
      if (step >= kMarkerWritten && step < kCut) {
        WriteAt(Marker(plan), MarkerOffset(plan.captured));
      }
      if (step == kHeadWritten) {
        WriteAt(head, 0);
      }
      if (step == kCut) {
        WriteFile("game.log", head);
      }
      Append(more);
      RewriteResult expected =
          step == kCut ? RewriteResult::kUnchanged : RewriteResult::kRewritten;
      EXPECT_EQ(FinishRewrite(plan, Saver()), expected);
      EXPECT_EQ(ReadFile("game.log"), head + more);
      // Finishing again changes nothing.
      EXPECT_EQ(FinishRewrite(plan, Saver()), RewriteResult::kUnchanged);
      EXPECT_EQ(ReadFile("game.log"), head + more);
    }
  }
}

// Lines the server appends while a record is being synced follow the head:
// they are taken in, moved up behind it in place, or recorded anew when they
// do not fit before the marker.
TEST_F(LogRewriteTest, LinesAppendedDuringTheRewriteFollowTheHead) {
  for (size_t size : {10, 5000}) {
    SCOPED_TRACE(size);
    std::string appended;
    LogRewrite plan = Split(kGames + kTail + "\n");
    Append("  0:02 first\n");
    saved_.clear();
    int saves = 0;
    RewriteResult result =
        RewriteLog(plan, Saver([&] {
                     if (saves++ < 3) {
                       std::string line =
                           "  0:03 " + std::string(size, 'a' + saves) + "\n";
                       appended += line;
                       Append(line);
                     }
                   }));
    EXPECT_EQ(result, RewriteResult::kRewritten);
    EXPECT_EQ(ReadFile("game.log"), kTail + "\n\n  0:02 first\n" + appended);
    EXPECT_FALSE(saved_.empty());
  }
}

TEST_F(LogRewriteTest, ReplacedOrCutLogIsLeftAlone) {
  struct Case {
    const char* what;
    std::function<void()> meanwhile;
    std::string expected;
  };
  const Case cases[] = {
      {"rotated",
       [] {
         WriteFile("new.log", "a new log\n");
         ASSERT_EQ(rename("new.log", "game.log"), 0);
       },
       "a new log\n"},
      {"cut by someone else", [] { WriteFile("game.log", "x\n"); }, "x\n"},
      {"gone", [] { ASSERT_EQ(unlink("game.log"), 0); }, "<missing>"},
  };
  for (const Case& c : cases) {
    LogRewrite plan = Split(kGames + kTail);
    c.meanwhile();
    EXPECT_EQ(RewriteLog(plan, Saver()), RewriteResult::kLeftAlone) << c.what;
    EXPECT_EQ(ReadFile("game.log"), c.expected) << c.what;
    EXPECT_EQ(FinishRewrite(plan, Saver()), c.expected == "x\n"
                                                ? RewriteResult::kUnchanged
                                                : RewriteResult::kLeftAlone)
        << c.what;
  }
}

}  // namespace
}  // namespace kilnbook
