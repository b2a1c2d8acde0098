#include "config/config.h"

#include <gtest/gtest.h>

#include "config/config_file.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

Config Parse(const std::string& text) {
  return Config(ConfigFile::FromText(text));
}

TEST(ConfigTest, ValuesStartAfterKeyAndOneSeparator) {
  struct Case {
    std::string line;
    std::string expectedLogFile;
  } cases[] = {
      {"LOGFILE=/var/log/game.log", "/var/log/game.log"},
      {"LOGFILE /var/log/game.log", "/var/log/game.log"},
      {"LOGFILE  two blanks", " two blanks"},
      {"LOGFILE x\r", "x"},
      {"LOGFILE trailing ", "trailing "},
      {"LOGFILE", ""},
      {"LOGFILE ", ""},
      // The key may stand anywhere; the value still starts at position 8.
      {"# LOGFILE here", "E here"},
      {"LOGFILE a<b>&\"c'", "ab&amp;&quot;c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse(c.line + "\n").logFile(), c.expectedLogFile)
        << "line: " << c.line;
  }
}

TEST(ConfigTest, EveryKeyAtItsPosition) {
  Config config = Parse(
      "LOGFILE games.log\n"
      "PATH /srv/stats/\n"
      "SERVER_NAME Main\n"
      "SERVER_ADDRESS 10.0.0.1:27960\n"
      "ADMIN_EMAIL admin@example.org\n"
      "ADMIN_NICK Boss\n"
      "ADMIN_ICQ 12345\n"
      "EXCLUDE_PLAYERS Bob, Al\n"
      "MIN_KILLS 3\n"
      "MIN_SCORE -5\n");
  EXPECT_EQ(config.logFile(), "games.log");
  EXPECT_EQ(config.path(), "/srv/stats/");
  EXPECT_EQ(config.serverName(), "Main");
  EXPECT_EQ(config.serverAddress(), "10.0.0.1:27960");
  EXPECT_EQ(config.adminEmail(), "admin@example.org");
  EXPECT_EQ(config.adminNick(), "Boss");
  EXPECT_EQ(config.adminIcq(), "12345");
  EXPECT_EQ(config.excludePlayers(), "Bob, Al");
  EXPECT_EQ(config.minKills(), 3);
  EXPECT_EQ(config.minScore(), -5);
  EXPECT_FALSE(config.IsMultiServer());
}

TEST(ConfigTest, KeysAreTestedInFixedOrder) {
  Config config = Parse("SERVER_NAME My PATH server\n");
  EXPECT_EQ(config.path(), "R_NAME My PATH server");
  EXPECT_EQ(config.serverName(), "");
  // MIN_SCORE is tested before MIN_KILLS.
  Config both = Parse("MIN_KILLS 7 MIN_SCORE\n");
  EXPECT_EQ(both.minScore(), 7);  // "7 MIN_SCORE" from position 10
  EXPECT_EQ(both.minKills(), 0);
}

TEST(ConfigTest, LastLineWinsAndDefaults) {
  Config config = Parse("PATH a/\nPATH b/\nMIN_SCORE 4\nMIN_SCORE letters");
  EXPECT_EQ(config.path(), "b/");
  EXPECT_EQ(config.minScore(), 0);
  EXPECT_EQ(config.minKills(), 0);
  EXPECT_EQ(config.serverName(), "");
}

TEST(ConfigTest, ExtendedStatsIsMatchedAfterEveryOtherKey) {
  struct Case {
    std::string text;
    bool on;
  } cases[] = {
      {"", false},
      {"EXTENDED_STATS 1\n", true},
      {"EXTENDED_STATS=7\n", true},
      {"EXTENDED_STATS -1\n", true},
      {"EXTENDED_STATS 0\n", false},
      {"EXTENDED_STATS yes\n", false},  // not a number: 0
      {"EXTENDED_STATS\n", false},
      {"EXTENDED_STATS 1\nEXTENDED_STATS 0\n", false},  // the last line wins
      // A line that also holds an older key keeps that key's meaning.
      {"EXTENDED_STATS 1 MULTI\n", false},
      {"PATH EXTENDED_STATS 1\n", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse(c.text).extendedStats(), c.on) << c.text;
  }
  Config withPath = Parse("EXTENDED_STATS 1 PATH\n");
  EXPECT_EQ(withPath.path(), "DED_STATS 1 PATH");
  EXPECT_FALSE(withPath.extendedStats());
}

TEST(ConfigTest, KeepGamesIsMatchedLast) {
  struct Case {
    std::string text;
    int32_t kept;
  } cases[] = {
      {"", kDefaultKeepGames},
      {"KEEP_GAMES 50\n", 50},
      {"KEEP_GAMES=7\n", 7},
      {"KEEP_GAMES 0\n", 0},
      {"KEEP_GAMES -5\n", 0},  // below 0 keeps none
      {"KEEP_GAMES many\n", 0},
      {"KEEP_GAMES 5\nKEEP_GAMES 6\n", 6},
      // A line that also holds another key keeps that key's meaning.
      {"KEEP_GAMES 5 PATH\n", kDefaultKeepGames},
      {"MIN_KILLS KEEP_GAMES 5\n", kDefaultKeepGames},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse(c.text).keepGames(), c.kept) << c.text;
  }
  EXPECT_EQ(Parse("KEEP_GAMES 5 PATH\n").path(), "GAMES 5 PATH");
}

