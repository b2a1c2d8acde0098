// The documents of the kept games, byte for byte for a small history: the
// games list, one game, the player's last games and bests, the front
// document's last game, and the order and results they are made of.
#include "report/games_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "extra/extra_stats.h"
#include "model/name_pool.h"
#include "model/name_tally.h"
#include "model/server_list.h"
#include "report/extra_xml.h"
#include "report/game_fields.h"
#include "report/game_xml.h"
#include "report/player_xml.h"
#include "support/scoped_time_zone.h"

namespace kilnbook {
namespace {

// Game 1 was dropped (its record stays); game 2 has a result, a first blood
// and a player of no side; game 3 has neither result nor kills.
constexpr char kGames[] =
    "KILNBOOK_GAMES|1\n"
    "NEXT|4\n"
    "GAM|2|1772359200|mp_d&amp;pot|605|2|1|30|^1Ann|Bob|17:3,18:3,99:1\n"
    "GPL|2|Bob|multi|2|3|0|1||590|1000000|992400|1|1|18\n"
    "GPL|2|Watcher|spectator|0|0|0|0||100|1000000|1000000|0|0|\n"
    "GPL|2|Zed|multi|2|1|1|0|4|600|1000000|1000500|2|2|17\n"
    "GPL|2|^1Ann|multi_axis|4|1|0|0|12|599|1000000|1008000|3|2|17\n"
    "GAM|3|1772445600||0||||||\n"
    "GPL|3|^1Ann|multi|0|0|0|0||60|1008000|1008000|0|0|\n"
    "BST|^1Ann|5|1|3|2|2|2\n"
    "BST|Bob|2|2|1|2|0|0\n"
    "REC|KILLS|5|1|^1Ann\n"
    "REC|KILLS|4|2|^1Ann\n"
    "REC|SPREE|3|2|^1Ann\n";

constexpr char kAnnNames[] =
    "<NAME>^1Ann</NAME>\n"
    "<PLAINNAME>Ann</PLAINNAME>\n"
    "<HTMLNAME>&lt;FONT COLOR=\"#FF0000\"&gt;Ann&lt;/FONT&gt;</HTMLNAME>\n";

// `lines`, each line prefixed with `tabs` tabs.
std::string Indented(int tabs, const std::string& lines) {
  std::string out;
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find('\n', start);
    out.append(static_cast<size_t>(tabs), '\t');
    out += lines.substr(start, end + 1 - start);
    start = end + 1;
  }
  return out;
}

class GamesXmlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(stats_.LoadGamesState(kGames)); }
  const GameHistory& history() const { return stats_.games(); }
  const GameRecord& Game(int64_t number) const {
    return *history().FindGame(number);
  }

  ScopedTimeZone zone_{"UTC0"};
  ExtraStats stats_;
};

