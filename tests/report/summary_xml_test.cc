// The main and front documents, compared whole.
#include "report/summary_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "model/weapon_table.h"
#include "report/weapon_xml.h"
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

std::string WeaponsSection() {
  return WeaponsOpenXml() + WeaponExistingXml(WeaponTable()) +
         WeaponsCloseXml();
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

TEST_F(SummaryXmlTest, InfoBlockWithEmptyAndEscapedValues) {
  ConfigFile file = ConfigFile::FromText("ADMIN_NICK Kiln&Co\n");
  Config config(file);
  ReportContext context{config, file, "", "addr"};
  EXPECT_EQ(InfoXml(context, MakeTime(0, 0, 1, 1, 2027)),
            R"(	<INFO>
		<ADMIN_ICQ></ADMIN_ICQ>
		<ADMIN_NICK>Kiln&amp;Co</ADMIN_NICK>
		<ADMIN_MAIL></ADMIN_MAIL>
		<SERVER_ADDRESS>addr</SERVER_ADDRESS>
		<SERVER_NAME></SERVER_NAME>
		<HOMEPAGE>https://kilnbook.example.org/</HOMEPAGE>
		<VERSION>0.7.0 (Linux)</VERSION>
		<LAST_RUN>00:00 1/1-2027</LAST_RUN>
	</INFO>
)");
}

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

  std::string expected = R"(<?xml version="1.0"?>
<KILNBOOKS>
	<SORT_BY>DEATHS</SORT_BY>
	<INFO>
		<ADMIN_ICQ>12345</ADMIN_ICQ>
		<ADMIN_NICK>Kiln&amp;Co</ADMIN_NICK>
		<ADMIN_MAIL>a@b.c</ADMIN_MAIL>
		<SERVER_ADDRESS>1.2.3.4:27960</SERVER_ADDRESS>
		<SERVER_NAME>Main</SERVER_NAME>
		<HOMEPAGE>https://kilnbook.example.org/</HOMEPAGE>
		<VERSION>0.7.0 (Linux)</VERSION>
		<LAST_RUN>09:05 7/12-2026</LAST_RUN>
	</INFO>
	<RULES>
		<RULE_MINSCORE>5</RULE_MINSCORE>
		<RULE_MINKILLS>3</RULE_MINKILLS>
	</RULES>
	<SERVERSTATS>
		<REDSCORE>-5</REDSCORE>
		<BLUESCORE>12</BLUESCORE>
		<REDWIN>1</REDWIN>
		<BLUEWIN>2</BLUEWIN>
		<CLIENTCONNECT>30</CLIENTCONNECT>
		<GAMESHUTDOWN>4</GAMESHUTDOWN>
		<GAMEEXIT>3</GAMEEXIT>
		<GAMEINIT>5</GAMEINIT>
		<KILLS>2147483647</KILLS>
		<TEAMKILLS>6</TEAMKILLS>
		<PING>-27</PING>
		<TOTALPLAYERS>3</TOTALPLAYERS>
	</SERVERSTATS>
)" + WeaponsSection() + R"(<PLAYERS>
<PLAYER>
	<NAME>Bob</NAME>
	<PLAINNAME>Bob</PLAINNAME>
	<HTMLNAME>Bob</HTMLNAME>
	<STATS>
		<KILLS>25</KILLS>
		<DEATHS>10</DEATHS>
		<TEAMKILLS>0</TEAMKILLS>
		<SUICIDES>0</SUICIDES>
		<PING>0</PING>
		<SCORE>40</SCORE>
		<RATE>10</RATE>
		<RATIO>25</RATIO>
	</STATS>
</PLAYER>
<PLAYER>
	<NAME>Zed</NAME>
	<PLAINNAME></PLAINNAME>
	<HTMLNAME></HTMLNAME>
	<STATS>
		<KILLS>3</KILLS>
		<DEATHS>0</DEATHS>
		<TEAMKILLS>0</TEAMKILLS>
		<SUICIDES>0</SUICIDES>
		<PING>0</PING>
		<SCORE>5</SCORE>
		<RATE>1</RATE>
		<RATIO>30</RATIO>
	</STATS>
</PLAYER>
<PLAYER>
	<NAME>^1Ann</NAME>
	<PLAINNAME>Ann</PLAINNAME>
	<HTMLNAME>&lt;FONT COLOR="#FF0000"&gt;Ann&lt;/FONT&gt;</HTMLNAME>
	<STATS>
		<KILLS>10</KILLS>
		<DEATHS>3</DEATHS>
		<TEAMKILLS>1</TEAMKILLS>
		<SUICIDES>2</SUICIDES>
		<PING>80</PING>
		<SCORE>55</SCORE>
		<RATE>18</RATE>
		<RATIO>33</RATIO>
	</STATS>
</PLAYER>
</PLAYERS>
</KILNBOOKS>
)";
  std::string document = MainXml(Context(), servers_, SortType::DEATHS, time_);
  EXPECT_EQ(document, expected);
  // Building changes nothing.
  EXPECT_EQ(MainXml(Context(), servers_, SortType::DEATHS, time_), document);
}

