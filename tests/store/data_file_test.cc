#include "store/data_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/stats_app.h"
#include "config/config_file.h"
#include "log/number_text.h"
#include "model/server_list.h"
#include "support/file_size_limit.h"
#include "support/run_program.h"
#include "support/tally_entry.h"
#include "support/tally_list.h"
#include "support/temp_dir.h"

namespace kilnbook {
namespace {

const char kFreshServer[] =
    "SRV|N1|Main*A|0*B|0*C|0*D|0*E|0*F|0*G|0*H|0*I|0*J|0*K|0*\n"
    "PLR|N1|Player*Z|*Y|*A|0*B|0*C|0*D|0*E|0*F|0*G|*H|*I|*J|*K|*L|*M|*N|*\n"
    "PLR|N1|world_entity*Z|*Y|*A|0*B|0*C|0*D|0*E|0*F|0*G|*H|*I|*J|*K|*L|*M|*"
    "N|*\n"
    "\n";

class DataFileTest : public ::testing::Test {
 protected:
  DataFileTest()
      : configFile_(ConfigFile::FromText("")), servers_(configFile_) {
    servers_.AddServer("Main", "addr", "g.log");
  }

  Server& main() { return *servers_.Find("Main"); }
  const PlayerStats* Stats(const std::string& name) {
    auto it = main().playerTable().players().find(name);
    return it == main().playerTable().players().end() ? nullptr
                                                      : &it->second->stats();
  }

