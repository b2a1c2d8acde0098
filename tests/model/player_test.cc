#include "model/player.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "support/run_program.h"
#include "support/tally_list.h"

namespace kilnbook {
namespace {

ConfigFile Thresholds(int32_t minKills, int32_t minScore) {
  return ConfigFile::FromText("MIN_KILLS " + std::to_string(minKills) +
                              "\nMIN_SCORE " + std::to_string(minScore) + "\n");
}

PlayerStats WithRecord(int32_t kills, int32_t deaths, int32_t score) {
  PlayerStats stats;
  stats.kills = kills;
  stats.deaths = deaths;
  stats.score = score;
  return stats;
}

std::vector<std::string> Keys(const NameTally& tally) {
  std::vector<std::string> keys;
  for (const auto& [key, count] : tally) {
    keys.emplace_back(key);
  }
  return keys;
}

TEST(PlayerTest, EveryPlayerOfAMissingFileReportsIt) {
  ConfigFile missing;
  std::string out = CaptureStdout([&] {
    NamePool names;
    Player first("Al", missing, names);
    Player second("Bob", missing, names);
    EXPECT_EQ(first.config().path(), "");
    EXPECT_EQ(&first.config(), &second.config());
  });
  EXPECT_EQ(out,
            "Failed to open cfg file (kilnbook.cfg).\n"
            "Failed to open cfg file (kilnbook.cfg).\n");
}

TEST(PlayerTest, AddKillTwiceCountsWeaponAndTarget) {
  ConfigFile file = Thresholds(0, 0);
  NamePool names;
  Player player("Bob", file, names);
  player.AddKill("Al", 17);
  player.AddKill("Al", 17);
  const PlayerStats& s = player.stats();
  EXPECT_EQ(s.kills, 2);
  EXPECT_EQ(s.killWeapons, (CodeTally{{17, 2}}));
  EXPECT_EQ(Listed(s.targets), (TallyList{{"Al", 2}}));
  EXPECT_EQ(s.deaths, 0);
  EXPECT_TRUE(s.killers.empty());
  EXPECT_TRUE(s.deathWeapons.empty());
}

TEST(PlayerTest, UpdatesTouchOnlyTheirOwnFields) {
  ConfigFile file = Thresholds(0, 0);
  NamePool names;
  Player player("Bob", file, names);
  player.AddDeath("Al", -1022);
  player.AddSuicide(9);
  player.AddTeamKill("Al^1");
  player.AddTeam("multi");
  player.AddModel("blueengineer1");
  const PlayerStats& s = player.stats();
  EXPECT_EQ(s.kills, 0);
  EXPECT_EQ(s.deaths, 1);
  EXPECT_EQ(s.deathWeapons, (CodeTally{{-1022, 1}}));
  EXPECT_EQ(Listed(s.killers), (TallyList{{"Al", 1}}));
  EXPECT_EQ(s.suicides, 1);
  EXPECT_EQ(s.suicideWeapons, (CodeTally{{9, 1}}));
  EXPECT_EQ(s.teamKills, 1);
  EXPECT_EQ(Listed(s.teamKillVictims), (TallyList{{"Al^1", 1}}));
  EXPECT_EQ(Listed(s.teams), (TallyList{{"multi", 1}}));
  EXPECT_EQ(Listed(s.models), (TallyList{{"blueengineer1", 1}}));
  EXPECT_TRUE(s.targets.empty());
  EXPECT_TRUE(s.killWeapons.empty());
  EXPECT_EQ(s.score, 0);
  EXPECT_EQ(s.ping, 0);
}

TEST(PlayerTest, ScoreAddsAndPingAveragesTowardZero) {
  struct Step {
    int32_t score;
    int32_t sample;
    int32_t expectedPing;
    int32_t expectedScore;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"first sample halved against 0, then averaged",
       {{10, 80, 40, 10}, {-3, 50, 45, 7}}},
      {"-1.5 truncates to -1", {{0, -3, -1, 0}}},
      {"-27.5 truncates to -27", {{0, 90, 45, 0}, {0, -100, -27, 0}}},
      {"a missing sample averages like any value",
       {{-1022, -1022, -511, -1022}}},
  };
  for (const Case& c : cases) {
    ConfigFile file = Thresholds(0, 0);
    NamePool names;
    Player player("Bob", file, names);
    for (const Step& step : c.steps) {
      player.AddScore(step.score, step.sample);
      EXPECT_EQ(player.stats().ping, step.expectedPing) << c.what;
      EXPECT_EQ(player.stats().score, step.expectedScore) << c.what;
    }
  }
}

TEST(PlayerTest, CountersAndTalliesWrapAt32Bits) {
  ConfigFile file = Thresholds(0, 0);
  NamePool names;
  Player player("Bob", file, names);
  PlayerStats stats;
  stats.kills = INT32_MAX;
  stats.score = INT32_MAX;
  stats.ping = INT32_MAX;
  stats.killWeapons = {{17, INT32_MAX}};
  stats.targets = NameTally(names, {{"Al", INT32_MAX}});
  player.Restore(stats);
  player.AddKill("Al", 17);
  player.AddScore(1, INT32_MAX);
  const PlayerStats& s = player.stats();
  EXPECT_EQ(s.kills, INT32_MIN);
  EXPECT_EQ(s.killWeapons, (CodeTally{{17, INT32_MIN}}));
  EXPECT_EQ(Listed(s.targets), (TallyList{{"Al", INT32_MIN}}));
  EXPECT_EQ(s.score, INT32_MIN);
  // INT32_MAX + INT32_MAX wraps to -2 before halving.
  EXPECT_EQ(s.ping, -1);
}

TEST(PlayerTest, RatioAndRateWorkedValues) {
  struct Case {
    int32_t kills, deaths, score;
    int32_t ratio, rate;
  } cases[] = {
      {7, 10, 0, 7, 0},
      {25, 10, 40, 25, 10},
      {10, 3, 55, 33, 18},
      {10, 3, -55, 33, -18},  // truncated toward zero, not down
      {0, 4, 100, 0, 0},
      {12, 5, 0, 24, 0},
      // Without deaths the player counts as having died once.
      {5, 0, 50, 50, 25},
      {0, 0, 0, 0, 0},
      // 100 * (0.01 * 29) is just below 29 in double precision; the single
      // precision step makes it 29.
      {10, 1, 29, 100, 29},
      // The score enters in single precision: 16777217 counts as 16777216,
      // giving 6710886.4 where the exact score would round to 6710887.
      {4, 1, 16777217, 40, 6710886},
      // Values beyond the 32-bit range clamp instead of trapping.
      {INT32_MAX, 0, 0, INT32_MAX, 0},
      {INT32_MIN, 0, 0, INT32_MIN, 0},
      {INT32_MAX, 1, INT32_MIN, INT32_MAX, INT32_MIN},
  };
  for (const Case& c : cases) {
    ConfigFile file = Thresholds(0, 0);
    NamePool names;
    Player player("Bob", file, names);
    player.Restore(WithRecord(c.kills, c.deaths, c.score));
    EXPECT_EQ(player.RatioValue(), c.ratio)
        << c.kills << "/" << c.deaths << " score " << c.score;
    EXPECT_EQ(player.RateValue(), c.rate)
        << c.kills << "/" << c.deaths << " score " << c.score;
  }
}

TEST(PlayerTest, MeetsThresholdsInclusiveAndSigned) {
  struct Case {
    int32_t minKills, minScore, kills, score;
    bool meets;
  } cases[] = {
      {3, 5, 3, 5, true},      {3, 5, 3, 4, false},  {3, 5, 2, 5, false},
      {0, 0, 0, 0, true},      {0, 0, 0, -5, false}, {-2, -10, -2, -10, true},
      {-2, -10, -3, 0, false},
  };
  for (const Case& c : cases) {
    ConfigFile file = Thresholds(c.minKills, c.minScore);
    NamePool names;
    Player player("Bob", file, names);
    player.Restore(WithRecord(c.kills, 0, c.score));
    EXPECT_EQ(player.MeetsThresholds(), c.meets)
        << "MIN_KILLS " << c.minKills << " MIN_SCORE " << c.minScore
        << " kills " << c.kills << " score " << c.score;
  }
}

TEST(PlayerTest, TallyEntriesSortBytewiseUnsigned) {
  ConfigFile file = Thresholds(0, 0);
  NamePool names;
  Player player("Bob", file, names);
  for (const char* name : {"b", "\xC3\xA9", "B", "a", "ab", "", "~"}) {
    player.AddKill(name, 0);
  }
  EXPECT_EQ(
      Keys(player.stats().targets),
      (std::vector<std::string>{"", "B", "a", "ab", "b", "~", "\xC3\xA9"}));
  player.AddSuicide(5);
  player.AddSuicide(-1022);
  player.AddSuicide(0);
  std::vector<int32_t> codes;
  for (const auto& [code, count] : player.stats().suicideWeapons) {
    codes.push_back(code);
  }
  EXPECT_EQ(codes, (std::vector<int32_t>{-1022, 0, 5}));
}

}  // namespace
}  // namespace kilnbook
