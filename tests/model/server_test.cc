#include "model/server.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "log/log_event.h"
#include "support/map_keys.h"
#include "support/run_program.h"

namespace kilnbook {
namespace {

constexpr char kLateStart[] =
    "Your logfile has proably not started on game init\n"
    "Fix it and run again\n";

class ServerTest : public ::testing::Test {
 protected:
  ServerTest()
      : file_(ConfigFile::FromText("MIN_KILLS 3\nMIN_SCORE 5\n")),
        server_("Main", "10.0.0.1:27960", "games.log", file_) {}

  void Join(int32_t slot, const std::string& name, const std::string& team) {
    server_.ClientUserinfoChanged(slot, name, name, name, "head", team);
  }

  const PlayerStats& Stats(const std::string& name) {
    return server_.playerTable().players().at(name)->stats();
  }

  ConfigFile file_;
  Server server_;
};

TEST_F(ServerTest, GameEventsCountOnTheirCounters) {
  server_.InitGame();
  server_.InitGame();
  server_.ShutdownGame();
  server_.Exit();
  server_.RedWin();
  server_.BlueWin();
  server_.BlueWin();
  server_.ClientConnect(UNSET);
  server_.AddRedScore(3);
  server_.AddRedScore(-5);
  server_.AddBlueScore(UNSET);
  const ServerCounters& c = server_.counters();
  EXPECT_EQ(c.GAMEINIT, 2);
  EXPECT_EQ(c.GAMESHUTDOWN, 1);
  EXPECT_EQ(c.GAMEEXIT, 1);
  EXPECT_EQ(c.REDWIN, 1);
  EXPECT_EQ(c.BLUEWIN, 2);
  EXPECT_EQ(c.CLIENTCONNECT, 1);
  EXPECT_EQ(c.REDSCORE, -2);
  EXPECT_EQ(c.BLUESCORE, -1022);
  EXPECT_EQ(c.KILLS, 0);
  EXPECT_EQ(c.TEAMKILLS, 0);
  EXPECT_EQ(c.PING, 0);
}

TEST_F(ServerTest, EveryKillCountsAndTeamKillsCountAgain) {
  Join(2, "Al", "multi");
  Join(5, "Bo", "multi");
  Join(6, "Cy", "multi_axis");
  struct Case {
    int32_t killer, victim;
    std::string out;
    int32_t kills, teamKills;
  } cases[] = {
      {2, 5, "", 1, 1},           // team kill
      {2, 6, "", 2, 1},           // enemy
      {4, 4, kLateStart, 3, 1},   // unbound
      {2, 9, kLateStart, 4, 1},   // victim unbound
      {2, 2, "", 5, 1},           // suicide
      {kWorldSlot, 6, "", 6, 1},  // world, victim has a team
  };
  for (const Case& c : cases) {
    std::string out =
        CaptureStdout([&] { server_.Kill(c.killer, c.victim, 17); });
    EXPECT_EQ(out, c.out) << c.killer << " -> " << c.victim;
    EXPECT_EQ(server_.counters().KILLS, c.kills)
        << c.killer << " -> " << c.victim;
    EXPECT_EQ(server_.counters().TEAMKILLS, c.teamKills)
        << c.killer << " -> " << c.victim;
  }
}

TEST_F(ServerTest, PingAveragesEveryScoreLineTowardZero) {
  struct Case {
    int32_t slot, ping;
    std::string out;
    int32_t serverPing;
  } cases[] = {
      {7, 80, kLateStart, 40},  // unbound slot: still averaged
      {7, 50, kLateStart, 45},
      {7, -100, kLateStart, -27},
      {7, UNSET, kLateStart, -524},
  };
  for (const Case& c : cases) {
    std::string out = CaptureStdout([&] { server_.Score(c.slot, 1, c.ping); });
    EXPECT_EQ(out, c.out) << "ping " << c.ping;
    EXPECT_EQ(server_.counters().PING, c.serverPing) << "ping " << c.ping;
  }
  Join(7, "Al", "multi");
  server_.Score(7, 10, -3);
  EXPECT_EQ(Stats("Al").ping, -1);
  EXPECT_EQ(Stats("Al").score, 10);
  EXPECT_EQ(server_.counters().PING, -263);
}

TEST_F(ServerTest, CountersWrapAround) {
  ServerCounters full;
  full.REDSCORE = INT32_MAX;
  full.BLUESCORE = INT32_MIN;
  full.KILLS = INT32_MAX;
  full.TEAMKILLS = INT32_MAX;
  full.PING = INT32_MAX;
  full.GAMEINIT = INT32_MAX;
  server_.RestoreCounters(full);
  server_.AddRedScore(1);
  server_.AddBlueScore(-1);
  Join(2, "Al", "");
  Join(3, "Bo", "");
  server_.Kill(2, 3, 0);
  server_.Score(2, 0, INT32_MAX);
  server_.InitGame();
  const ServerCounters& c = server_.counters();
  EXPECT_EQ(c.REDSCORE, INT32_MIN);
  EXPECT_EQ(c.BLUESCORE, INT32_MAX);
  EXPECT_EQ(c.KILLS, INT32_MIN);
  EXPECT_EQ(c.TEAMKILLS, INT32_MIN);
  EXPECT_EQ(c.PING, -1);
  EXPECT_EQ(c.GAMEINIT, INT32_MIN);
}

TEST_F(ServerTest, PruningUsesTheServersThresholds) {
  auto restore = [&](const std::string& name, int32_t kills, int32_t score) {
    PlayerStats stats;
    stats.kills = kills;
    stats.score = score;
    server_.playerTable().ReplacePlayer(name).Restore(stats);
  };
  restore("exact", 3, 5);
  restore("fewKills", 2, 100);
  restore("lowScore", 100, 4);
  restore("plenty", 50, 50);
  server_.PrunePlayers();
  std::vector<std::string> names = Keys(server_.playerTable().players());
  // "world_entity" and "Player" are pruned like everybody else.
  EXPECT_EQ(names, (std::vector<std::string>{"exact", "plenty"}));
}

TEST(ServerPruneTest, ExcludedNamesGoFirstThenThresholds) {
  ConfigFile file = ConfigFile::FromText(
      "MIN_KILLS 0\nMIN_SCORE 0\nEXCLUDE_PLAYERS Al, Bo,\n");
  Server server("Main", "", "", file);
  for (const char* name : {"Al", "Bo", " Bo", "", "Cy", "Dee"}) {
    server.playerTable().ReplacePlayer(name);
  }
  PlayerStats negative;
  negative.score = -5;
  server.playerTable().ReplacePlayer("Dee").Restore(negative);
  server.PrunePlayers();
  std::vector<std::string> names = Keys(server.playerTable().players());
  EXPECT_EQ(names,
            (std::vector<std::string>{"Bo", "Cy", "Player", "world_entity"}));
}

TEST(ServerConfigTest, MissingConfigurationReportedPerConfig) {
  ConfigFile missing;
  std::string out =
      CaptureStdout([&] { Server server("Main", "", "", missing); });
  // The player table's Config, its two players, then the server's own.
  std::string expected;
  for (int i = 0; i < 4; ++i) {
    expected += "Failed to open cfg file (kilnbook.cfg).\n";
  }
  EXPECT_EQ(out, expected);
}

}  // namespace
}  // namespace kilnbook
