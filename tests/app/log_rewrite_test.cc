#include "app/log_rewrite.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "app/log_prepass.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

class LogRewriteTest : public TempDirTest {
 protected:
  // Splits game.log as a run does and returns its plan.
  LogRewrite Split(const std::string& log) {
    WriteFile("game.log", log);
    std::optional<LogRewrite> rewrite;
    CaptureStdout([&] { EXPECT_TRUE(SplitLogToTemp("game.log", rewrite)); });
    EXPECT_TRUE(rewrite.has_value());
    return rewrite.value_or(LogRewrite{});
  }

  // Finishes the plan the way the next run does after an interruption;
  // `saved` receives what goes to the journal.
  bool Finish(LogRewrite& plan, std::optional<LogRewrite>* saved = nullptr,
              bool saveWorks = true) {
    return RewriteLog(plan, false, true, [&](const LogRewrite& updated) {
      if (saved != nullptr) {
        *saved = updated;
      }
      return saveWorks;
    });
  }
};

// Whatever instant the interrupted run stopped at, and whatever the game
// server wrote afterwards, the log ends as the tail, its empty line, and the
// server's lines.
TEST_F(LogRewriteTest, FinishesFromEveryStateTheLogCanBeIn) {
  const std::string games = "a\nShutdownGame:\nb\nShutdownGame:\n";
  const std::string tail = "c\nd";
  const std::string head = "c\nd\n\n";
  const std::string later = "e\nf\n";  // the server, after the interruption
  struct Case {
    const char* what;
    std::string log;
    std::string expected;
  };
  const Case cases[] = {
      {"not truncated yet", games + tail, head},
      {"not truncated, server wrote on", games + tail + later, head + later},
      {"truncated, nothing written back", "", head},
      {"partly written back", head.substr(0, 3), head},
      {"written back", head, head},
      {"written back, server wrote on", head + later, head + later},
      {"partly written back, server wrote on", head.substr(0, 2) + later,
       head + later},
      {"truncated, server wrote on", later, head + later},
  };
  for (const Case& c : cases) {
    LogRewrite plan = Split(games + tail);
    WriteFile("game.log", c.log);
    EXPECT_TRUE(Finish(plan)) << c.what;
    EXPECT_EQ(ReadFile("game.log"), c.expected) << c.what;
    // Finishing again changes nothing.
    EXPECT_TRUE(Finish(plan)) << c.what;
    EXPECT_EQ(ReadFile("game.log"), c.expected) << c.what;
  }
}

// The server's lines after a partly written head are saved in the journal
// before the log is cut; a run that stops on either side of the cut is
// finished from that journal.
TEST_F(LogRewriteTest, LinesFoundAfterAPartHeadSurviveASecondInterruption) {
  const std::string head = "c\n\n";
  const std::string later = "x\n";
  for (bool cutHappened : {false, true}) {
    LogRewrite plan = Split("a\nShutdownGame:\nc\n");
    WriteFile("game.log", head.substr(0, 1) + later);
    std::optional<LogRewrite> saved;
    EXPECT_FALSE(Finish(plan, &saved, false));  // stops at the journal
    ASSERT_TRUE(saved.has_value());
    ASSERT_TRUE(saved->cut.has_value());
    EXPECT_EQ(ReadFile("game.log"), head.substr(0, 1) + later);
    if (cutHappened) {
      ASSERT_EQ(truncate("game.log", static_cast<off_t>(*saved->cut)), 0);
    }
    EXPECT_TRUE(Finish(*saved));
    EXPECT_EQ(ReadFile("game.log"), head + later) << cutHappened;
  }
}

TEST_F(LogRewriteTest, MissingLogIsWrittenAndReplacedLogLeftAlone) {
  LogRewrite plan = Split("a\nShutdownGame:\nc\n");
  ASSERT_EQ(unlink("game.log"), 0);
  EXPECT_TRUE(Finish(plan));
  EXPECT_EQ(ReadFile("game.log"), "c\n\n");

  plan = Split("a\nShutdownGame:\nc\n");
  WriteFile("rotated.log", "a new log\n");
  ASSERT_EQ(rename("rotated.log", "game.log"), 0);  // another file now
  EXPECT_TRUE(Finish(plan));
  EXPECT_EQ(ReadFile("game.log"), "a new log\n");
}

}  // namespace
}  // namespace kilnbook
