// The extended statistics of one server, fed whole runs of log lines.
#include "extra/extra_stats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "log/log_parser.h"
#include "log_generator.h"
#include "model/player_table.h"
#include "model/server.h"
#include "support/game_lines.h"
#include "support/scoped_time_zone.h"
#include "time/calendar.h"

namespace kilnbook {
namespace {

// Local time of a date and time of day; the tests run in UTC.
std::time_t At(int64_t year, int month, int day, int hour, int minute) {
  return DayNumber({year, month, day}) * 86400 + hour * 3600 + minute * 60;
}

int64_t RatingOf(const ExtraStats& stats, const std::string& name) {
  const PlayerExtra* player = stats.FindPlayer(name);
  return player == nullptr ? kStartRating : player->rating;
}

class ExtraStatsTest : public ::testing::Test {
 protected:
  ScopedTimeZone zone_{"UTC0"};
  std::time_t day1_ = At(2026, 3, 1, 10, 0);
};

TEST_F(ExtraStatsTest, RatingOfEveryKindOfKill) {
  // A and C play for the Allies, B for the Axis.
  const Lines teams = {Init("0:00", "mp_beach"), Userinfo("0:01", 1, "A"),
                       Userinfo("0:01", 2, "B", "multi_axis"),
                       Userinfo("0:01", 3, "C")};
  struct Case {
    const char* what;
    Lines kills;
    std::vector<int64_t> changes;  // of A, B and C, in thousandths
  } cases[] = {
      {"a kill between equals moves K/2",
       {Kill("1:00", 1, 2)},
       {8000, -8000, 0}},
      {"the gap shrinks the next gain",
       {Kill("1:00", 1, 2), Kill("1:10", 1, 2)},
       {15632, -15632, 0}},
      {"a team kill costs the killer only",
       {Kill("1:00", 1, 3)},
       {-16000, 0, 0}},
      {"a suicide", {Kill("1:00", 1, 1)}, {-8000, 0, 0}},
      {"a world kill counts for no one", {Kill("1:00", 1022, 1)}, {0, 0, 0}},
      {"nor does a kill of the world slot", {Kill("1:00", 1, 1022)}, {0, 0, 0}},
      {"an unbound killer", {Kill("1:00", 9, 1)}, {0, 0, 0}},
      {"the empty name resolves to no one",
       {Userinfo("1:00", 2, ""), Kill("1:01", 1, 2), Kill("1:02", 2, 1)},
       {0, 0, 0}},
      {"a rebound slot books on its new name",
       {Userinfo("1:00", 2, "C", "multi_axis"), Kill("1:01", 1, 2)},
       {8000, 0, -8000}},
      {"two slots of one name exchange with themselves",
       {Userinfo("1:00", 4, "A", "multi_axis"), Kill("1:01", 4, 1)},
       {0, 0, 0}},
  };
  for (const Case& c : cases) {
    ExtraStats stats;
    Lines lines = teams;
    lines.insert(lines.end(), c.kills.begin(), c.kills.end());
    lines.push_back(Shutdown("9:00"));
    FeedRun(stats, day1_, lines);
    std::vector<int64_t> changes;
    for (const char* name : {"A", "B", "C"}) {
      changes.push_back(RatingOf(stats, name) - kStartRating);
    }
    EXPECT_EQ(changes, c.changes) << c.what;
  }
}

TEST_F(ExtraStatsTest, TimePlayedAndGames) {
  struct Case {
    const char* what;
    Lines game;  // between the InitGame line at 0:00 and the end of the run
    std::map<std::string, std::pair<int64_t, int64_t>> expected;  // games, s
  } cases[] = {
      {"from the userinfo line to the end of the game",
       {Userinfo("0:10", 1, "A"), Shutdown("5:10")},
       {{"A", {1, 300}}}},
      {"a player who disconnects and returns",
       {Userinfo("0:00", 1, "A"), Disconnect("2:00", 1),
        Userinfo("3:00", 1, "A"), Shutdown("5:00")},
       {{"A", {1, 240}}}},
      {"another slot's disconnection",
       {Userinfo("0:00", 1, "A"), Disconnect("1:00", 2), Shutdown("2:00")},
       {{"A", {1, 120}}}},
      {"a clock that goes backwards counts nothing",
       {Userinfo("5:00", 1, "A"), Disconnect("4:00", 1), Shutdown("6:00")},
       {{"A", {1, 0}}}},
      {"a new name takes over the slot's time",
       {Userinfo("0:00", 1, "A"), Userinfo("1:00", 1, "B"), Shutdown("3:00")},
       {{"A", {1, 60}}, {"B", {1, 120}}}},
      {"a repeated userinfo line keeps the start",
       {Userinfo("0:00", 1, "A"), Userinfo("1:00", 1, "A", "multi_axis"),
        Shutdown("2:00")},
       {{"A", {1, 120}}}},
      {"an unreadable time column keeps the last time",
       {Userinfo("1:00", 1, "A"), Kill("4:00", 1, 1), "  ?:?? ShutdownGame:"},
       {{"A", {1, 180}}}},
      {"a game cut off by the next one ends at its last line",
       {Userinfo("0:00", 1, "A"), Kill("2:00", 1, 1), Init("0:00", "x"),
        Userinfo("0:05", 2, "B"), Shutdown("0:35")},
       {{"A", {1, 120}}, {"B", {1, 30}}}},
      {"a game left open ends with the run",
       {Userinfo("0:00", 1, "A"), Kill("0:45", 1, 1)},
       {{"A", {1, 45}}}},
      {"lines after the end of a game are in no game",
       {Shutdown("0:10"), Userinfo("0:20", 1, "A"), Kill("0:30", 1, 1)},
       {}},
  };
  for (const Case& c : cases) {
    ExtraStats stats;
    Lines lines = {Init("0:00", "mp_beach")};
    lines.insert(lines.end(), c.game.begin(), c.game.end());
    FeedRun(stats, day1_, lines);
    std::map<std::string, std::pair<int64_t, int64_t>> got;
    for (const auto& [name, player] : stats.records().players) {
      if (player.games > 0) {
        got[name] = {player.games, player.secondsPlayed};
      }
    }
    EXPECT_EQ(got, c.expected) << c.what;
  }
}

TEST_F(ExtraStatsTest, MapsWinsAndPlayerMaps) {
  ExtraStats stats;
  FeedRun(stats, day1_,
          {Init("0:00", "mp_beach"), Userinfo("0:01", 1, "A", "multi"),
           Userinfo("0:01", 2, "B", "multi_axis"), Kill("0:10", 1, 2),
           Kill("0:20", 1, 2), Kill("0:30", 2, 2), Kill("0:40", 1022, 1),
           Kill("0:50", 7, 1), Red("9:59", 3, 5), Shutdown("10:00"),
           // No line binds slot 2 in this game: B is still bound from before.
           Init("0:00", "mp_depot"), Userinfo("0:01", 1, "A", "multi"),
           Kill("0:10", 2, 1), Red("9:59", 4, 4), Shutdown("10:00"),
           Init("0:00", "mp_beach"), Userinfo("0:01", 2, "B", "multi_axis"),
           Red("9:59", 6, 5), Red("9:59", -2, 0), Shutdown("10:00"),
           // Without a map name the game counts for no map.
           Line("0:00", "InitGame: \\sv_hostname\\Main"),
           Userinfo("0:01", 1, "A"), Kill("0:10", 1, 2), Shutdown("1:00")});
  const ExtraRecords& r = stats.records();
  ASSERT_EQ(r.maps.size(), 2u);
  const MapTotals& beach = r.maps.at("mp_beach");
  const MapTotals& depot = r.maps.at("mp_depot");
  // Every Kill line of the map's games, like the server's KILLS.
  EXPECT_EQ(beach.games, 2);
  EXPECT_EQ(beach.kills, 5);
  EXPECT_EQ(beach.axisWins, 1);
  EXPECT_EQ(beach.alliesWins, 2);
  EXPECT_EQ(depot.games, 1);
  EXPECT_EQ(depot.kills, 1);
  EXPECT_EQ(depot.axisWins, 0);
  EXPECT_EQ(depot.alliesWins, 0);

  auto mapsOf = [&](const std::string& name) {
    std::map<std::string, std::vector<int64_t>> maps;
    for (const auto& [map, t] : r.players.at(name).maps) {
      maps[map] = {t.games, t.kills, t.deaths};
    }
    return maps;
  };
  using MapRows = std::map<std::string, std::vector<int64_t>>;
  // Suicides are neither kills nor deaths; world kills are the world's.
  EXPECT_EQ(mapsOf("A"),
            (MapRows{{"mp_beach", {1, 2, 1}}, {"mp_depot", {1, 0, 1}}}));
  EXPECT_EQ(mapsOf("B"),
            (MapRows{{"mp_beach", {2, 0, 2}}, {"mp_depot", {0, 1, 0}}}));
  EXPECT_EQ(mapsOf(kWorldName), (MapRows{{"mp_beach", {0, 1, 0}}}));
  EXPECT_EQ(r.players.at("A").games, 3);
  EXPECT_EQ(FavouriteMap(r.players.at("A")), "mp_beach");  // more kills
  EXPECT_EQ(FavouriteMap(r.players.at("B")), "mp_beach");  // more games
}

TEST(FavouriteMapTest, GamesThenKillsThenName) {
  struct Case {
    std::map<std::string, PlayerMapTotals> maps;
    const char* favourite;
  } cases[] = {
      {{}, ""},
      {{{"b", {1, 0, 0}}}, "b"},
      {{{"a", {1, 9, 0}}, {"b", {2, 0, 0}}}, "b"},
      {{{"a", {2, 1, 0}}, {"b", {2, 3, 0}}}, "b"},
      {{{"b", {2, 3, 9}}, {"a", {2, 3, 0}}}, "a"},
      {{{"\xE9t\xE9", {1, 0, 0}}, {"zz", {1, 0, 0}}},
       "zz"},                    // bytes >= 0x80 last
      {{{"a", {0, 5, 0}}}, ""},  // kills without a game: the world's
  };
  for (const Case& c : cases) {
    PlayerExtra player;
    player.maps = c.maps;
    EXPECT_EQ(FavouriteMap(player), c.favourite) << c.favourite;
  }
}

TEST_F(ExtraStatsTest, DaysCountGamesKillsAndDistinctPlayers) {
  std::time_t day1Noon = At(2026, 3, 1, 12, 0);
  std::time_t day2 = At(2026, 3, 2, 0, 15);
  ExtraStats stats;
  FeedRun(
      stats, day1_,
      {Init("0:00", "m"), Userinfo("0:01", 1, "A"), Userinfo("0:01", 2, "B"),
       Kill("0:02", 1, 2), Kill("0:03", 9, 9), Shutdown("5:00")});
  // Later the same day: A is not counted again, C is new.
  FeedRun(stats, day1Noon,
          {Init("0:00", "m"), Userinfo("0:01", 1, "A"),
           Userinfo("0:01", 3, "C"), Shutdown("5:00"), Init("0:00", "m"),
           Userinfo("0:01", 1, "A"), Shutdown("5:00")});
  // A game played from 23:50 to 00:10 belongs to the day of the run that
  // takes it from the log, after midnight.
  FeedRun(stats, day2,
          {Init("0:00", "m"), Userinfo("0:01", 1, "A"), Kill("10:00", 1, 1),
           Shutdown("20:00")});
  const ExtraRecords& r = stats.records();
  int64_t d1 = DayNumber({2026, 3, 1});
  ASSERT_EQ(r.days.size(), 2u);
  EXPECT_EQ(r.days.at(d1).games, 3);
  EXPECT_EQ(r.days.at(d1).kills, 2);
  EXPECT_EQ(r.days.at(d1).players, 3);
  EXPECT_EQ(r.days.at(d1 + 1).games, 1);
  EXPECT_EQ(r.days.at(d1 + 1).kills, 1);
  EXPECT_EQ(r.days.at(d1 + 1).players, 1);
  const PlayerExtra& a = r.players.at("A");
  EXPECT_EQ(a.firstSeen, day1_);
  EXPECT_EQ(a.lastSeen, day2);
  EXPECT_EQ(a.games, 4);
  EXPECT_EQ(r.players.at("C").firstSeen, day1Noon);
  EXPECT_EQ(r.players.at("B").lastSeen, day1_);

  // Days are kept until they lie more than 400 days before a run.
  FeedRun(stats, At(2027, 4, 5, 9, 0), {});  // day1 + 400
  EXPECT_EQ(r.days.size(), 2u);
  FeedRun(stats, At(2027, 4, 6, 9, 0), {});  // day1 + 401
  ASSERT_EQ(r.days.size(), 1u);
  EXPECT_EQ(r.days.begin()->first, d1 + 1);
}

TEST_F(ExtraStatsTest, OneRunOrSplitRunsGiveTheSameState) {
  LogOptions options;
  options.seed = 7;
  options.players = 12;
  options.targetBytes = 60000;
  options.killsPerGame = 150;
  options.unfinishedTail = false;
  Lines lines = SplitLines(LogGenerator(options).Text());
  // The generated red models report the Allies' team identifier; make them
  // Axis so that kills between the teams move ratings.
  for (std::string& line : lines) {
    size_t red = line.find("\\model\\multi/red");
    if (red != std::string::npos) {
      line.insert(red + 12, "_axis");
    }
  }
  // The split falls after a "ShutdownGame:" line, as the pre-pass cuts.
  size_t cut = 0;
  int shutdowns = 0;
  for (size_t i = 0; i < lines.size() && shutdowns < 3; ++i) {
    if (lines[i].find("ShutdownGame:") != std::string::npos) {
      ++shutdowns;
      cut = i + 1;
    }
  }
  ASSERT_EQ(shutdowns, 3);
  ASSERT_LT(cut, lines.size());

  // Few games kept, so that the second run drops games of the first.
  ExtraStats whole;
  whole.SetGamesKept(2);
  FeedRun(whole, day1_, lines);
  ExtraStats first;
  first.SetGamesKept(2);
  FeedRun(first, day1_, Lines(lines.begin(), lines.begin() + cut));
  ExtraStats second;
  second.SetGamesKept(2);
  ASSERT_TRUE(second.LoadState(first.StateText()));
  ASSERT_TRUE(second.LoadGamesState(first.GamesStateText()));
  FeedRun(second, day1_, Lines(lines.begin() + cut, lines.end()));

  std::string text = whole.StateText();
  EXPECT_EQ(second.StateText(), text);
  EXPECT_GT(whole.records().players.size(), 5u);
  EXPECT_GT(whole.records().maps.size(), 1u);
  std::string games = whole.GamesStateText();
  EXPECT_EQ(second.GamesStateText(), games);
  const GameHistory& history = whole.games();
  ASSERT_EQ(history.games().size(), 2u);
  EXPECT_EQ(history.archive().nextNumber, 6);  // five games
  EXPECT_EQ(history.records().sprees.size(), kRecordsKept);
  EXPECT_EQ(second.games().added(), (std::vector<int64_t>{4, 5}));
  EXPECT_EQ(second.games().dropped(), (std::vector<int64_t>{2, 3}));
  // And the texts read back to themselves.
  ExtraStats loaded;
  ASSERT_TRUE(loaded.LoadState(text));
  EXPECT_EQ(loaded.StateText(), text);
  ASSERT_TRUE(loaded.LoadGamesState(games));
  EXPECT_EQ(loaded.GamesStateText(), games);
}

// Every game keeps the userinfo lines of all its players, so the games'
// lines add up to what the counters booked on each player.
TEST_F(ExtraStatsTest, GameLinesAddUpToTheCounters) {
  LogOptions options;
  options.seed = 9;
  options.players = 10;
  options.targetBytes = 40000;
  options.killsPerGame = 120;
  options.unfinishedTail = false;
  Lines lines = SplitLines(LogGenerator(options).Text());
  ConfigFile configFile = ConfigFile::FromText("");
  Server server("Main", "", "", configFile);
  ExtraStats stats;
  stats.BeginRun(day1_);
  for (const std::string& line : lines) {
    if (line.size() > 7) {
      LogEvent event = LogParser::ParseLine(line);
      server.Account(event);
      stats.AccountLine(line, event);
    }
  }
  stats.EndRun();
  // Kills, deaths, suicides, team kills and score, by key name.
  std::map<std::string, std::vector<int64_t>> fromGames;
  for (const GameRecord& game : stats.games().games()) {
    for (const GamePlayer& p : game.players) {
      std::vector<int64_t>& sums = fromGames[p.name];
      sums.resize(5);
      sums[0] += p.kills;
      sums[1] += p.deaths;
      sums[2] += p.suicides;
      sums[3] += p.teamKills;
      sums[4] += p.score.value_or(0);
    }
  }
  ASSERT_GT(fromGames.size(), 5u);
  for (const auto& [name, sums] : fromGames) {
    const PlayerStats& counted =
        server.playerTable().players().at(name)->stats();
    EXPECT_EQ(sums, (std::vector<int64_t>{counted.kills, counted.deaths,
                                          counted.suicides, counted.teamKills,
                                          counted.score}))
        << name;
  }
}

}  // namespace
}  // namespace kilnbook
