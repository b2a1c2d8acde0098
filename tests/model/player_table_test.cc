#include "model/player_table.h"

#include <gtest/gtest.h>

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

std::string Times(const std::string& text, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    out += text;
  }
  return out;
}

class PlayerTableTest : public ::testing::Test {
 protected:
  PlayerTableTest()
      : file_(ConfigFile::FromText("MIN_KILLS 0\n")), table_("Main", file_) {}

  // Stores a player with the given totals, as the data file would.
  void Restored(const std::string& name, int32_t kills, int32_t score) {
    PlayerStats stats;
    stats.kills = kills;
    stats.score = score;
    table_.ReplacePlayer(name).Restore(stats);
  }

  // A userinfo event whose html and plain names are derived from `name`.
  void Join(int32_t slot, const std::string& name, const std::string& team,
            const std::string& head = "head") {
    table_.ClientUserinfoChanged(slot, name, "<" + name + ">", "p" + name, head,
                                 team);
  }

  const Player* Find(const std::string& name) const {
    auto it = table_.players().find(name);
    return it == table_.players().end() ? nullptr : it->second.get();
  }
  const PlayerStats& Stats(const std::string& name) const {
    const Player* player = Find(name);
    EXPECT_NE(player, nullptr) << name;
    return player->stats();
  }

  std::vector<std::string> Names() const { return Keys(table_.players()); }

  // Runs a kill and returns what it printed.
  std::string KillOutput(int32_t killer, int32_t victim, int32_t code,
                         bool* teamKill = nullptr) {
    return CaptureStdout([&] {
      bool result = table_.Kill(killer, victim, code);
      if (teamKill != nullptr) {
        *teamKill = result;
      }
    });
  }

  ConfigFile file_;
  PlayerTable table_;
};

TEST_F(PlayerTableTest, StartsWithWorldAndDefaultPlayer) {
  EXPECT_EQ(Names(), (std::vector<std::string>{"Player", "world_entity"}));
  std::string out = CaptureStdout(
      [&] { EXPECT_EQ(table_.ResolveSlot(kWorldSlot), Find("world_entity")); });
  EXPECT_EQ(out, "");
}

TEST_F(PlayerTableTest, UserinfoBindsNamesTeamAndModel) {
  std::string out = CaptureStdout([&] {
    table_.ClientUserinfoChanged(2, "Al", "<b>Al", "Al!", "blueengineer1",
                                 "multi");
  });
  EXPECT_EQ(out, "");
  const PlayerStats& s = Stats("Al");
  EXPECT_EQ(s.htmlName, "<b>Al");
  EXPECT_EQ(s.plainName, "Al!");
  EXPECT_EQ(s.models, (NameTally{{"blueengineer1", 1}}));
  EXPECT_EQ(s.teams, (NameTally{{"multi", 1}}));
  EXPECT_EQ(table_.ResolveSlot(2), Find("Al"));
}

TEST_F(PlayerTableTest, UserinfoForKnownNameKeepsRecordAndCounts) {
  Join(2, "Al", "multi");
  Join(3, "Bo", "multi_axis");
  table_.Kill(2, 3, 17);
  const Player* before = Find("Al");
  table_.ClientUserinfoChanged(4, "Al", "new html", "new plain", "m2",
                               "multi_axis");
  EXPECT_EQ(Find("Al"), before);
  const PlayerStats& s = Stats("Al");
  EXPECT_EQ(s.kills, 1);
  EXPECT_EQ(s.htmlName, "new html");
  EXPECT_EQ(s.plainName, "new plain");
  EXPECT_EQ(s.models, (NameTally{{"head", 1}, {"m2", 1}}));
  EXPECT_EQ(s.teams, (NameTally{{"multi", 1}, {"multi_axis", 1}}));
}

TEST_F(PlayerTableTest, EmptyNamePrintsThreeTimesAndCountsTheHead) {
  std::string out = CaptureStdout([&] {
    table_.ClientUserinfoChanged(UNSET, "", "html", "plain", "redsoldier1",
                                 "multi");
  });
  EXPECT_EQ(out, Times(kLateStart, 3));
  const PlayerStats& s = Stats("");
  EXPECT_EQ(s.models, (NameTally{{"redsoldier1", 1}}));
  EXPECT_EQ(s.htmlName, "");
  EXPECT_EQ(s.plainName, "");
  EXPECT_TRUE(s.teams.empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"", "Player", "world_entity"}));
}

