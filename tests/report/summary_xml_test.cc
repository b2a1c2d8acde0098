// The main and front documents, compared whole.
#include "report/summary_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "support/expected_xml.h"
#include "support/run_program.h"

namespace kilnbook {
namespace {

std::tm MakeTime(int hour, int minute, int day, int month, int year) {
  std::tm time{};
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_mday = day;
  time.tm_mon = month - 1;
  time.tm_year = year - 1900;
  return time;
}

PlayerStats Stats(int32_t kills, int32_t deaths, int32_t score) {
  PlayerStats stats;
  stats.kills = kills;
  stats.deaths = deaths;
  stats.score = score;
  return stats;
}

void AddPlayer(Server& server, const std::string& name, PlayerStats stats) {
  server.playerTable().ReplacePlayer(name).Restore(std::move(stats));
}

TEST(LastRunTextTest, HoursAndMinutesTwoDigitsDateWithout) {
  struct Case {
    std::tm time;
    const char* expected;
  } cases[] = {
      {MakeTime(9, 5, 7, 12, 2026), "09:05 7/12-2026"},
      {MakeTime(0, 0, 1, 1, 2027), "00:00 1/1-2027"},
      {MakeTime(23, 59, 31, 12, 1999), "23:59 31/12-1999"},
      {MakeTime(10, 10, 10, 10, 2010), "10:10 10/10-2010"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LastRunText(c.time), c.expected) << c.expected;
  }
}

TEST(SortTypeTest, SortByLineAndPageName) {
  struct Case {
    SortType type;
    const char* line;
    const char* page;
  } cases[] = {
      {SortType::NONE, "\t<SORT_BY>NONE</SORT_BY>\n", "kilnbook.html"},
      {SortType::SCORE, "\t<SORT_BY>SCORE</SORT_BY>\n", "kilnbook_score.html"},
      {SortType::RATIO, "\t<SORT_BY>RATIO</SORT_BY>\n", "kilnbook_ratio.html"},
      {SortType::KILLS, "\t<SORT_BY>KILLS</SORT_BY>\n", "kilnbook_kills.html"},
      {SortType::DEATHS, "\t<SORT_BY>DEATHS</SORT_BY>\n",
       "kilnbook_deaths.html"},
      {SortType::SUICIDES, "\t<SORT_BY>SUICIDES</SORT_BY>\n",
       "kilnbook_suicides.html"},
      // Values outside the six behave as NONE.
      {static_cast<SortType>(6), "\t<SORT_BY>NONE</SORT_BY>\n",
       "kilnbook.html"},
      {static_cast<SortType>(-1), "\t<SORT_BY>NONE</SORT_BY>\n",
       "kilnbook.html"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SortByXml(c.type), c.line) << static_cast<int>(c.type);
    EXPECT_EQ(MainPageFileName(c.type), c.page) << static_cast<int>(c.type);
  }
}

TEST(RulesXmlTest, MissingConfigurationIsReportedAndPrintsZeros) {
  ConfigFile missing = ConfigFile::Read("/nonexistent/kilnbook.cfg");
  std::string rules;
  std::string out = CaptureStdout([&] { rules = RulesXml(missing); });
  EXPECT_EQ(out, "Failed to open cfg file (kilnbook.cfg).\n");
  EXPECT_EQ(rules,
            "\t<RULES>\n"
            "\t\t<RULE_MINSCORE>0</RULE_MINSCORE>\n"
            "\t\t<RULE_MINKILLS>0</RULE_MINKILLS>\n"
            "\t</RULES>\n");
}

class SummaryXmlTest : public ::testing::Test {
 protected:
  SummaryXmlTest() { servers_.AddServer("Main", "1.2.3.4:27960", "g.log"); }

  Server& main() { return *servers_.Find("Main"); }

  ReportContext Context() {
    return ReportContext{config_, file_, "Main", "1.2.3.4:27960"};
  }