TEST_F(SummaryXmlTest, SixMainDocumentsDifferOnlyInSortLine) {
  std::string none = MainXml(Context(), servers_, SortType::NONE, time_);
  for (SortType type : kSortTypes) {
    std::string document = MainXml(Context(), servers_, type, time_);
    std::string sortLine(SortByXml(type));
    std::string expected = none;
    expected.replace(expected.find("\t<SORT_BY>"),
                     SortByXml(SortType::NONE).size(), sortLine);
    EXPECT_EQ(document, expected) << sortLine;
  }
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
  std::string counterLines = R"(		<REDSCORE>0</REDSCORE>
		<BLUESCORE>0</BLUESCORE>
		<REDWIN>0</REDWIN>
		<BLUEWIN>0</BLUEWIN>
		<CLIENTCONNECT>0</CLIENTCONNECT>
		<GAMESHUTDOWN>0</GAMESHUTDOWN>
		<GAMEEXIT>0</GAMEEXIT>
		<GAMEINIT>)";
  std::string tail = R"(</GAMEINIT>
		<KILLS>0</KILLS>
		<TEAMKILLS>0</TEAMKILLS>
		<PING>0</PING>
		<TOTALPLAYERS>2</TOTALPLAYERS>
	</SERVER>
)";
  std::string expected = R"(<?xml version="1.0"?>
<KILNBOOKS>
	<INFO>
		<ADMIN_ICQ></ADMIN_ICQ>
		<ADMIN_NICK></ADMIN_NICK>
		<ADMIN_MAIL></ADMIN_MAIL>
		<SERVER_ADDRESS>2.2.2.2</SERVER_ADDRESS>
		<SERVER_NAME>Beta</SERVER_NAME>
		<HOMEPAGE>https://kilnbook.example.org/</HOMEPAGE>
		<VERSION>0.7.0 (Linux)</VERSION>
		<LAST_RUN>23:59 31/12-2026</LAST_RUN>
	</INFO>
	<RULES>
		<RULE_MINSCORE>0</RULE_MINSCORE>
		<RULE_MINKILLS>1</RULE_MINKILLS>
	</RULES>
<SERVERS>
	<SERVER>
		<SERVERNAME>Alpha</SERVERNAME>
		<SERVERADDRESS>1.1.1.1</SERVERADDRESS>
)" + counterLines + "7" + tail +
                         R"(	<SERVER>
		<SERVERNAME>Beta</SERVERNAME>
		<SERVERADDRESS>2.2.2.2</SERVERADDRESS>
)" + counterLines + "0" + tail +
                         R"(</SERVERS>
</KILNBOOKS>
)";
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