TEST(ConfigTest, LongLinesDoNotEndTheReading) {
  std::string longList(5000, 'x');
  Config config =
      Parse("EXCLUDE_PLAYERS " + longList + "\nSERVER_NAME After\n");
  EXPECT_EQ(config.excludePlayers(), longList);
  EXPECT_EQ(config.serverName(), "After");
}

TEST(ConfigTest, LinesWithoutKeysAreIgnored) {
  Config config = Parse("\n# a comment\nrandom text\nPATH p/\n");
  EXPECT_EQ(config.path(), "p/");
}

TEST(ConfigTest, MultiEntries) {
  Config config = Parse(
      "SERVER_NAME Ignored\n"
      "MULTI [N]Alpha [A]1.2.3.4 [L]/logs/a.log \n"
      "MULTI [A]x [N]y [L]z \n"
      "MULTI [N]Fish & Chips [A]addr [L]b.log \r\n"
      "MULTI [N]NoLog [A]addr\n");
  ASSERT_EQ(config.multi().size(), 2u);
  EXPECT_TRUE(config.IsMultiServer());
  EXPECT_EQ(config.multi()[0].name, "Alpha");
  EXPECT_EQ(config.multi()[0].address, "1.2.3.4");
  EXPECT_EQ(config.multi()[0].logFile, "/logs/a.log");
  EXPECT_EQ(config.multi()[1].name, "Fish &amp; Chips");
  EXPECT_EQ(config.multi()[1].logFile, "b.log");
}

TEST(ConfigTest, MultiValueEdges) {
  struct Case {
    std::string value;
    bool parsed;
    std::string name, address, logFile;
  } cases[] = {
      {"[N]a [A]b [L]c ", true, "a", "b", "c"},
      // Without a trailing separator the log path loses its last byte.
      {"[N]a [A]b [L]cd", true, "a", "b", "c"},
      // Nothing between the markers: negative lengths are empty texts.
      {"[N][A][L]", true, "", "", ""},
      {"[N]ab[A]cd[L]", true, "a", "c", ""},
      {"[L]x [A]y [N]z ", false, "", "", ""},
      {"[N]only", false, "", "", ""},
  };
  for (const Case& c : cases) {
    MultiEntry entry;
    EXPECT_EQ(ParseMultiEntry(c.value, entry), c.parsed) << c.value;
    if (c.parsed) {
      EXPECT_EQ(entry.name, c.name) << c.value;
      EXPECT_EQ(entry.address, c.address) << c.value;
      EXPECT_EQ(entry.logFile, c.logFile) << c.value;
    }
  }
}

TEST(ConfigTest, ConfigsOfOneFileCopyItsValuesSilently) {
  ConfigFile file = ConfigFile::FromText(
      "PATH out/\nMIN_KILLS 7\nEXCLUDE_PLAYERS a,b\n"
      "MULTI [N]One [A]1.2.3.4 [L]one.log \n");
  std::string out = CaptureStdout([&] {
    Config first(file);
    Config second(file);
    const Config* configs[] = {&first, &second, file.values().get()};
    for (const Config* config : configs) {
      EXPECT_EQ(config->path(), "out/");
      EXPECT_EQ(config->minKills(), 7);
      EXPECT_EQ(config->excludePlayers(), "a,b");
      ASSERT_EQ(config->multi().size(), 1u);
      EXPECT_EQ(config->multi()[0].logFile, "one.log");
    }
  });
  EXPECT_EQ(out, "");
}

TEST(ConfigTest, FromTextOfNothingGivesTheDefaults) {
  std::string out = CaptureStdout([] {
    Config config = Config::FromText("");
    EXPECT_EQ(config.path(), "");
    EXPECT_EQ(config.minScore(), 0);
    EXPECT_FALSE(config.IsMultiServer());
  });
  EXPECT_EQ(out, "");
}

class ConfigFileTest : public TempDirTest {};

TEST_F(ConfigFileTest, MissingFileIsReportedByEveryConfigBuiltFromIt) {
  std::string out = CaptureStdout([] {
    ConfigFile file = ConfigFile::Read();
    EXPECT_FALSE(file.text().has_value());
    EXPECT_EQ(file.values()->serverName(), "");
    for (int i = 0; i < 3; ++i) {
      Config config(file);
      EXPECT_EQ(config.minKills(), 0);
    }
  });
  EXPECT_EQ(out,
            "Failed to open cfg file (kilnbook.cfg).\n"
            "Failed to open cfg file (kilnbook.cfg).\n"
            "Failed to open cfg file (kilnbook.cfg).\n");
}

TEST_F(ConfigFileTest, MissingFilePrintsMessageEachTime) {
  std::string out = CaptureStdout([] {
    Config first;
    Config second;
    EXPECT_EQ(first.path(), "");
    EXPECT_EQ(second.minKills(), 0);
  });
  EXPECT_EQ(out,
            "Failed to open cfg file (kilnbook.cfg).\n"
            "Failed to open cfg file (kilnbook.cfg).\n");
}

TEST_F(ConfigFileTest, DirectoryInPlaceOfFileIsReportedAsMissing) {
  ASSERT_EQ(mkdir("kilnbook.cfg", 0755), 0);
  std::string out = CaptureStdout([] { Config config; });
  EXPECT_EQ(out, "Failed to open cfg file (kilnbook.cfg).\n");
}

TEST_F(ConfigFileTest, ReadsFileFromWorkingDirectory) {
  WriteFile("kilnbook.cfg", "SERVER_NAME Main\r\nPATH out/");
  std::string out = CaptureStdout([] {
    Config config;
    EXPECT_EQ(config.serverName(), "Main");
    EXPECT_EQ(config.path(), "out/");
  });
  EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace kilnbook