  ConfigFile configFile_;
  ServerList servers_;
};

TEST(FindFieldTest, Cases) {
  struct Case {
    const char* line;
    const char* tag;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"SRV|N1|x*A|5*", "A", "5"},
      {"SRV|N1|x*A|5*", "B", std::nullopt},
      {"SRV|N1|x*A|5", "A", std::nullopt},  // no closing star
      {"A|1*A|2*", "A", "1"},               // the first one counts
      {"PLR|N1|Bob*N|m*", "N", "m"},        // "N1|" is not "N|"
      {"PLR|N1|Bob*N|m*", "N1", "Bob"},
      {"L|*M|x*", "L", ""},
      {"", "A", std::nullopt},
      {"xA|", "A", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<std::string_view> got = FindField(c.line, c.tag);
    std::optional<std::string> text;
    if (got) {
      text = std::string(*got);
    }
    EXPECT_EQ(text, c.expected) << c.line << " / " << c.tag;
  }
}

TEST(TallyTest, ParseNameTally) {
  struct Case {
    std::string text;
    TallyList expected;
  };
  const Case cases[] = {
      {"", {}},
      {Entry("Ann", "2") + Entry("Eve", "1"), {{"Ann", 2}, {"Eve", 1}}},
      // Entries out of order (a file not written by us) are sorted.
      {Entry("b", "1") + Entry("B", "2") + Entry("\xE9", "3") +
           Entry("a", "4") + Entry("b", "5"),
       {{"B", 2}, {"a", 4}, {"b", 5}, {"\xE9", 3}}},
      // An entry without its closing byte ends the list.
      {Entry("Ann", "2") + "Eve" + kGrave + "1", {{"Ann", 2}}},
      {"Ann" + kAcute + "3", {}},
      // A later entry of the same key wins; counts read like strtol.
      {Entry("a", "1") + Entry("a", "5"), {{"a", 5}}},
      {Entry("a", "x") + Entry("b", " -7z"), {{"a", 0}, {"b", -7}}},
      {Entry("", "4"), {{"", 4}}},
  };
  for (const Case& c : cases) {
    NamePool names;
    EXPECT_EQ(Listed(ParseNameTally(c.text, names)), c.expected) << c.text;
  }
}

TEST(TallyTest, ParseCodeTally) {
  EXPECT_EQ(
      ParseCodeTally(Entry("17", "3") + Entry("-1022", "1") + Entry("x", "2")),
      (CodeTally{{-1022, 1}, {0, 2}, {17, 3}}));
  EXPECT_EQ(ParseCodeTally(Entry(" +5", "9")), (CodeTally{{5, 9}}));
}

TEST(TallyTest, FormatsInKeyOrder) {
  NamePool names;
  std::string out;
  AppendNameTally(
      out, NameTally(names, {{"b", 1}, {"A", 2}, {"\xE9t\xE9", 3}, {"a", -4}}));
  EXPECT_EQ(out, Entry("A", "2") + Entry("a", "-4") + Entry("b", "1") +
                     Entry("\xE9t\xE9", "3"));
  out.clear();
  AppendCodeTally(out, {{17, 3}, {-1022, 1}, {5, 2}});
  EXPECT_EQ(out, Entry("-1022", "1") + Entry("5", "2") + Entry("17", "3"));
}

TEST(TallyTest, SeparatorBytesInKeysAreDroppedAndCountsMerged) {
  NamePool names;
  const std::string damaged = "c|" + kGrave + kAcute;
  // What the record holds before the tally stays.
  std::string out = "G|";
  AppendNameTally(
      out, NameTally(names, {{"a*b", 1}, {"ab", 2}, {damaged, 4}, {"z", 1}}));
  EXPECT_EQ(out, "G|" + Entry("ab", "3") + Entry("c", "4") + Entry("z", "1"));
}

TEST_F(DataFileTest, FreshServerRecord) {
  EXPECT_EQ(ServerRecord(servers_, "Main"), kFreshServer);
}

TEST_F(DataFileTest, PlayerRecordHasExactLayout) {
  NamePool names;
  PlayerStats stats;
  stats.plainName = "Bob";
  stats.htmlName = "Bob";
  stats.ping = 45;
  stats.score = 12;
  stats.kills = 3;
  stats.deaths = 2;
  stats.teamKills = 1;
  stats.targets = NameTally(names, {{"Ann", 2}, {"Eve", 1}});
  stats.killers = NameTally(names, {{"Ann", 2}});
  stats.teamKillVictims = NameTally(names, {{"Eve", 1}});
  stats.killWeapons = {{7, 3}};
  stats.deathWeapons = {{7, 2}};
  stats.teams = NameTally(names, {{"multi", 4}});
  stats.models = NameTally(names, {{"bluesoldier1", 4}});
  main().playerTable().ReplacePlayer("Bob").Restore(stats);
  std::string out;
  AppendPlayerRecord(out, *main().playerTable().players().at("Bob"));
  EXPECT_EQ(out, "PLR|N1|Bob*Z|Bob*Y|Bob*A|45*B|12*C|3*D|2*E|0*F|1*G|" +
                     Entry("Ann", "2") + Entry("Eve", "1") + "*H|" +
                     Entry("Ann", "2") + "*I|" + Entry("Eve", "1") + "*J|" +
                     Entry("7", "3") + "*K|" + Entry("7", "2") + "*L|*M|" +
                     Entry("multi", "4") + "*N|" + Entry("bluesoldier1", "4") +
                     "*\n");
}

TEST_F(DataFileTest, RoundTripGivesSameBytes) {
  NamePool names;
  ServerCounters counters;
  counters.REDSCORE = -5;
  counters.BLUESCORE = 7;
  counters.REDWIN = 1;
  counters.BLUEWIN = 9;
  counters.CLIENTCONNECT = 3;
  counters.GAMESHUTDOWN = 4;
  counters.GAMEEXIT = 5;
  counters.GAMEINIT = 6;
  counters.KILLS = 2147483647;
  counters.TEAMKILLS = 8;
  counters.PING = -80;
  main().RestoreCounters(counters);
  PlayerStats stats;
  stats.plainName = "^1Bob";
  stats.htmlName = "&lt;FONT COLOR=&quot;#FF0000&quot;&gt;Bob";
  stats.ping = -3;
  stats.score = -2147483647 - 1;
  stats.kills = 2147483647;
  stats.deaths = 9;
  stats.suicides = 1;
  stats.teamKills = 2;
  stats.targets = NameTally(names, {{"Ann", 2}, {"\xC3\xA9", 1}, {"", 3}});
  stats.killers = NameTally(names, {{"", 1}});
  stats.teamKillVictims = NameTally(names, {{"Ann", 1}});
  stats.killWeapons = {{-1022, 1}, {17, 4}};
  stats.deathWeapons = {{0, 1}};
  stats.suicideWeapons = {{58, 2}};
  stats.teams = NameTally(names, {{"multi", 3}, {"multi_axis", 1}});
  stats.models = NameTally(names, {{"blueengineer1", 2}});
  main().playerTable().ReplacePlayer("^1Bob").Restore(stats);
  main().playerTable().ReplacePlayer("");
  std::string first = ServerRecord(servers_, "Main");

  ConfigFile configFile = ConfigFile::FromText("");
  ServerList again(configFile);
  again.AddServer("Main", "", "");
  std::string_view rest = first;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (line.find("SRV|") != std::string_view::npos) {
      LoadServerRecord(again, "Main", line);
    } else if (line.find("PLR|") != std::string_view::npos) {
      LoadPlayerRecord(again, "Main", line);
    }
    rest.remove_prefix(end + 1);
  }
  EXPECT_EQ(ServerRecord(again, "Main"), first);
  const PlayerStats& back =
      again.Find("Main")->playerTable().players().at("^1Bob")->stats();
  EXPECT_EQ(back.targets, stats.targets);
  EXPECT_EQ(back.killWeapons, stats.killWeapons);
  EXPECT_EQ(back.score, stats.score);
  EXPECT_EQ(again.Find("Main")->counters().PING, -80);
  EXPECT_EQ(again.Find("Main")->counters().BLUEWIN, 9);
}

TEST_F(DataFileTest, ServerRecordFieldsMapToCounters) {
  LoadServerRecord(
      servers_, "Other",
      "SRV|N1|Other*A|1*B|2*C|3*D|4*E|5*F|6*G|7*H|8*I|9*J|10*K|11*");
  const ServerCounters& c = main().counters();
  EXPECT_EQ(c.REDSCORE, 0);  // unknown server: nothing applied to Main
  LoadServerRecord(
      servers_, "Main",
      "SRV|N1|Other*A|1*B|2*C|3*D|4*E|5*F|6*G|7*H|8*I|9*J|10*K|11*");
  EXPECT_EQ(c.REDSCORE, 1);
  EXPECT_EQ(c.BLUESCORE, 2);
  EXPECT_EQ(c.CLIENTCONNECT, 3);
  EXPECT_EQ(c.GAMESHUTDOWN, 4);
  EXPECT_EQ(c.GAMEEXIT, 5);
  EXPECT_EQ(c.GAMEINIT, 6);
  EXPECT_EQ(c.KILLS, 7);
  EXPECT_EQ(c.TEAMKILLS, 8);
  EXPECT_EQ(c.PING, 9);
  EXPECT_EQ(c.REDWIN, 10);
  EXPECT_EQ(c.BLUEWIN, 11);
  // Counters are assigned: a record with only A zeroes the rest.
  LoadServerRecord(servers_, "Main", "SRV|N1|Main*A|5*");
  EXPECT_EQ(c.REDSCORE, 5);
  EXPECT_EQ(c.BLUEWIN, 0);
  EXPECT_EQ(c.KILLS, 0);
}

TEST_F(DataFileTest, UnknownServerIsReported) {
  std::string out = CaptureStdout([this] {
    LoadServerRecord(servers_, "Nope", "SRV|N1|Nope*A|1*");
    LoadPlayerRecord(servers_, "Nope", "PLR|N1|Bob*");
    EXPECT_EQ(ServerRecord(servers_, "Nope"), "");
  });
  std::string message =
      "Server does not exist under this name in the config: Nope\n";
  EXPECT_EQ(out, message + message + message);
}

TEST_F(DataFileTest, DamagedPlayerRecords) {
  // No name tag, no star: skipped.
  LoadPlayerRecord(servers_, "Main", "PLR|X|Bob*C|4*");
  LoadPlayerRecord(servers_, "Main", "PLR|N1|Bob");
  EXPECT_EQ(Stats("Bob"), nullptr);
  EXPECT_EQ(main().playerTable().players().size(), 2u);
  // A star before the name tag gives the empty name.
  LoadPlayerRecord(servers_, "Main", "PLR|Z|x*N1|Bob*C|4*");
  ASSERT_NE(Stats(""), nullptr);
  EXPECT_EQ(Stats("")->kills, 4);
  EXPECT_EQ(Stats("")->plainName, "x");
  // Missing fields keep their initial values; bad numbers read as strtol.
  LoadPlayerRecord(
      servers_, "Main",
      "PLR|N1|Ann*C|abc*D| 12x*G|" + Entry("Bob", "2") + "Eve" + kGrave + "1*");
  ASSERT_NE(Stats("Ann"), nullptr);
  EXPECT_EQ(Stats("Ann")->kills, 0);
  EXPECT_EQ(Stats("Ann")->deaths, 12);
  EXPECT_EQ(Stats("Ann")->htmlName, "");
  EXPECT_EQ(Listed(Stats("Ann")->targets), (TallyList{{"Bob", 2}}));
}

// Whatever the damage, a record reads every field where FindField finds it.
TEST_F(DataFileTest, PlayerFieldsAreReadWhereFindFieldFindsThem) {
  const std::string lines[] = {
      "PLR|N1|Bob*C|4*D|3*",
      // A doubled tag byte: the second one is followed by the bar.
      "PLR|N1|Bob*CC|5*D|x*C|6*",
      // The first occurrence wins, even inside another field's text.
      "PLR|N1|Bob*Z|C|7*C|8*",
      // A tag whose star is missing gives nothing, also when a later copy
      // of the tag has one.
      "PLR|N1|Bob*D|9",
      "PLR|N1|Bob*D|9|D|10*",
      // Tags at the very start and the very end of the line.
      "A|PLR|N1|Bob*C|11*F|",
      "PLR|N1|Bob*||*|A|12*B|*Y|<b>*",
      "PLR|N1|Bob*E|13*F|14*" + std::string("\0", 1) + "|x*",
  };
  for (const std::string& line : lines) {
    LoadPlayerRecord(servers_, "Main", line);
    const PlayerStats* stats = Stats("Bob");
    ASSERT_NE(stats, nullptr) << line;
    auto number = [&line](const char* tag) {
      std::optional<std::string_view> field = FindField(line, tag);
      return field ? ParseNumber(*field) : 0;
    };
    auto text = [&line](const char* tag) {
      return std::string(FindField(line, tag).value_or(""));
    };
    EXPECT_EQ(stats->plainName, text("Z")) << line;
    EXPECT_EQ(stats->htmlName, text("Y")) << line;
    EXPECT_EQ(stats->ping, number("A")) << line;
    EXPECT_EQ(stats->score, number("B")) << line;
    EXPECT_EQ(stats->kills, number("C")) << line;
    EXPECT_EQ(stats->deaths, number("D")) << line;
    EXPECT_EQ(stats->suicides, number("E")) << line;
    EXPECT_EQ(stats->teamKills, number("F")) << line;
  }
}

TEST_F(DataFileTest, ServerFieldsAreReadWhereFindFieldFindsThem) {
  const std::string line = "SRV|N1|Main*AA|1*A|2*G|K|3*K|4*J|5";
  LoadServerRecord(servers_, "Main", line);
  const ServerCounters& counters = main().counters();
  EXPECT_EQ(counters.REDSCORE, 1);  // "AA|": the second A has the bar
  EXPECT_EQ(counters.KILLS, 0);     // "G|K|3*": the field is "K|3"
  EXPECT_EQ(counters.BLUEWIN, 3);   // the first "K|" is inside G's field
  EXPECT_EQ(counters.REDWIN, 0);    // no star after "J|"
  EXPECT_EQ(counters.PING, 0);
}

TEST_F(DataFileTest, LaterPlayerRecordReplacesEarlierOneWhole) {
  LoadPlayerRecord(servers_, "Main",
                   "PLR|N1|Bob*C|4*D|3*M|" + Entry("multi", "1") + "*");
  LoadPlayerRecord(servers_, "Main", "PLR|N1|Bob*C|9*");
  ASSERT_NE(Stats("Bob"), nullptr);
  EXPECT_EQ(Stats("Bob")->kills, 9);
  EXPECT_EQ(Stats("Bob")->deaths, 0);
  EXPECT_TRUE(Stats("Bob")->teams.empty());
}

// PopulateFromDAT and FlushToDAT through the application. Without
// SERVER_NAME the current server is the registered empty name and the data
// file is ./kilnbook.dat.
class DataFileStageTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    WriteFile("kilnbook.cfg", "LOGFILE g.log\n");
  }
};

