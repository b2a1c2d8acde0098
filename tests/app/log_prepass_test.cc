#include "app/log_prepass.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "app/log_rewrite.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace kilnbook {
namespace {

class LogPrepassTest : public TempDirTest {
 protected:
  // Runs the pre-pass on game.log, then (once its games would be saved)
  // the rewrite of the log, and returns what they printed. `beforeRewrite`
  // runs in between: the game server appending, say.
  std::string Split(bool expected = true,
                    const std::function<void()>& beforeRewrite = nullptr) {
    return CaptureStdout([&] {
      std::optional<LogRewrite> rewrite;
      EXPECT_EQ(SplitLogToTemp("game.log", rewrite), expected);
      if (beforeRewrite) {
        beforeRewrite();
      }
      if (rewrite &&
          !RewriteLog(*rewrite, true, false,
                      [](const LogRewrite&) { return true; })) {
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
  const Case cases[] = {
      {"two games and half a third",
       "a\nShutdownGame:\nb\nsay: x ShutdownGame: y\nc\nd\n",
       "a\nShutdownGame:\n\nb\nsay: x ShutdownGame: y\n\n", "c\nd\n\n"},
      {"ends with a shutdown", "a\n  0:10 ShutdownGame:\n",
       "a\n  0:10 ShutdownGame:\n\n", ""},
      {"no shutdown", "a\nb\n", "", "a\nb\n\n"},
      {"empty log", "", "", ""},
      {"carriage returns kept", "a\r\nShutdownGame:\r\nb\r\n",
       "a\r\nShutdownGame:\r\n\n", "b\r\n\n"},
      {"last line without line feed", "ShutdownGame:\nc", "ShutdownGame:\n\n",
       "c\n\n"},
      {"shutdown without line feed", "a\nShutdownGame:", "a\nShutdownGame:\n\n",
       ""},
      {"keyword is case-sensitive", "shutdowngame:\nShutdownGame\n", "",
       "shutdowngame:\nShutdownGame\n\n"},
      {"empty lines", "\n\nShutdownGame:\n\n", "\n\nShutdownGame:\n\n", "\n\n"},
      {"long lines", longLine + "\nShutdownGame:\n" + longerLine + "\nz\n",
       longLine + "\nShutdownGame:\n\n", longerLine + "\nz\n\n"},
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

TEST_F(LogPrepassTest, SecondRunFindsNothingAndAddsOneEmptyLine) {
  WriteFile("game.log", "a\nShutdownGame:\nc\n");
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
  WriteFile("game.log", "a\nShutdownGame:\nc\n");
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
  WriteFile("game.log", "a\nShutdownGame:\nb\n");
  auto append = [] {
    int server = open("game.log", O_WRONLY | O_APPEND);
    ASSERT_GE(server, 0);
    // A finished game and a line the server is still writing.
    std::string more = "c\nShutdownGame:\nd";
    ASSERT_EQ(write(server, more.data(), more.size()),
              static_cast<ssize_t>(more.size()));
    close(server);
  };
  Split(true, append);
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "a\nShutdownGame:\n\n");
  EXPECT_EQ(ReadFile("game.log"), "b\n\nc\nShutdownGame:\nd");
  EXPECT_EQ(ReadFile("kilnbook.dmp"), "b\n\nc\nShutdownGame:\nd");
  // The server ends its line; the next run takes the appended game.
  int server = open("game.log", O_WRONLY | O_APPEND);
  ASSERT_EQ(write(server, "e\n", 2), 2);
  close(server);
  Split();
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "b\n\nc\nShutdownGame:\n\n");
  EXPECT_EQ(ReadFile("game.log"), "de\n\n");
}

TEST_F(LogPrepassTest, AppendedLinesWithoutTail) {
  WriteFile("game.log", "ShutdownGame:\n");
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
  const std::string log = "a\nShutdownGame:\nb\n";
  WriteFile("game.log", log);
  ASSERT_EQ(mkdir("kilnbook.dmp", 0755), 0);
  EXPECT_EQ(Split(false), "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("game.log"), log);
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "");
}

TEST_F(LogPrepassTest, TempThatCannotBeCreatedLeavesLog) {
  const std::string log = "a\nShutdownGame:\nb\n";
  WriteFile("game.log", log);
  ASSERT_EQ(mkdir("kilnbook.tmp", 0755), 0);
  EXPECT_EQ(Split(false), "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("game.log"), log);
}

TEST_F(LogPrepassTest, UnreadableLogIsReportedAndTempEmptied) {
  ASSERT_EQ(mkdir("game.log", 0755), 0);
  WriteFile("kilnbook.tmp", "ShutdownGame: from an earlier run\n");
  EXPECT_EQ(Split(false), "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "");
}

TEST_F(LogPrepassTest, FullDiskLeavesLog) {
  std::string log;
  for (int i = 0; i < 200; ++i) {
    log += " 0:00 Kill: 1 2 3: a killed b by MOD_MP40\n ShutdownGame:\n";
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

TEST_F(LogPrepassTest, TailThatCannotBeWrittenBackStaysInDump) {
  const std::string tail(5000, 't');
  WriteFile("game.log", "a\nShutdownGame:\n" + tail + "\n");
  std::optional<FileSizeLimit> limit;
  // Once truncated, the log no longer holds the finished game: it counts.
  std::string out = Split(true, [&limit] { limit.emplace(1000); });
  limit.reset();
  EXPECT_EQ(out, "Failed to rewrite logfile: game.log\n");
  EXPECT_EQ(ReadFile("kilnbook.tmp"), "a\nShutdownGame:\n\n");
  EXPECT_EQ(ReadFile("kilnbook.dmp"), tail + "\n\n");
}

TEST_F(LogPrepassTest, ReadOnlyLogIsNotConsumed) {
  const std::string log = "a\nShutdownGame:\nb\n";
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