TEST_F(PlayerTableTest, EmptyNameLeavesSlotTeamUnchanged) {
  Join(5, "Bo", "multi");
  Join(2, "Al", "multi");
  // Slot 2 is now bound to the empty name but keeps its team "multi".
  CaptureStdout([&] { Join(2, "", "multi_axis"); });
  table_.SetName(2, "Al");
  bool teamKill = false;
  EXPECT_EQ(KillOutput(2, 5, 17, &teamKill), "");
  EXPECT_TRUE(teamKill);
}

TEST_F(PlayerTableTest, UnboundSlotsPrintOnceAndChangeNoPlayer) {
  Join(5, "Bo", "multi");
  struct Case {
    int32_t killer, victim;
  } cases[] = {{3, 5}, {5, 3}, {3, 4}, {3, 3}, {UNSET, 5}, {5, UNSET}};
  for (const Case& c : cases) {
    bool teamKill = true;
    EXPECT_EQ(KillOutput(c.killer, c.victim, 17, &teamKill), kLateStart)
        << c.killer << " -> " << c.victim;
    EXPECT_FALSE(teamKill);
  }
  EXPECT_EQ(Stats("Bo").kills, 0);
  EXPECT_EQ(Stats("Bo").deaths, 0);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"Bo", "Player", "world_entity"}));
}

TEST_F(PlayerTableTest, ScoreForUnboundSlotPrintsAndChangesNothing) {
  EXPECT_EQ(CaptureStdout([&] { table_.Score(7, 10, 80); }), kLateStart);
  Join(7, "Al", "multi");
  EXPECT_EQ(CaptureStdout([&] { table_.Score(7, 10, 80); }), "");
  EXPECT_EQ(Stats("Al").ping, 40);
  EXPECT_EQ(Stats("Al").score, 10);
  EXPECT_EQ(Stats("Player").score, 0);
}

TEST_F(PlayerTableTest, KillBooksPlainNamesOnBothPlayers) {
  Join(2, "Al", "multi");
  Join(5, "Bo", "multi_axis");
  bool teamKill = true;
  EXPECT_EQ(KillOutput(2, 5, 17, &teamKill), "");
  EXPECT_FALSE(teamKill);
  EXPECT_EQ(Stats("Al").kills, 1);
  EXPECT_EQ(Stats("Al").targets, (NameTally{{"pBo", 1}}));
  EXPECT_EQ(Stats("Al").killWeapons, (CodeTally{{17, 1}}));
  EXPECT_EQ(Stats("Al").teamKills, 0);
  EXPECT_EQ(Stats("Bo").deaths, 1);
  EXPECT_EQ(Stats("Bo").killers, (NameTally{{"pAl", 1}}));
  EXPECT_EQ(Stats("Bo").deathWeapons, (CodeTally{{17, 1}}));
}

TEST_F(PlayerTableTest, TeamIdentifiersCompareByteForByte) {
  struct Case {
    std::string killerTeam, victimTeam;
    bool teamKill;
  } cases[] = {
      {"multi", "multi", true},
      {"multi", "multi_axis", false},
      {"multi", "Multi", false},
      {"multi", "multi ", false},
      {"", "", true},
      {"\xE9", "\xE9", true},
  };
  int32_t slot = 10;
  for (const Case& c : cases) {
    Join(slot, "K" + std::to_string(slot), c.killerTeam);
    Join(slot + 1, "V" + std::to_string(slot), c.victimTeam);
    EXPECT_EQ(table_.Kill(slot, slot + 1, 17), c.teamKill)
        << "'" << c.killerTeam << "' vs '" << c.victimTeam << "'";
    slot += 2;
  }
}

TEST_F(PlayerTableTest, SuicideIsDecidedBySlotEquality) {
  Join(4, "Al", "multi");
  bool teamKill = true;
  EXPECT_EQ(KillOutput(4, 4, 5, &teamKill), "");
  EXPECT_FALSE(teamKill);
  const PlayerStats& s = Stats("Al");
  EXPECT_EQ(s.suicides, 1);
  EXPECT_EQ(s.suicideWeapons, (CodeTally{{5, 1}}));
  EXPECT_EQ(s.kills, 0);
  EXPECT_EQ(s.deaths, 0);
  EXPECT_EQ(s.teamKills, 0);
}