TEST_F(DataFileStageTest, MissingFileIsCreatedEmptyWithMode0664) {
  mode_t previous = umask(002);
  StatsApp app;
  std::string out = CaptureStdout([&app] { app.PopulateFromDAT(); });
  umask(previous);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadFile("kilnbook.dat"), "");
  EXPECT_EQ(FileMode("kilnbook.dat"), 0664);
}

TEST_F(DataFileStageTest, CrLfLinesInAnyOrderOfAnyLength) {
  std::string longKey(300000, 'k');
  WriteFile("kilnbook.dat",
            "junk line\r\n"
            "PLR|N1|Bob*C|3*N|" +
                Entry(longKey, "2") +
                "*\r\n"
                "SRV|N1|*A|5*B|6*K|2*\r\n"
                "PLR|N1|Ann*D|1*\r\n"
                "\r\n");
  StatsApp app;
  app.PopulateFromDAT();
  const Server& server = *app.serverList().Find("");
  EXPECT_EQ(server.counters().REDSCORE, 5);
  EXPECT_EQ(server.counters().BLUEWIN, 2);
  const PlayerMap& players = server.playerTable().players();
  ASSERT_EQ(players.count("Bob"), 1u);
  EXPECT_EQ(players.at("Bob")->stats().kills, 3);
  EXPECT_EQ(Listed(players.at("Bob")->stats().models),
            (TallyList{{longKey, 2}}));
  ASSERT_EQ(players.count("Ann"), 1u);
  EXPECT_EQ(players.at("Ann")->stats().deaths, 1);
}

