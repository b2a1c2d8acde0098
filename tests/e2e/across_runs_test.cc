// Runs the program twice over a log that grows in between: every finished
// game is counted once and the totals add up in kilnbook.dat.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/tally_entry.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace kilnbook {
namespace {

const char kFirstGame[] =
    "  0:00 InitGame: \\sv_hostname\\Test\r\n"
    "  0:01 ClientConnect: 0\r\n"
    "  0:01 ClientUserinfoChanged: 0 "
    "n\\Ann\\model\\multi/x\\head\\blue1\\hc\\100\r\n"
    "  0:01 ClientConnect: 1\r\n"
    "  0:01 ClientUserinfoChanged: 1 "
    "n\\Bob\\model\\multi_axis/y\\head\\red1\\hc\\100\r\n"
    "  0:05 Kill: 0 1 17: Ann killed Bob by MOD_MP40\r\n"
    "  0:06 Kill: 1 0 15: Bob killed Ann by MOD_LUGER\r\n"
    "  0:07 Kill: 0 1 17: Ann killed Bob by MOD_MP40\r\n"
    "  0:09 red:3  blue:1\r\n"
    "  0:09 score: 12  ping: 80  client: 0 Ann\r\n"
    "  0:09 score: 5  ping: 40  client: 1 Bob\r\n"
    "  0:10 Exit: Timelimit hit.\r\n"
    "  0:10 ShutdownGame:\r\n";

// The second game starts before the first run and ends after it.
const char kSecondGameStart[] =
    "  0:11 InitGame: \\sv_hostname\\Test\r\n"
    "  0:11 ClientConnect: 0\r\n";
const char kSecondGameEnd[] =
    "  0:12 ClientUserinfoChanged: 0 "
    "n\\Ann\\model\\multi/x\\head\\blue1\\hc\\100\r\n"
    "  0:12 ClientConnect: 2\r\n"
    "  0:12 ClientUserinfoChanged: 2 "
    "n\\Cid\\model\\multi/z\\head\\blue2\\hc\\100\r\n"
    "  0:13 Kill: 0 2 17: Ann killed Cid by MOD_MP40\r\n"
    "  0:14 Kill: 2 2 6: Cid killed Cid by MOD_ROCKET\r\n"
    "  0:15 red:2  blue:4\r\n"
    "  0:15 score: 3  ping: 100  client: 0 Ann\r\n"
    "  0:16 ShutdownGame:\r\n";
const char kThirdGameStart[] = "  0:17 InitGame: \\sv_hostname\\Test\r\n";

class AcrossRunsTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    WriteFile("kilnbook.cfg",
              "PATH stats/\nSERVER_NAME Main\nLOGFILE game.log\n");
    ASSERT_EQ(mkdir("stats", 0755), 0);
  }

  RunResult Run() {
    RunOptions options;
    options.workingDirectory = dir();
    return RunKilnbook(options);
  }

  static void Append(const std::string& text) {
    std::string log = ReadFile("game.log");
    WriteFile("game.log", log + text);
  }

  // The line of kilnbook.dat that starts with `prefix`.
  static std::string DataLine(const std::string& prefix) {
    std::string text = ReadFile("stats/Main/kilnbook.dat");
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      std::string line = text.substr(start, end - start);
      if (line.rfind(prefix, 0) == 0) {
        return line;
      }
      start = end == std::string::npos ? text.size() : end + 1;
    }
    return "<none>";
  }
};