TEST_F(PlayerTableTest, TwoSlotsSharingANameAreNotASuicide) {
  Join(2, "Al", "multi");
  Join(3, "Al", "multi");
  EXPECT_TRUE(table_.Kill(2, 3, 17));
  const PlayerStats& s = Stats("Al");
  EXPECT_EQ(s.suicides, 0);
  EXPECT_EQ(s.kills, 1);
  EXPECT_EQ(s.deaths, 1);
  EXPECT_EQ(s.targets, (NameTally{{"pAl", 1}}));
  EXPECT_EQ(s.killers, (NameTally{{"pAl", 1}}));
  EXPECT_EQ(s.teamKillVictims, (NameTally{{"Al", 1}}));
  Join(3, "Al", "multi_axis");
  EXPECT_FALSE(table_.Kill(3, 2, 17));
  EXPECT_EQ(Stats("Al").kills, 2);
  EXPECT_EQ(Stats("Al").teamKills, 1);
}

TEST_F(PlayerTableTest, RebindingASlotMovesLaterEventsToTheNewName) {
  Join(3, "A", "multi");
  Join(5, "V", "multi_axis");
  table_.Kill(3, 5, 17);
  Join(3, "B", "multi");
  table_.Kill(3, 5, 17);
  table_.Kill(3, 5, 17);
  EXPECT_EQ(Stats("A").kills, 1);
  EXPECT_EQ(Stats("B").kills, 2);
  EXPECT_EQ(Stats("V").killers, (NameTally{{"pA", 1}, {"pB", 2}}));
}

TEST_F(PlayerTableTest, WorldKillsBookOnWorldEntityWithEmptyPlainName) {
  Join(5, "Bo", "multi");
  Join(6, "Cy", "");
  bool teamKill = true;
  EXPECT_EQ(KillOutput(kWorldSlot, 5, 40, &teamKill), "");
  EXPECT_FALSE(teamKill);
  EXPECT_EQ(KillOutput(kWorldSlot, 6, 40, &teamKill), "");
  EXPECT_TRUE(teamKill);
  const PlayerStats& world = Stats("world_entity");
  EXPECT_EQ(world.kills, 2);
  EXPECT_EQ(world.targets, (NameTally{{"pBo", 1}, {"pCy", 1}}));
  EXPECT_EQ(world.killWeapons, (CodeTally{{40, 2}}));
  EXPECT_EQ(world.teamKillVictims, (NameTally{{"Cy", 1}}));
  EXPECT_EQ(Stats("Bo").killers, (NameTally{{"", 1}}));
  EXPECT_EQ(Stats("Bo").deathWeapons, (CodeTally{{40, 1}}));
}

TEST_F(PlayerTableTest, UnsetAndUnknownCodesAreTalliedLikeAnyCode) {
  Join(2, "Al", "a");
  Join(3, "Bo", "b");
  for (int32_t code : {UNSET, 9, UNSET, 59}) {
    table_.Kill(2, 3, code);
  }
  table_.Kill(2, 2, UNSET);
  EXPECT_EQ(Stats("Al").killWeapons, (CodeTally{{UNSET, 2}, {9, 1}, {59, 1}}));
  EXPECT_EQ(Stats("Bo").deathWeapons, (CodeTally{{UNSET, 2}, {9, 1}, {59, 1}}));
  EXPECT_EQ(Stats("Al").suicideWeapons, (CodeTally{{UNSET, 1}}));
}

TEST_F(PlayerTableTest, ThresholdsDropBelowMinimumOnly) {
  Restored("low", 0, -5);
  Restored("zero", 0, 0);
  Restored("neg", -1, 9);
  table_.DropBelowMinKills(0);
  table_.DropBelowMinScore(0);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"Player", "world_entity", "zero"}));
}

TEST(PlayerTableExcludeTest, PiecesAreTakenByteForByte) {
  struct Case {
    std::string exclude;
    std::vector<std::string> remaining;
  } cases[] = {
      {"", {"", " B", "A", "B", "Player", "world_entity"}},
      {"A, B", {"", "B", "Player", "world_entity"}},
      {"A,B", {"", " B", "Player", "world_entity"}},
      {"A,,B", {" B", "Player", "world_entity"}},
      {"A,", {" B", "B", "Player", "world_entity"}},
      {",", {" B", "A", "B", "Player", "world_entity"}},
      {"world_entity,Player,Nobody", {"", " B", "A", "B"}},
      {"a", {"", " B", "A", "B", "Player", "world_entity"}},
  };
  for (const Case& c : cases) {
    ConfigFile file =
        ConfigFile::FromText("EXCLUDE_PLAYERS " + c.exclude + "\n");
    PlayerTable table("Main", file);
    for (const char* name : {"", " B", "A", "B"}) {
      table.ReplacePlayer(name);
    }
    table.ExcludePlayers();
    std::vector<std::string> names = Keys(table.players());
    EXPECT_EQ(names, c.remaining) << "EXCLUDE_PLAYERS '" << c.exclude << "'";
  }
}