TEST_F(GamesXmlTest, OneGameBothTeamsByScoreFirstBloodAndWeapons) {
  std::string expected =
      "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n"
      "<SERVERNAME>Fish &amp; Chips</SERVERNAME>\n"
      "<GAME>\n"
      "\t<NUMBER>2</NUMBER>\n"
      "\t<WHEN>2026-03-01 10:00</WHEN>\n"
      "\t<MAP>mp_d&amp;pot</MAP>\n"
      "\t<LENGTH>605</LENGTH>\n"
      "\t<AXISSCORE>2</AXISSCORE>\n"
      "\t<ALLIESSCORE>1</ALLIESSCORE>\n"
      "\t<WINNER>Axis</WINNER>\n"
      "\t<PLAYERS>4</PLAYERS>\n"
      "\t<TOPPLAYER>\n" +
      Indented(2, kAnnNames) +
      "\t</TOPPLAYER>\n"
      "</GAME>\n"
      "<FIRSTBLOOD>\n"
      "\t<KILLER>\n" +
      Indented(2, kAnnNames) +
      "\t</KILLER>\n"
      "\t<VICTIM>\n"
      "\t\t<NAME>Bob</NAME>\n"
      "\t\t<PLAINNAME>Bob</PLAINNAME>\n"
      "\t\t<HTMLNAME>Bob</HTMLNAME>\n"
      "\t</VICTIM>\n"
      "\t<TIME>30</TIME>\n"
      "</FIRSTBLOOD>\n"
      "<TEAMS>\n"
      "\t<TEAM>\n"
      "\t\t<NAME>Axis</NAME>\n"
      "\t\t<SCORE>2</SCORE>\n"
      "\t\t<PLAYER>\n" +
      Indented(3, kAnnNames) +
      "\t\t\t<SCORE>12</SCORE>\n"
      "\t\t\t<KILLS>4</KILLS>\n"
      "\t\t\t<DEATHS>1</DEATHS>\n"
      "\t\t\t<SUICIDES>0</SUICIDES>\n"
      "\t\t\t<TEAMKILLS>0</TEAMKILLS>\n"
      "\t\t\t<TIMEPLAYED>599</TIMEPLAYED>\n"
      "\t\t\t<RATINGBEFORE>1000</RATINGBEFORE>\n"
      "\t\t\t<RATINGAFTER>1008</RATINGAFTER>\n"
      "\t\t\t<RATINGCHANGE>8</RATINGCHANGE>\n"
      "\t\t\t<BESTSPREE>3</BESTSPREE>\n"
      "\t\t\t<BESTMULTIKILL>2</BESTMULTIKILL>\n"
      "\t\t\t<WEAPON>MP40</WEAPON>\n"
      "\t\t</PLAYER>\n"
      "\t</TEAM>\n"
      "\t<TEAM>\n"
      "\t\t<NAME>Allies</NAME>\n"
      "\t\t<SCORE>1</SCORE>\n"
      "\t\t<PLAYER>\n"
      "\t\t\t<NAME>Zed</NAME>\n"
      "\t\t\t<PLAINNAME>Zed</PLAINNAME>\n"
      "\t\t\t<HTMLNAME>Zed</HTMLNAME>\n"
      "\t\t\t<SCORE>4</SCORE>\n"
      "\t\t\t<KILLS>2</KILLS>\n"
      "\t\t\t<DEATHS>1</DEATHS>\n"
      "\t\t\t<SUICIDES>1</SUICIDES>\n"
      "\t\t\t<TEAMKILLS>0</TEAMKILLS>\n"
      "\t\t\t<TIMEPLAYED>600</TIMEPLAYED>\n"
      "\t\t\t<RATINGBEFORE>1000</RATINGBEFORE>\n"
      "\t\t\t<RATINGAFTER>1001</RATINGAFTER>\n"
      "\t\t\t<RATINGCHANGE>1</RATINGCHANGE>\n"
      "\t\t\t<BESTSPREE>2</BESTSPREE>\n"
      "\t\t\t<BESTMULTIKILL>2</BESTMULTIKILL>\n"
      "\t\t\t<WEAPON>MP40</WEAPON>\n"
      "\t\t</PLAYER>\n"
      "\t\t<PLAYER>\n"
      "\t\t\t<NAME>Bob</NAME>\n"
      "\t\t\t<PLAINNAME>Bob</PLAINNAME>\n"
      "\t\t\t<HTMLNAME>Bob</HTMLNAME>\n"
      "\t\t\t<SCORE></SCORE>\n"
      "\t\t\t<KILLS>2</KILLS>\n"
      "\t\t\t<DEATHS>3</DEATHS>\n"
      "\t\t\t<SUICIDES>0</SUICIDES>\n"
      "\t\t\t<TEAMKILLS>1</TEAMKILLS>\n"
      "\t\t\t<TIMEPLAYED>590</TIMEPLAYED>\n"
      "\t\t\t<RATINGBEFORE>1000</RATINGBEFORE>\n"
      "\t\t\t<RATINGAFTER>992</RATINGAFTER>\n"
      "\t\t\t<RATINGCHANGE>-8</RATINGCHANGE>\n"
      "\t\t\t<BESTSPREE>1</BESTSPREE>\n"
      "\t\t\t<BESTMULTIKILL>1</BESTMULTIKILL>\n"
      "\t\t\t<WEAPON>Thompson</WEAPON>\n"
      "\t\t</PLAYER>\n"
      "\t</TEAM>\n"
      "\t<TEAM>\n"
      "\t\t<NAME>Unknown team</NAME>\n"
      "\t\t<SCORE></SCORE>\n"
      "\t\t<PLAYER>\n"
      "\t\t\t<NAME>Watcher</NAME>\n"
      "\t\t\t<PLAINNAME>Watcher</PLAINNAME>\n"
      "\t\t\t<HTMLNAME>Watcher</HTMLNAME>\n"
      "\t\t\t<SCORE></SCORE>\n"
      "\t\t\t<KILLS>0</KILLS>\n"
      "\t\t\t<DEATHS>0</DEATHS>\n"
      "\t\t\t<SUICIDES>0</SUICIDES>\n"
      "\t\t\t<TEAMKILLS>0</TEAMKILLS>\n"
      "\t\t\t<TIMEPLAYED>100</TIMEPLAYED>\n"
      "\t\t\t<RATINGBEFORE>1000</RATINGBEFORE>\n"
      "\t\t\t<RATINGAFTER>1000</RATINGAFTER>\n"
      "\t\t\t<RATINGCHANGE>0</RATINGCHANGE>\n"
      "\t\t\t<BESTSPREE>0</BESTSPREE>\n"
      "\t\t\t<BESTMULTIKILL>0</BESTMULTIKILL>\n"
      "\t\t\t<WEAPON></WEAPON>\n"
      "\t\t</PLAYER>\n"
      "\t</TEAM>\n"
      "</TEAMS>\n"
      "<GAMEWEAPONS>\n"
      "\t<WEAPON>\n\t\t<CODE>17</CODE>\n\t\t<NAME>MP40</NAME>\n"
      "\t\t<KILLS>3</KILLS>\n\t</WEAPON>\n"
      "\t<WEAPON>\n\t\t<CODE>18</CODE>\n\t\t<NAME>Thompson</NAME>\n"
      "\t\t<KILLS>3</KILLS>\n\t</WEAPON>\n"
      "\t<WEAPON>\n\t\t<CODE>99</CODE>\n\t\t<NAME></NAME>\n"
      "\t\t<KILLS>1</KILLS>\n\t</WEAPON>\n"
      "</GAMEWEAPONS>\n"
      "</KILNBOOKS>\n";
  EXPECT_EQ(GameDocumentXml("Fish &amp; Chips", Game(2)), expected);
}