TEST_F(DataFileStageTest, LastLineWithoutLineFeedIsRead) {
  WriteFile("kilnbook.dat", "PLR|N1|Bob*C|3*\nSRV|N1|*G|8*");
  StatsApp app;
  app.PopulateFromDAT();
  EXPECT_EQ(app.serverList().Find("")->counters().KILLS, 8);
}

TEST_F(DataFileStageTest, FlushWritesWhatPopulateRead) {
  std::string text =
      "SRV|N1|*A|1*B|2*C|3*D|4*E|5*F|6*G|7*H|8*I|9*J|10*K|11*\n"
      "PLR|N1|Ann*Z|Ann*Y|Ann*A|4*B|5*C|6*D|7*E|8*F|9*G|" +
      Entry("Bob", "1") + "*H|*I|*J|" + Entry("17", "6") +
      "*K|*L|*M|*N|*\n"
      "PLR|N1|Player*Z|*Y|*A|0*B|0*C|0*D|0*E|0*F|0*G|*H|*I|*J|*K|*L|*M|*N|*\n"
      "PLR|N1|world_entity*Z|*Y|*A|0*B|0*C|0*D|0*E|0*F|0*G|*H|*I|*J|*K|*L|*M|"
      "*N|*\n"
      "\n";
  WriteFile("kilnbook.dat", text);
  StatsApp app;
  app.PopulateFromDAT();
  app.FlushToDAT();
  EXPECT_EQ(ReadFile("kilnbook.dat"), text);
  EXPECT_FALSE(FileExists("kilnbook.dat.tmp"));
}