TEST(PlayerTableOrderTest, PlayersOrderBytewiseWithPrefixFirst) {
  ConfigFile file = ConfigFile::FromText("\n");
  PlayerTable table("Main", file);
  for (const char* name : {"\xC3\x84rger", "zed", "Zed", "ab", "a", "~"}) {
    table.ReplacePlayer(name);
  }
  std::vector<std::string> names = Keys(table.players());
  EXPECT_EQ(names, (std::vector<std::string>{"Player", "Zed", "a", "ab",
                                             "world_entity", "zed", "~",
                                             "\xC3\x84rger"}));
}

TEST(PlayerTableConfigTest, MissingConfigurationReportedPerConfig) {
  ConfigFile missing;
  std::string out = CaptureStdout([&] { PlayerTable table("Main", missing); });
  // The table's own Config, then "world_entity" and "Player".
  EXPECT_EQ(out, Times("Failed to open cfg file (kilnbook.cfg).\n", 3));
}

// Repeated kills between the same two slots must keep following every change
// of names, plain names and teams in between.
TEST_F(PlayerTableTest, RepeatedKillsFollowNameAndTeamChanges) {
  Join(1, "A", "multi");
  Join(2, "B", "multi");
  EXPECT_TRUE(table_.Kill(1, 2, 17));
  EXPECT_TRUE(table_.Kill(1, 2, 17));
  Join(2, "B", "multi_axis");  // team switch: no longer a team kill
  EXPECT_FALSE(table_.Kill(1, 2, 18));
  table_.ClientUserinfoChanged(2, "B", "<B>", "Bee", "head", "multi_axis");
  EXPECT_FALSE(table_.Kill(1, 2, 18));  // booked under the new plain name
  Join(2, "C", "multi");  // slot 2 now belongs to another player
  EXPECT_TRUE(table_.Kill(1, 2, 19));
  EXPECT_TRUE(table_.Kill(1, 2, 19));

  const PlayerStats& a = Stats("A");
  EXPECT_EQ(a.kills, 6);
  EXPECT_EQ(a.teamKills, 4);
  EXPECT_EQ(a.targets, (NameTally{{"pB", 3}, {"Bee", 1}, {"pC", 2}}));
  EXPECT_EQ(a.teamKillVictims, (NameTally{{"B", 2}, {"C", 2}}));
  EXPECT_EQ(a.killWeapons, (CodeTally{{17, 2}, {18, 2}, {19, 2}}));
  EXPECT_EQ(Stats("B").deaths, 4);
  EXPECT_EQ(Stats("B").killers, (NameTally{{"pA", 4}}));
  EXPECT_EQ(Stats("C").deaths, 2);
  EXPECT_EQ(Stats("C").deathWeapons, (CodeTally{{19, 2}}));
}

// A slot's first team can turn an earlier team kill (both teams unknown)
// into an ordinary kill.
TEST_F(PlayerTableTest, FirstTeamOfASlotEndsEmptyTeamMatch) {
  Join(1, "A", "");
  EXPECT_TRUE(table_.Kill(kWorldSlot, 1, 46));
  Join(1, "A", "multi");
  EXPECT_FALSE(table_.Kill(kWorldSlot, 1, 46));
  EXPECT_EQ(Stats(kWorldName).teamKills, 1);
  EXPECT_EQ(Stats(kWorldName).kills, 2);
}

// Players replaced by the data file or removed by pruning are never updated
// through an earlier kill between their slots.
TEST_F(PlayerTableTest, ReplacedPlayersAreResolvedAgain) {
  Join(1, "A", "multi");
  Join(2, "B", "multi_axis");
  table_.Kill(1, 2, 17);
  Restored("A", 10, 0);
  table_.Kill(1, 2, 17);
  EXPECT_EQ(Stats("A").kills, 11);
  EXPECT_EQ(Stats("B").deaths, 2);
}

}  // namespace
}  // namespace kilnbook