TEST_F(GamesXmlTest, GameWithoutResultKillsOrFirstBlood) {
  std::string game = GameDocumentXml("S", Game(3));
  EXPECT_NE(
      game.find("\t<AXISSCORE></AXISSCORE>\n\t<ALLIESSCORE></ALLIESSCORE>\n"
                "\t<WINNER></WINNER>\n"),
      std::string::npos);
  EXPECT_EQ(game.find("<FIRSTBLOOD>"), std::string::npos);
  EXPECT_NE(
      game.find("\t\t<NAME>Axis</NAME>\n\t\t<SCORE></SCORE>\n\t</TEAM>\n"),
      std::string::npos);
  EXPECT_NE(game.find("<GAMEWEAPONS>\n</GAMEWEAPONS>\n</KILNBOOKS>\n"),
            std::string::npos);
}

TEST_F(GamesXmlTest, GamesListNewestFirstWithRecords) {
  ConfigFile file = ConfigFile::FromText("ADMIN_NICK Sarge\n");
  Config config(file);
  ReportContext context{config, file, "Main", "1.2.3.4"};
  std::tm time{};
  std::string summary3 =
      "\t\t<NUMBER>3</NUMBER>\n"
      "\t\t<WHEN>2026-03-02 10:00</WHEN>\n"
      "\t\t<MAP></MAP>\n"
      "\t\t<LENGTH>0</LENGTH>\n"
      "\t\t<AXISSCORE></AXISSCORE>\n"
      "\t\t<ALLIESSCORE></ALLIESSCORE>\n"
      "\t\t<WINNER></WINNER>\n"
      "\t\t<PLAYERS>1</PLAYERS>\n"
      "\t\t<TOPPLAYER>\n" +
      Indented(3, kAnnNames) + "\t\t</TOPPLAYER>\n";
  std::string expected = "<?xml version=\"1.0\"?>\n<KILNBOOKS>\n" +
                         InfoXml(context, time) + "<GAMES>\n\t<GAME>\n" +
                         summary3 + "\t</GAME>\n\t<GAME>\n";
  std::string list = GamesDocumentXml(context, history(), time);
  ASSERT_EQ(list.substr(0, expected.size()), expected);
  EXPECT_NE(list.find("\t\t<NUMBER>2</NUMBER>\n"), std::string::npos);
  std::string records =
      "</GAMES>\n<RECORDS>\n"
      "\t<KILLS>\n"
      "\t\t<RECORD>\n\t\t\t<VALUE>5</VALUE>\n\t\t\t<GAME>1</GAME>\n"
      "\t\t\t<KEPT>0</KEPT>\n" +
      Indented(3, kAnnNames) +
      "\t\t</RECORD>\n"
      "\t\t<RECORD>\n\t\t\t<VALUE>4</VALUE>\n\t\t\t<GAME>2</GAME>\n"
      "\t\t\t<KEPT>1</KEPT>\n" +
      Indented(3, kAnnNames) +
      "\t\t</RECORD>\n"
      "\t</KILLS>\n"
      "\t<SPREES>\n"
      "\t\t<RECORD>\n\t\t\t<VALUE>3</VALUE>\n\t\t\t<GAME>2</GAME>\n"
      "\t\t\t<KEPT>1</KEPT>\n" +
      Indented(3, kAnnNames) +
      "\t\t</RECORD>\n"
      "\t</SPREES>\n"
      "\t<MULTIKILLS>\n"
      "\t</MULTIKILLS>\n"
      "</RECORDS>\n</KILNBOOKS>\n";
  ASSERT_GE(list.size(), records.size());
  EXPECT_EQ(list.substr(list.size() - records.size()), records);
}