TEST_F(AcrossRunsTest, EachFinishedGameCountsOnceAndTotalsAddUp) {
  WriteFile("game.log", std::string(kFirstGame) + kSecondGameStart);
  RunResult first = Run();
  EXPECT_EQ(first.exitStatus, 0);
  EXPECT_EQ(first.out.find("Failed to rewrite"), std::string::npos);
  EXPECT_EQ(DataLine("SRV|"),
            "SRV|N1|Main*A|3*B|1*C|2*D|1*E|1*F|1*G|3*H|0*I|40*J|1*K|0*");
  EXPECT_EQ(ReadFile("game.log"), std::string(kSecondGameStart) + "\n");

  Append(std::string(kSecondGameEnd) + kThirdGameStart);
  RunResult second = Run();
  EXPECT_EQ(second.exitStatus, 0);
  EXPECT_EQ(DataLine("SRV|"),
            "SRV|N1|Main*A|5*B|5*C|4*D|2*E|1*F|2*G|5*H|1*I|70*J|1*K|1*");
  EXPECT_EQ(DataLine("PLR|N1|Ann*"),
            "PLR|N1|Ann*Z|Ann*Y|Ann*A|70*B|15*C|3*D|1*E|0*F|1*G|" +
                Entry("Bob", "2") + Entry("Cid", "1") + "*H|" +
                Entry("Bob", "1") + "*I|" + Entry("Cid", "1") + "*J|" +
                Entry("17", "3") + "*K|" + Entry("15", "1") + "*L|*M|" +
                Entry("multi", "2") + "*N|" + Entry("blue1", "2") + "*");
  EXPECT_EQ(DataLine("PLR|N1|Cid*"),
            "PLR|N1|Cid*Z|Cid*Y|Cid*A|0*B|0*C|0*D|1*E|1*F|0*G|*H|" +
                Entry("Ann", "1") + "*I|*J|*K|" + Entry("17", "1") + "*L|" +
                Entry("6", "1") + "*M|" + Entry("multi", "1") + "*N|" +
                Entry("blue2", "1") + "*");
  EXPECT_EQ(ReadFile("game.log"), std::string(kThirdGameStart) + "\n");

  // A third run without new lines changes no total.
  std::string saved = ReadFile("stats/Main/kilnbook.dat");
  Run();
  EXPECT_EQ(ReadFile("stats/Main/kilnbook.dat"), saved);
  EXPECT_EQ(ReadFile("game.log"), std::string(kThirdGameStart) + "\n\n");
}

TEST_F(AcrossRunsTest, FullDiskKeepsDataFileAndLog) {
  WriteFile("game.log", std::string(kFirstGame) + kSecondGameStart);
  Run();
  std::string saved = ReadFile("stats/Main/kilnbook.dat");
  std::string log;
  for (int i = 0; i < 20; ++i) {
    log += kFirstGame;
  }
  WriteFile("game.log", log);
  RunResult result;
  {
    FileSizeLimit limit(saved.size());
    result = Run();
  }
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_NE(result.out.find("Failed to rewrite logfile: game.log\n"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(ReadFile("game.log"), log);
  EXPECT_EQ(ReadFile("stats/Main/kilnbook.dat"), saved);
  // The games are still there for the next run, and count once (the ping
  // average settles at 53 over alternating samples of 80 and 40).
  Run();
  EXPECT_EQ(
      DataLine("SRV|"),
      "SRV|N1|Main*A|63*B|21*C|42*D|21*E|21*F|21*G|63*H|0*I|53*J|21*K|0*");
  EXPECT_EQ(ReadFile("game.log"), "");
}

TEST_F(AcrossRunsTest, UnwritableDataDirectoryKeepsDataFileAndLog) {
  WriteFile("game.log", kFirstGame);
  Run();
  std::string saved = ReadFile("stats/Main/kilnbook.dat");
  WriteFile("game.log", kFirstGame);
  AsUnprivileged(dir(), [&] {
    ASSERT_EQ(chmod("stats/Main", 0555), 0);
    RunResult result = Run();
    chmod("stats/Main", 0755);
    EXPECT_NE(
        result.out.find("Failed to open datfile 'stats/Main/kilnbook.dat'\n"),
        std::string::npos)
        << result.out;
    EXPECT_EQ(ReadFile("game.log"), kFirstGame);
    EXPECT_EQ(ReadFile("stats/Main/kilnbook.dat"), saved);
  });
}

TEST_F(AcrossRunsTest, MissingLogIsCreatedAndNothingIsReported) {
  RunResult result = Run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out.find("logfile"), std::string::npos) << result.out;
  EXPECT_EQ(ReadFile("game.log"), "");
  EXPECT_EQ(DataLine("SRV|"),
            "SRV|N1|Main*A|0*B|0*C|0*D|0*E|0*F|0*G|0*H|0*I|0*J|0*K|0*");
}

}  // namespace
}  // namespace kilnbook
