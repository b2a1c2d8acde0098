#include "model/player_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "config/config_file.h"
#include "log/log_event.h"
#include "support/map_keys.h"
#include "support/run_program.h"
#include "support/tally_list.h"

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
  EXPECT_EQ(Listed(s.models), (TallyList{{"blueengineer1", 1}}));
  EXPECT_EQ(Listed(s.teams), (TallyList{{"multi", 1}}));
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
  EXPECT_EQ(Listed(s.models), (TallyList{{"head", 1}, {"m2", 1}}));
  EXPECT_EQ(Listed(s.teams), (TallyList{{"multi", 1}, {"multi_axis", 1}}));
}

TEST_F(PlayerTableTest, EmptyNamePrintsThreeTimesAndCountsTheHead) {
  std::string out = CaptureStdout([&] {
    table_.ClientUserinfoChanged(UNSET, "", "html", "plain", "redsoldier1",
                                 "multi");
  });
  EXPECT_EQ(out, Times(kLateStart, 3));
  const PlayerStats& s = Stats("");
  EXPECT_EQ(Listed(s.models), (TallyList{{"redsoldier1", 1}}));
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
  EXPECT_EQ(Listed(Stats("Al").targets), (TallyList{{"pBo", 1}}));
  EXPECT_EQ(Stats("Al").killWeapons, (CodeTally{{17, 1}}));
  EXPECT_EQ(Stats("Al").teamKills, 0);
  EXPECT_EQ(Stats("Bo").deaths, 1);
  EXPECT_EQ(Listed(Stats("Bo").killers), (TallyList{{"pAl", 1}}));
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
  EXPECT_EQ(Listed(s.targets), (TallyList{{"pAl", 1}}));
  EXPECT_EQ(Listed(s.killers), (TallyList{{"pAl", 1}}));
  EXPECT_EQ(Listed(s.teamKillVictims), (TallyList{{"Al", 1}}));
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
  EXPECT_EQ(Listed(Stats("V").killers), (TallyList{{"pA", 1}, {"pB", 2}}));
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
  EXPECT_EQ(Listed(world.targets), (TallyList{{"pBo", 1}, {"pCy", 1}}));
  EXPECT_EQ(world.killWeapons, (CodeTally{{40, 2}}));
  EXPECT_EQ(Listed(world.teamKillVictims), (TallyList{{"Cy", 1}}));
  EXPECT_EQ(Listed(Stats("Bo").killers), (TallyList{{"", 1}}));
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
  Join(2, "C", "multi");                // slot 2 now belongs to another player
  EXPECT_TRUE(table_.Kill(1, 2, 19));
  EXPECT_TRUE(table_.Kill(1, 2, 19));

  const PlayerStats& a = Stats("A");
  EXPECT_EQ(a.kills, 6);
  EXPECT_EQ(a.teamKills, 4);
  EXPECT_EQ(Listed(a.targets), (TallyList{{"Bee", 1}, {"pB", 3}, {"pC", 2}}));
  EXPECT_EQ(Listed(a.teamKillVictims), (TallyList{{"B", 2}, {"C", 2}}));
  EXPECT_EQ(a.killWeapons, (CodeTally{{17, 2}, {18, 2}, {19, 2}}));
  EXPECT_EQ(Stats("B").deaths, 4);
  EXPECT_EQ(Listed(Stats("B").killers), (TallyList{{"pA", 4}}));
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

// Slots outside the range a game server uses are slots like any other.
TEST_F(PlayerTableTest, AnySlotNumberBindsAndResolves) {
  const int32_t slots[] = {0,    63, 64,    1021,      1023,     1024,
                           5000, -1, UNSET, INT32_MIN, INT32_MAX};
  for (int32_t slot : slots) {
    Join(slot, "S" + std::to_string(slot), "multi");
  }
  for (int32_t slot : slots) {
    ASSERT_NE(table_.ResolveSlot(slot), nullptr) << slot;
    EXPECT_EQ(table_.ResolveSlot(slot)->name(), "S" + std::to_string(slot));
    // Slot 0 kills itself; every other kill is between team-mates.
    EXPECT_EQ(table_.Kill(slot, 0, 17), slot != 0) << slot;
  }
  EXPECT_EQ(Stats("S0").deaths, static_cast<int32_t>(std::size(slots)) - 1);
  EXPECT_EQ(Stats("S0").suicides, 1);
  EXPECT_EQ(KillOutput(7, 0, 17), kLateStart);
}

// The table's shortcuts (slot records, remembered players, tally hints)
// against a plain model of the accounting rules, over a long random mix of
// renames, team changes, replaced players and kills between any slots.
class ReferenceTable {
 public:
  struct Record {
    std::string plainName;
    int32_t kills = 0;
    int32_t deaths = 0;
    int32_t suicides = 0;
    int32_t teamKills = 0;
    std::map<std::string, int32_t> targets;
    std::map<std::string, int32_t> killers;
    std::map<std::string, int32_t> teamKillVictims;
    std::map<int32_t, int32_t> killWeapons;
    std::map<int32_t, int32_t> deathWeapons;
    std::map<int32_t, int32_t> suicideWeapons;
  };

  ReferenceTable() {
    slotNames_[kWorldSlot] = kWorldName;
    players_[kWorldName];
    players_[kDefaultPlayerName];
  }

  void Userinfo(int32_t slot, const std::string& name,
                const std::string& plainName, const std::string& team) {
    slotNames_[slot] = name;
    players_[name];
    if (Record* record = Resolve(slot)) {
      record->plainName = plainName;
      slotTeams_[slot] = team;
    }
  }

  void Replace(const std::string& name) { players_[name] = Record(); }

  void Kill(int32_t killer, int32_t victim, int32_t code) {
    Record* k = Resolve(killer);
    if (k == nullptr) {
      return;
    }
    Record* v = Resolve(victim);
    if (v == nullptr) {
      return;
    }
    if (killer == victim) {
      ++k->suicides;
      ++k->suicideWeapons[code];
      return;
    }
    ++k->kills;
    ++k->killWeapons[code];
    ++k->targets[v->plainName];
    ++v->deaths;
    ++v->deathWeapons[code];
    ++v->killers[k->plainName];
    if (slotTeams_[killer] == slotTeams_[victim]) {
      ++k->teamKills;
      ++k->teamKillVictims[slotNames_[victim]];
    }
  }

  const std::map<std::string, Record>& players() const { return players_; }
  int unresolved() const { return unresolved_; }

 private:
  Record* Resolve(int32_t slot) {
    auto name = slotNames_.find(slot);
    if (name != slotNames_.end() && !name->second.empty()) {
      auto record = players_.find(name->second);
      if (record != players_.end()) {
        return &record->second;
      }
    }
    ++unresolved_;
    return nullptr;
  }

  std::map<int32_t, std::string> slotNames_;
  std::map<int32_t, std::string> slotTeams_;
  std::map<std::string, Record> players_;
  int unresolved_ = 0;
};

TallyList ListOf(const std::map<std::string, int32_t>& map) {
  return TallyList(map.begin(), map.end());
}

TEST_F(PlayerTableTest, AgreesWithAPlainModelOverManyEvents) {
  ReferenceTable reference;
  const int32_t slots[] = {0, 1, 2, 3, 4, 5, 63, 64, kWorldSlot, 2000, -3};
  const std::string names[] = {"A", "B", "C", "Dd", "", "[WW2]A", "\xE9"};
  const std::string teams[] = {"multi", "multi_axis", ""};
  const int32_t codes[] = {17, 18, UNSET, 6};
  uint32_t state = 12345;
  auto next = [&state](size_t below) {
    state = state * 1103515245u + 12345u;
    return static_cast<size_t>((state >> 8) % below);
  };
  std::string out = CaptureStdout([&] {
    for (int i = 0; i < 20000; ++i) {
      size_t roll = next(100);
      int32_t slot = slots[next(std::size(slots))];
      if (roll < 10) {
        const std::string& name = names[next(std::size(names))];
        // Mostly the plain name the name gives; sometimes another one.
        std::string plain = "p" + name + (next(4) == 0 ? "'" : "");
        const std::string& team = teams[next(std::size(teams))];
        table_.ClientUserinfoChanged(slot, name, "h", plain, "m", team);
        reference.Userinfo(slot, name, plain, team);
      } else if (roll < 11) {
        const std::string& name = names[next(std::size(names))];
        table_.ReplacePlayer(name);
        reference.Replace(name);
      } else {
        int32_t victim = slots[next(std::size(slots))];
        int32_t code = codes[next(std::size(codes))];
        table_.Kill(slot, victim, code);
        reference.Kill(slot, victim, code);
      }
    }
  });
  // The empty name reports on each of its three userinfo steps, the model
  // counts one for it.
  EXPECT_GE(out.size(),
            reference.unresolved() * std::string(kLateStart).size());
  ASSERT_EQ(Names(), Keys(reference.players()));
  for (const auto& [name, expected] : reference.players()) {
    const PlayerStats& s = Stats(name);
    EXPECT_EQ(s.plainName, expected.plainName) << name;
    EXPECT_EQ(s.kills, expected.kills) << name;
    EXPECT_EQ(s.deaths, expected.deaths) << name;
    EXPECT_EQ(s.suicides, expected.suicides) << name;
    EXPECT_EQ(s.teamKills, expected.teamKills) << name;
    EXPECT_EQ(Listed(s.targets), ListOf(expected.targets)) << name;
    EXPECT_EQ(Listed(s.killers), ListOf(expected.killers)) << name;
    EXPECT_EQ(Listed(s.teamKillVictims), ListOf(expected.teamKillVictims))
        << name;
    for (const auto& [tally, map] :
         {std::pair{&s.killWeapons, &expected.killWeapons},
          std::pair{&s.deathWeapons, &expected.deathWeapons},
          std::pair{&s.suicideWeapons, &expected.suicideWeapons}}) {
      CodeTally listed;
      for (const auto& [code, count] : *map) {
        listed.Set(code, count);
      }
      EXPECT_EQ(*tally, listed) << name;
    }
  }
}

}  // namespace
}  // namespace kilnbook