TEST_F(GamesXmlTest, PlayerLastGamesAndBests) {
  EXPECT_EQ(PlayerGamesXml(history(), "^1Ann"),
            "\t<LASTGAMES>\n"
            "\t\t<GAME>\n"
            "\t\t\t<NUMBER>3</NUMBER>\n"
            "\t\t\t<WHEN>2026-03-02 10:00</WHEN>\n"
            "\t\t\t<MAP></MAP>\n"
            "\t\t\t<TEAM>Allies</TEAM>\n"
            "\t\t\t<RESULT></RESULT>\n"
            "\t\t\t<KILLS>0</KILLS>\n"
            "\t\t\t<DEATHS>0</DEATHS>\n"
            "\t\t\t<SCORE></SCORE>\n"
            "\t\t\t<RATINGCHANGE>0</RATINGCHANGE>\n"
            "\t\t</GAME>\n"
            "\t\t<GAME>\n"
            "\t\t\t<NUMBER>2</NUMBER>\n"
            "\t\t\t<WHEN>2026-03-01 10:00</WHEN>\n"
            "\t\t\t<MAP>mp_d&amp;pot</MAP>\n"
            "\t\t\t<TEAM>Axis</TEAM>\n"
            "\t\t\t<RESULT>Won</RESULT>\n"
            "\t\t\t<KILLS>4</KILLS>\n"
            "\t\t\t<DEATHS>1</DEATHS>\n"
            "\t\t\t<SCORE>12</SCORE>\n"
            "\t\t\t<RATINGCHANGE>8</RATINGCHANGE>\n"
            "\t\t</GAME>\n"
            "\t</LASTGAMES>\n"
            "\t<BESTS>\n"
            "\t\t<KILLS>\n\t\t\t<VALUE>5</VALUE>\n\t\t\t<GAME>1</GAME>\n"
            "\t\t\t<KEPT>0</KEPT>\n\t\t</KILLS>\n"
            "\t\t<SPREE>\n\t\t\t<VALUE>3</VALUE>\n\t\t\t<GAME>2</GAME>\n"
            "\t\t\t<KEPT>1</KEPT>\n\t\t</SPREE>\n"
            "\t\t<MULTIKILL>\n\t\t\t<VALUE>2</VALUE>\n\t\t\t<GAME>2</GAME>\n"
            "\t\t\t<KEPT>1</KEPT>\n\t\t</MULTIKILL>\n"
            "\t</BESTS>\n");
  // A figure of 0 is no best; a player without games has neither.
  std::string bob = PlayerGamesXml(history(), "Bob");
  EXPECT_NE(bob.find("<RESULT>Lost</RESULT>"), std::string::npos);
  EXPECT_EQ(bob.find("<MULTIKILL>"), std::string::npos);
  EXPECT_EQ(PlayerGamesXml(history(), "Nobody"),
            "\t<LASTGAMES>\n\t</LASTGAMES>\n");
  EXPECT_EQ(LastGameXml(history()).substr(0, 40),
            "\t\t<LASTGAME>\n\t\t\t<NUMBER>3</NUMBER>\n\t\t\t<W");
  EXPECT_EQ(LastGameXml(GameHistory()), "");
}

