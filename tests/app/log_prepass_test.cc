#include "app/log_prepass.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>

#include "app/log_rewrite.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace kilnbook {
namespace {

// A line that ends a game.
const std::string kEnd = " 0:09 ShutdownGame:";

class LogPrepassTest : public TempDirTest {
 protected:
  // Runs the pre-pass on game.log, then (once its games would be saved)
  // the rewrite of the log, and returns what they printed. `beforeRewrite`
  // runs in between: the game server appending, say.
  std::string Split(bool expected = true,
                    const std::function<void()>& beforeRewrite = nullptr) {
    return CaptureStdout([&] {
      LogSplit split = SplitLogToTemp("game.log");
      EXPECT_EQ(split.countable, expected);
      if (beforeRewrite) {
        beforeRewrite();
      }
      if (!split.rewrite) {
        return;
      }
      RewriteResult result =
          split.rewrite->consumed > 0
              ? RewriteLog(*split.rewrite,
                           [](const LogRewrite&) { return true; })
              : AddEmptyLine(*split.rewrite);
      if (result == RewriteResult::kFailed) {
        std::printf("Failed to rewrite logfile: game.log\n");
      }
    });
  }
};

TEST_F(LogPrepassTest, SplitsFinishedSectionsFromTail) {
  struct Case {
    const char* what;
    std::string log;
    std::string temp;
    std::string rest;  // the log and kilnbook.dmp afterwards
  };
  const std::string longLine(100000, 'x');
  const std::string longerLine(250000, 'y');
  const std::string chat = "0:01 say: x ShutdownGame: y";
  const std::string name =
      "0:02 ClientUserinfoChanged: 1 n\\ShutdownGame:\\t\\1";
  const Case cases[] = {
      {"two games and half a third",
       "a\n" + kEnd + "\nb\n" + chat + "\n" + kEnd + "\nc\nd\n",
       "a\n" + kEnd + "\n\nb\n" + chat + "\n" + kEnd + "\n\n", "c\nd\n\n"},
      {"ends with a shutdown", "a\n  0:10 ShutdownGame:\n",
       "a\n  0:10 ShutdownGame:\n\n", ""},
      {"no shutdown", "a\nb\n", "", "a\nb\n\n"},
      {"chat and names end nothing", chat + "\n" + name + "\n", "",
       chat + "\n" + name + "\n\n"},
      {"wider time column", "1000:00 ShutdownGame:\nx\n",
       "1000:00 ShutdownGame:\n\n", "x\n\n"},
      {"empty log", "", "", ""},
      {"carriage returns kept", "a\r\n" + kEnd + "\r\nb\r\n",
       "a\r\n" + kEnd + "\r\n\n", "b\r\n\n"},
      // The line the server is still writing stays whole, at the very end.
      {"line in progress", kEnd + "\nb\nc", kEnd + "\n\n", "b\n\nc"},
      {"only a line in progress", kEnd + "\nc", kEnd + "\n\n", "c"},
      {"shutdown in progress ends nothing", "a\n" + kEnd, "", "a\n" + kEnd},
      {"keyword is case-sensitive", "0:01 shutdowngame:\n0:02 ShutdownGame\n",
       "", "0:01 shutdowngame:\n0:02 ShutdownGame\n\n"},
      {"empty lines", "\n\n" + kEnd + "\n\n", "\n\n" + kEnd + "\n\n", "\n\n"},
      {"long lines", longLine + "\n" + kEnd + "\n" + longerLine + "\nz\n",
       longLine + "\n" + kEnd + "\n\n", longerLine + "\nz\n\n"},
  };
  for (const Case& c : cases) {
    WriteFile("game.log", c.log);
    WriteFile("kilnbook.tmp", "stale\n");
    WriteFile("kilnbook.dmp", "stale\n");
    EXPECT_EQ(Split(), "") << c.what;
    EXPECT_EQ(ReadFile("kilnbook.tmp"), c.temp) << c.what;
    EXPECT_EQ(ReadFile("game.log"), c.rest) << c.what;
    EXPECT_EQ(ReadFile("kilnbook.dmp"), c.rest) << c.what;
  }
}

// The log is read in blocks of a megabyte: a line that ends a game is found
// wherever a block ends in it (in its time stamp, its keyword or before its
// line feed), and a chat line is not, wherever it is cut.
TEST_F(LogPrepassTest, GameEndsAcrossBlockBoundaries) {
  const size_t block = 1 << 20;
  for (const std::string& line :
       {kEnd, std::string("0:01 say: ShutdownGame:")}) {
    bool ends = line == kEnd;
    for (size_t shift = 0; shift <= line.size() + 1; ++shift) {
      std::string filler(block - shift - 1, 'f');
      std::string log = filler + "\n" + line + "\nz\n";
      WriteFile("game.log", log);
      EXPECT_EQ(Split(), "");
      std::string games = filler + "\n" + line + "\n";
      // Compared as booleans: a failure must not print megabytes.
      EXPECT_TRUE(ReadFile("kilnbook.tmp") == (ends ? games + "\n" : ""))
          << line << " " << shift;
      EXPECT_TRUE(ReadFile("game.log") == (ends ? "z\n\n" : log + "\n"))
          << line << " " << shift;
    }
  }
}

TEST_F(LogPrepassTest, SecondRunFindsNothingAndAddsOneEmptyLine) {
  WriteFile("game.log", "a\n" + kEnd + "\nc\n");
  Split();
  Split();
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "");
  EXPECT_EQ(ReadFile("game.log"), "c\n\n\n");
}

