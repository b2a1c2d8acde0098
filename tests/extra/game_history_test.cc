// The kept games of a server: numbering, retention, bests and records.
#include "extra/game_history.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kilnbook {
namespace {

using Numbers = std::vector<int64_t>;

// A player's line with its kills, best spree and best multi-kill.
struct Line {
  const char* name;
  int64_t kills, spree, multiKill;
};

GameRecord Game(const std::vector<Line>& lines) {
  GameRecord game;
  for (const Line& line : lines) {
    GamePlayer& player = game.players.emplace_back();
    player.name = line.name;
    player.kills = line.kills;
    player.bestSpree = line.spree;
    player.bestMultiKill = line.multiKill;
  }
  return game;
}

Numbers Kept(const GameHistory& history) {
  Numbers numbers;
  for (const GameRecord& game : history.games()) {
    numbers.push_back(game.number);
  }
  return numbers;
}

Numbers LastGames(const GameHistory& history, const char* name, size_t count) {
  Numbers numbers;
  for (const PlayerGame& played : history.LastGamesOf(name, count)) {
    EXPECT_EQ(played.player->name, name);
    numbers.push_back(played.game->number);
  }
  return numbers;
}

// "value/game/name" of each record of `feat`, best first.
std::vector<std::string> Records(const GameHistory& history, Feat feat) {
  std::vector<std::string> texts;
  for (const RecordEntry& e : FeatOf(history.records(), feat)) {
    texts.push_back(std::to_string(e.value) + "/" + std::to_string(e.game) +
                    "/" + e.name);
  }
  return texts;
}

// "figure/game" of each best of `name`, or "none".
std::string Bests(const GameHistory& history, const char* name) {
  const PlayerBests* bests = history.BestsOf(name);
  if (bests == nullptr) {
    return "none";
  }
  std::string text;
  for (Feat feat : kFeats) {
    text += std::to_string(FeatOf(*bests, feat).value) + "/" +
            std::to_string(FeatOf(*bests, feat).game) + " ";
  }
  return text;
}

TEST(GameHistoryTest, RetentionDropsTheOldestAndNumbersGoOn) {
  GameHistory history;
  history.SetLimit(3);
  history.BeginRun();
  for (int i = 0; i < 5; ++i) {
    history.Add(Game({{"A", 1, 1, 1}}));
  }
  EXPECT_EQ(Kept(history), (Numbers{3, 4, 5}));
  // Games made and dropped by one run are neither.
  EXPECT_EQ(history.added(), (Numbers{3, 4, 5}));
  EXPECT_EQ(history.dropped(), Numbers{});

  // The state file's round trip keeps the numbering.
  GameHistory next;
  next.SetLimit(3);
  next.Replace(history.archive());
  next.BeginRun();
  EXPECT_EQ(next.Add(Game({{"B", 9, 0, 0}})), 6);
  EXPECT_EQ(Kept(next), (Numbers{4, 5, 6}));
  EXPECT_EQ(next.added(), Numbers{6});
  EXPECT_EQ(next.dropped(), Numbers{3});

  // A lower limit takes effect at the end of a run without games.
  next.SetLimit(1);
  next.BeginRun();
  next.Trim();
  EXPECT_EQ(Kept(next), Numbers{6});
  EXPECT_EQ(next.dropped(), (Numbers{4, 5}));
  EXPECT_EQ(next.added(), Numbers{});

  // None kept: numbers, bests and records still go on.
  next.SetLimit(0);
  next.BeginRun();
  EXPECT_EQ(next.Add(Game({{"A", 2, 0, 0}})), 7);
  EXPECT_EQ(Kept(next), Numbers{});
  EXPECT_EQ(next.dropped(), Numbers{6});
  EXPECT_EQ(next.archive().nextNumber, 8);
  EXPECT_EQ(next.FindGame(6), nullptr);
  EXPECT_EQ(Bests(next, "A"), "2/7 1/1 1/1 ");  // of games long dropped
  EXPECT_EQ(Records(next, Feat::kKills)[0], "9/6/B");
}

TEST(GameHistoryTest, AddedThisRunAnswersForTheRunsKeptGames) {
  GameHistory history;
  history.SetLimit(2);
  history.BeginRun();
  history.Add(Game({{"A", 1, 1, 1}}));
  history.BeginRun();
  for (int i = 0; i < 3; ++i) {
    history.Add(Game({{"A", 1, 1, 1}}));
  }
  // Game 1 was kept before the run, game 2 made and dropped by it.
  EXPECT_EQ(history.added(), (Numbers{3, 4}));
  EXPECT_EQ(history.dropped(), Numbers{1});
  for (int64_t number = 0; number <= 6; ++number) {
    EXPECT_EQ(history.AddedThisRun(number), number == 3 || number == 4)
        << number;
  }
}

TEST(GameHistoryTest, BestsKeepTheEarliestGameOfAFigure) {
  GameHistory history;
  history.Add(Game({{"A", 5, 3, 0}}));
  history.Add(Game({{"A", 5, 3, 2}, {"B", 7, 0, 0}}));
  history.Add(Game({{"A", 6, 2, 1}}));
  EXPECT_EQ(Bests(history, "A"), "6/3 3/1 2/2 ");
  EXPECT_EQ(Bests(history, "B"), "7/2 0/0 0/0 ");  // no figure, no game
  EXPECT_EQ(Bests(history, "C"), "none");
  EXPECT_EQ(Records(history, Feat::kKills),
            (std::vector<std::string>{"7/2/B", "6/3/A", "5/1/A", "5/2/A"}));
  EXPECT_EQ(Records(history, Feat::kSpree),
            (std::vector<std::string>{"3/1/A", "3/2/A", "2/3/A"}));
}

TEST(GameHistoryTest, RecordsKeepTheTenBest) {
  GameHistory history;
  // Games 1 to 12 with figures 1 to 12, then game 13 ties the lowest kept
  // figure (after it: a later game) and the highest (after it too), with
  // two players of one figure in name order.
  for (int64_t kills = 1; kills <= 12; ++kills) {
    history.Add(Game({{"A", kills, 0, 0}}));
  }
  history.Add(Game({{"B", 3, 0, 0}, {"C", 12, 0, 0}, {"D", 12, 0, 0}}));
  EXPECT_EQ(Records(history, Feat::kKills),
            (std::vector<std::string>{"12/12/A", "12/13/C", "12/13/D",
                                      "11/11/A", "10/10/A", "9/9/A", "8/8/A",
                                      "7/7/A", "6/6/A", "5/5/A"}));
  EXPECT_TRUE(Records(history, Feat::kMultiKill).empty());
}

TEST(GameHistoryTest, LastGamesOfAPlayerNewestFirst) {
  GameHistory history;
  history.SetLimit(5);
  const std::vector<std::vector<Line>> games = {
      {{"A", 1, 0, 0}}, {{"B", 1, 0, 0}}, {{"A", 1, 0, 0}, {"B", 0, 0, 0}},
      {{"A", 0, 0, 0}}, {{"B", 1, 0, 0}}, {{"A", 2, 0, 0}},
      {{"A", 3, 0, 0}}};
  for (const std::vector<Line>& lines : games) {
    history.Add(Game(lines));
  }
  EXPECT_EQ(LastGames(history, "A", 3), (Numbers{7, 6, 4}));
  EXPECT_EQ(LastGames(history, "A", 10), (Numbers{7, 6, 4, 3}));  // 1 dropped
  EXPECT_EQ(LastGames(history, "B", 10), (Numbers{5, 3}));
  EXPECT_EQ(LastGames(history, "Z", 10), Numbers{});
  GameHistory loaded;
  loaded.Replace(history.archive());
  EXPECT_EQ(LastGames(loaded, "A", 10), (Numbers{7, 6, 4, 3}));
  ASSERT_NE(loaded.FindGame(4), nullptr);
  EXPECT_EQ(loaded.FindGame(4)->number, 4);
  EXPECT_EQ(loaded.FindGame(2), nullptr);
  EXPECT_EQ(loaded.FindGame(8), nullptr);
}

}  // namespace
}  // namespace kilnbook