TEST(GameFieldsTest, ResultsAndScoreboardOrder) {
  GameRecord game;
  game.scores = TeamScores{3, 1};
  struct Case {
    std::string team;
    std::optional<TeamScores> scores;
    std::string_view result;
  };
  const Case cases[] = {
      {"multi_axis", TeamScores{3, 1}, "Won"},
      {"multi", TeamScores{3, 1}, "Lost"},
      {"multi", TeamScores{0, 2}, "Won"},
      {"multi_axis", TeamScores{2, 2}, "Draw"},
      {"spectator", TeamScores{3, 1}, ""},
      {"multi_axis", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    game.scores = c.scores;
    GamePlayer player;
    player.team = c.team;
    EXPECT_EQ(ResultText(game, player), c.result) << c.team;
  }
  // Score first (none below any), then kills, fewer deaths, then name.
  auto line = [](std::string name, std::optional<int64_t> score, int64_t kills,
                 int64_t deaths) {
    GamePlayer player;
    player.name = std::move(name);
    player.score = score;
    player.kills = kills;
    player.deaths = deaths;
    return player;
  };
  game.players = {line("a", std::nullopt, 9, 0),
                  line("b", -5, 0, 0),
                  line("c", 3, 1, 4),
                  line("d", 3, 2, 9),
                  line("e", 3, 2, 1),
                  line("f", 3, 2, 1)};
  std::string order;
  for (const GamePlayer* player : Scoreboard(game)) {
    order += player->name;
  }
  EXPECT_EQ(order, "efdcba");
  EXPECT_EQ(TopPlayer(game)->name, "e");
}

TEST(PlayerDocumentGamesTest, TeamKillVictimsGainTheirColoursOnlyWhenExtended) {
  ScopedTimeZone zone{"UTC0"};
  ConfigFile file = ConfigFile::FromText("MIN_KILLS 0\n");
  ServerList servers(file);
  servers.AddServer("Main", "1.2.3.4", "g.log");
  NamePool names;
  PlayerStats stats;
  stats.plainName = "Ann";
  stats.teamKillVictims = NameTally(names, {{"^2Cy", 2}});
  Player& ann = servers.Find("Main")->playerTable().ReplacePlayer("^1Ann");
  ann.Restore(stats);
  ExtraStats extra;
  ASSERT_TRUE(extra.LoadGamesState(kGames));
  ExtraReport report{extra, 1780056000};
  const char kItem[] = "\t\t<TEAMKILL>\n\t\t\t<NAME>^2Cy</NAME>\n";
  std::string off = PlayerDocumentXml(ann);
  EXPECT_NE(off.find(std::string(kItem) + "\t\t\t<TIMES>2</TIMES>\n"),
            std::string::npos);
  std::string on = PlayerDocumentXml(ann, &report);
  EXPECT_NE(on.find(std::string(kItem) +
                    "\t\t\t<HTMLNAME>&lt;FONT COLOR=\"#00A833\"&gt;Cy"
                    "&lt;/FONT&gt;</HTMLNAME>\n\t\t\t<TIMES>2</TIMES>\n"),
            std::string::npos);
  EXPECT_NE(on.find("\t</MAPS>\n" + PlayerGamesXml(extra.games(), "^1Ann") +
                    "</PLAYER>\n"),
            std::string::npos);
}

}  // namespace
}  // namespace kilnbook