  // Settings are cleaned when read: the ampersand arrives as "&amp;" and
  // must not be escaped a second time.
  ConfigFile file_ = ConfigFile::FromText(
      "ADMIN_ICQ 12345\nADMIN_NICK Kiln&Co\nADMIN_EMAIL a@b.c\n"
      "MIN_SCORE 5\nMIN_KILLS 3\n");
  Config config_{file_};
  ServerList servers_{file_};
  std::tm time_ = MakeTime(9, 5, 7, 12, 2026);
};

TEST_F(SummaryXmlTest, MainDocumentAfterPruning) {
  ServerCounters counters;
  counters.REDSCORE = -5;
  counters.BLUESCORE = 12;
  counters.REDWIN = 1;
  counters.BLUEWIN = 2;
  counters.CLIENTCONNECT = 30;
  counters.GAMESHUTDOWN = 4;
  counters.GAMEEXIT = 3;
  counters.GAMEINIT = 5;
  counters.KILLS = 2147483647;
  counters.TEAMKILLS = 6;
  counters.PING = -27;
  main().RestoreCounters(counters);
  PlayerStats ann = Stats(10, 3, 55);
  ann.plainName = "Ann";
  ann.htmlName = "&lt;FONT COLOR=\"#FF0000\"&gt;Ann&lt;/FONT&gt;";
  ann.ping = 80;
  ann.suicides = 2;
  ann.teamKills = 1;
  AddPlayer(main(), "^1Ann", ann);
  PlayerStats bob = Stats(25, 10, 40);
  bob.plainName = "Bob";
  bob.htmlName = "Bob";
  AddPlayer(main(), "Bob", bob);
  // Exactly at both thresholds, and without deaths.
  AddPlayer(main(), "Zed", Stats(3, 0, 5));
  AddPlayer(main(), "Low", Stats(2, 0, 100));
  AddPlayer(main(), "Poor", Stats(9, 1, 4));
  main().PrunePlayers();

  std::string expected =
      kDocumentHead + std::string("\t<SORT_BY>DEATHS</SORT_BY>\n") +
      InfoAndRulesXml("12345", "Kiln&amp;Co", "a@b.c", "1.2.3.4:27960", "Main",
                      "09:05 7/12-2026", "5", "3") +
      "\t<SERVERSTATS>\n" +
      CounterLinesXml({"-5", "12", "1", "2", "30", "4", "3", "5", "2147483647",
                       "6", "-27", "3"}) +
      "\t</SERVERSTATS>\n" + WeaponsSection() + "<PLAYERS>\n" +
      PlayerStatsXml("Bob", "Bob", "Bob",
                     {"25", "10", "0", "0", "0", "40", "10", "25"}) +
      "</PLAYER>\n" +
      PlayerStatsXml("Zed", "", "", {"3", "0", "0", "0", "0", "5", "1", "30"}) +
      "</PLAYER>\n" +
      PlayerStatsXml("^1Ann", "Ann", ann.htmlName,
                     {"10", "3", "1", "2", "80", "55", "18", "33"}) +
      "</PLAYER>\n</PLAYERS>\n</KILNBOOKS>\n";
  std::string document = MainXml(Context(), servers_, SortType::DEATHS, time_);
  EXPECT_EQ(document, expected);
  // Building changes nothing.
  EXPECT_EQ(MainXml(Context(), servers_, SortType::DEATHS, time_), document);
  // Around the server's statistics built once, the same document.
  EXPECT_EQ(MainXml(Context(), SortType::DEATHS, time_,
                    ServerStatsXml(servers_, Context().serverName)),
            document);
}

TEST_F(SummaryXmlTest, EmptyTableAfterPruning) {
  ConfigFile file =
      ConfigFile::FromText("EXCLUDE_PLAYERS Player,world_entity\n");
  ServerList servers(file);
  servers.AddServer("S", "a", "l");
  Server& server = *servers.Find("S");
  server.PrunePlayers();
  EXPECT_EQ(PlayersXml(server.playerTable()),
            WeaponsSection() + "<PLAYERS>\n</PLAYERS>\n");
  std::string stats = ServerStatsXml(server);
  EXPECT_NE(stats.find("\t\t<TOTALPLAYERS>0</TOTALPLAYERS>\n"),
            std::string::npos);
}

TEST_F(SummaryXmlTest, PlayerBelowEitherThresholdLeavesNoTrace) {
  AddPlayer(main(), "A", Stats(2, 0, 5));
  AddPlayer(main(), "B", Stats(3, 0, 4));
  EXPECT_EQ(PlayerXml(*main().playerTable().players().at("A")), "");
  EXPECT_EQ(PlayerXml(*main().playerTable().players().at("B")), "");
}

TEST_F(SummaryXmlTest, UnknownServerHasNoStats) {
  EXPECT_EQ(ServerStatsXml(servers_, "Nowhere"), "");
}

TEST_F(SummaryXmlTest, FrontDocumentListsServersInNameOrder) {
  ConfigFile file = ConfigFile::FromText("MIN_KILLS 1\n");
  Config config(file);
  ServerList servers(file);
  servers.AddServer("Beta", "2.2.2.2", "b.log");
  servers.AddServer("Alpha", "1.1.1.1", "a.log");
  ServerCounters counters;
  counters.GAMEINIT = 7;
  servers.Find("Alpha")->RestoreCounters(counters);
  // The INFO block names the server processed last.
  ReportContext context{config, file, "Beta", "2.2.2.2"};
  std::string expected =
      kDocumentHead +
      InfoAndRulesXml("", "", "", "2.2.2.2", "Beta", "23:59 31/12-2026", "0",
                      "1") +
      "<SERVERS>\n\t<SERVER>\n\t\t<SERVERNAME>Alpha</SERVERNAME>\n"
      "\t\t<SERVERADDRESS>1.1.1.1</SERVERADDRESS>\n" +
      CounterLinesXml(
          {"0", "0", "0", "0", "0", "0", "0", "7", "0", "0", "0", "2"}) +
      "\t</SERVER>\n\t<SERVER>\n\t\t<SERVERNAME>Beta</SERVERNAME>\n"
      "\t\t<SERVERADDRESS>2.2.2.2</SERVERADDRESS>\n" +
      CounterLinesXml(
          {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "2"}) +
      "\t</SERVER>\n</SERVERS>\n</KILNBOOKS>\n";
  EXPECT_EQ(FrontXml(context, servers, MakeTime(23, 59, 31, 12, 2026)),
            expected);
}

TEST(ServersXmlTest, NoServerGivesTheTwoLines) {
  ConfigFile file = ConfigFile::FromText("\n");
  ServerList servers(file);
  EXPECT_EQ(ServersXml(servers), "<SERVERS>\n</SERVERS>\n");
}

}  // namespace
}  // namespace kilnbook