TEST_F(LogPrepassTest, MissingLogIsCreatedEmptyWithoutMessage) {
  WriteFile("kilnbook.tmp", "stale\n");
  WriteFile("kilnbook.dmp", "stale\n");
  mode_t previous = umask(002);
  std::string out = Split();
  umask(previous);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadFile("game.log"), "");
  EXPECT_EQ(FileMode("game.log"), 0664);
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "");
  EXPECT_EQ(ReadFile("kilnbook.dmp"), "");
}

TEST_F(LogPrepassTest, LogIsRewrittenInPlaceForTheGameServer) {
  WriteFile("game.log", "a\n" + kEnd + "\nc\n");
  struct stat before;
  ASSERT_EQ(stat("game.log", &before), 0);
  // The game server keeps its log open for appending across our run.
  int server = open("game.log", O_WRONLY | O_APPEND);
  ASSERT_GE(server, 0);
  Split();
  ASSERT_EQ(write(server, "d\n", 2), 2);
  close(server);
  struct stat after;
  ASSERT_EQ(stat("game.log", &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ReadFile("game.log"), "c\n\nd\n");
}

TEST_F(LogPrepassTest, LinesAppendedDuringThePassSurvive) {
  WriteFile("game.log", "a\n" + kEnd + "\nb\n");
  auto append = [] {
    int server = open("game.log", O_WRONLY | O_APPEND);
    ASSERT_GE(server, 0);
    // A finished game and a line the server is still writing.
    std::string more = "c\n" + kEnd + "\nd";
    ASSERT_EQ(write(server, more.data(), more.size()),
              static_cast<ssize_t>(more.size()));
    close(server);
  };
  Split(true, append);
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "a\n" + kEnd + "\n\n");
  EXPECT_EQ(ReadFile("game.log"), "b\n\nc\n" + kEnd + "\nd");
  EXPECT_EQ(ReadFile("kilnbook.dmp"), "b\n\nc\n" + kEnd + "\nd");
  // The server ends its line; the next run takes the appended game.
  int server = open("game.log", O_WRONLY | O_APPEND);
  ASSERT_EQ(write(server, "e\n", 2), 2);
  close(server);
  Split();
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "b\n\nc\n" + kEnd + "\n\n");
  EXPECT_EQ(ReadFile("game.log"), "de\n\n");
}

TEST_F(LogPrepassTest, AppendedLinesWithoutTail) {
  WriteFile("game.log", kEnd + "\n");
  Split(true, [] {
    int server = open("game.log", O_WRONLY | O_APPEND);
    ASSERT_EQ(write(server, "x\n", 2), 2);
    close(server);
  });
  EXPECT_EQ(ReadFile("game.log"), "x\n");
}

// Every failure before the truncation: the log keeps every byte, nothing in
// kilnbook.tmp may be counted, and the message names the log.
TEST_F(LogPrepassTest, DumpThatCannotBeCreatedLeavesLog) {
  const std::string log = "a\n" + kEnd + "\nb\n";
  WriteFile("game.log", log);
  ASSERT_EQ(mkdir("kilnbook.dmp", 0755), 0);
  EXPECT_EQ(Split(false), "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("game.log"), log);
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "");
}

TEST_F(LogPrepassTest, TempThatCannotBeCreatedLeavesLog) {
  const std::string log = "a\n" + kEnd + "\nb\n";
  WriteFile("game.log", log);
  ASSERT_EQ(mkdir("kilnbook.tmp", 0755), 0);
  EXPECT_EQ(Split(false), "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("game.log"), log);
}

TEST_F(LogPrepassTest, UnreadableLogIsReportedAndTempEmptied) {
  ASSERT_EQ(mkdir("game.log", 0755), 0);
  WriteFile("kilnbook.tmp", kEnd + " from an earlier run\n");
  EXPECT_EQ(Split(false), "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "");
}

TEST_F(LogPrepassTest, FullDiskLeavesLog) {
  std::string log;
  for (int i = 0; i < 200; ++i) {
    log += " 0:00 Kill: 1 2 3: a killed b by MOD_MP40\n" + kEnd + "\n";
  }
  log += "tail\n";
  WriteFile("game.log", log);
  std::string out;
  {
    FileSizeLimit limit(4096);
    out = Split(false);
  }
  EXPECT_EQ(out, "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("game.log"), log);
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "");
}

TEST_F(LogPrepassTest, RewriteThatFailsLeavesTheLogWhole) {
  const std::string tail(5000, 't');
  const std::string log = "a\n" + kEnd + "\n" + tail + "\n";
  WriteFile("game.log", log);
  std::optional<FileSizeLimit> limit;
  // The journal of a real save would have the next run finish it.
  std::string out = Split(true, [&limit] { limit.emplace(1000); });
  limit.reset();
  EXPECT_EQ(out, "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "a\n" + kEnd + "\n\n");
  EXPECT_EQ(ReadFile("kilnbook.dmp"), tail + "\n\n");
  EXPECT_EQ(ReadFile("game.log"), log);
}

TEST_F(LogPrepassTest, ReadOnlyLogIsNotConsumed) {
  const std::string log = "a\n" + kEnd + "\nb\n";
  WriteFile("game.log", log);
  ASSERT_EQ(chmod("game.log", 0444), 0);
  AsUnprivileged(dir(), [&] {
    EXPECT_EQ(Split(false), "Failed to rewrite logfile: game.log\n");
    EXPECT_EQ(ReadFile("game.log"), log);
    EXPECT_EQ(ReadFile("kilnbook.tmp"), "");
  });
}

}  // namespace
}  // namespace kilnbook