TEST_F(DataFileStageTest, UnopenableFileIsReportedAndNeverWritten) {
  WriteFile("kilnbook.cfg", "PATH missing/\nSERVER_NAME Main\n");
  StatsApp app;
  std::string out = CaptureStdout([&app] { app.OutputInternal(); });
  EXPECT_NE(out.find("Failed to open datfile 'missing/Main/kilnbook.dat'\n"),
            std::string::npos)
      << out;
  EXPECT_FALSE(FileExists("missing"));
}

TEST_F(DataFileStageTest, FailedSaveLeavesOldFileAndNoTemporary) {
  std::string old = "SRV|N1|*A|5*\n" + std::string(200, '#') + "\n\n";
  WriteFile("kilnbook.dat", old);
  StatsApp app;
  app.PopulateFromDAT();
  {
    // The new text holds far more than 64 bytes.
    FileSizeLimit limit(64);
    app.FlushToDAT();
  }
  EXPECT_EQ(ReadFile("kilnbook.dat"), old);
  EXPECT_EQ(DirectoryEntries(),
            (std::vector<std::string>{"kilnbook.cfg", "kilnbook.dat",
                                      "kilnplayers"}));
}

TEST_F(DataFileStageTest, ManyPlayersRoundTrip) {
  std::string text = "SRV|N1|*A|1*\n";
  for (int i = 0; i < 50000; ++i) {
    text += "PLR|N1|p" + std::to_string(i) + "*C|" + std::to_string(i) + "*J|" +
            Entry("17", "2") + "*M|" + Entry("multi", "3") + "*\n";
  }
  WriteFile("kilnbook.dat", text);
  StatsApp app;
  app.PopulateFromDAT();
  EXPECT_EQ(app.serverList().Find("")->playerTable().players().size(), 50002u);
  app.FlushToDAT();
  std::string first = ReadFile("kilnbook.dat");
  StatsApp again;
  again.PopulateFromDAT();
  again.FlushToDAT();
  EXPECT_EQ(ReadFile("kilnbook.dat"), first);
  EXPECT_NE(first.find("PLR|N1|p49999*Z|*Y|*A|0*B|0*C|49999*"),
            std::string::npos);
}

}  // namespace
}  // namespace kilnbook
