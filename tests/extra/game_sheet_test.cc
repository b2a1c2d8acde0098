// The record of each finished game, as the extended statistics make it from
// the game's log lines: sprees, multi-kills, length, winner and the players'
// lines.
#include "extra/game_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extra/extra_stats.h"
#include "extra/skill_rating.h"
#include "support/game_lines.h"

namespace kilnbook {
namespace {

constexpr std::time_t kRunTime = 1772359200;

// "kills deaths suicides team-kills best-spree best-multi-kill" of each of
// A, B and C in `game`, separated by " / ".
std::string FeatsOf(const GameRecord& game) {
  std::string text;
  for (const char* name : {"A", "B", "C"}) {
    const GamePlayer* p = FindGamePlayer(game, name);
    if (p == nullptr) {
      return text + "no line of " + name;
    }
    for (int64_t value : {p->kills, p->deaths, p->suicides, p->teamKills,
                          p->bestSpree, p->bestMultiKill}) {
      text += std::to_string(value) + " ";
    }
    text += name[0] == 'C' ? "" : "/ ";
  }
  return text;
}

TEST(GameSheetTest, SpreesAndMultiKills) {
  // A and C play for the Allies, B for the Axis.
  const Lines teams = {Init("0:00", "mp_beach"), Userinfo("0:00", 1, "A"),
                       Userinfo("0:00", 2, "B", "multi_axis"),
                       Userinfo("0:00", 3, "C")};
  struct Case {
    const char* what;
    Lines kills;
    const char* feats;
  } cases[] = {
      {"a spree counts enemy kills",
       {Kill("1:00", 1, 2), Kill("1:10", 1, 2), Kill("1:20", 1, 2)},
       "3 0 0 0 3 1 / 0 3 0 0 0 0 / 0 0 0 0 0 0 "},
      {"a death by an enemy ends it",
       {Kill("1:00", 1, 2), Kill("1:10", 1, 2), Kill("1:20", 2, 1),
        Kill("1:30", 1, 2)},
       "3 1 0 0 2 1 / 1 3 0 0 1 1 / 0 0 0 0 0 0 "},
      {"so does a suicide",
       {Kill("1:00", 1, 2), Kill("1:10", 1, 1), Kill("1:20", 1, 2),
        Kill("1:30", 1, 2)},
       "3 0 1 0 2 1 / 0 3 0 0 0 0 / 0 0 0 0 0 0 "},
      {"and a death by the world",
       {Kill("1:00", 1, 2), Kill("1:10", 1022, 1), Kill("1:20", 1, 2)},
       "2 1 0 0 1 1 / 0 2 0 0 0 0 / 0 0 0 0 0 0 "},
      {"and a team-mate's kill",
       {Kill("1:00", 1, 2), Kill("1:10", 3, 1), Kill("1:20", 1, 2)},
       "2 1 0 0 1 1 / 0 2 0 0 0 0 / 1 0 0 1 0 0 "},
      {"team kills and kills of the world are kills, not enemy kills",
       {Kill("1:00", 1, 3), Kill("1:01", 1, 3), Kill("1:02", 1, 1022)},
       "3 0 0 2 0 0 / 0 0 0 0 0 0 / 0 2 0 0 0 0 "},
      {"a multi-kill chains kills at most 3 s apart, the same second too",
       {Kill("1:00", 1, 2), Kill("1:03", 1, 2), Kill("1:03", 1, 2),
        Kill("1:06", 1, 2), Kill("1:10", 1, 2)},
       "5 0 0 0 5 4 / 0 5 0 0 0 0 / 0 0 0 0 0 0 "},
      {"neither the killer's death nor a team kill breaks a chain",
       {Kill("1:00", 1, 2), Kill("1:01", 2, 1), Kill("1:02", 1, 3),
        Kill("1:03", 1, 2)},
       "3 1 0 1 1 2 / 1 2 0 0 1 1 / 0 1 0 0 0 0 "},
      {"a clock that goes backwards does",
       {Kill("1:05", 1, 2), Kill("1:03", 1, 2)},
       "2 0 0 0 2 1 / 0 2 0 0 0 0 / 0 0 0 0 0 0 "},
      {"a kill of the name's other slot ends the spree it makes",
       {Userinfo("1:00", 4, "A", "multi_axis"), Kill("1:01", 4, 1),
        Kill("1:02", 1, 2), Kill("1:03", 9, 1)},  // 9: no one
       "2 1 0 0 1 2 / 0 1 0 0 0 0 / 0 0 0 0 0 0 "},
  };
  for (const Case& c : cases) {
    ExtraStats stats;
    Lines lines = teams;
    lines.insert(lines.end(), c.kills.begin(), c.kills.end());
    lines.push_back(Shutdown("9:00"));
    FeedRun(stats, kRunTime, lines);
    ASSERT_EQ(stats.games().games().size(), 1u) << c.what;
    EXPECT_EQ(FeatsOf(stats.games().games().front()), c.feats) << c.what;
  }
}

TEST(GameSheetTest, LengthAndWinner) {
  using W = GameWinner;
  struct Case {
    const char* what;
    Lines lines;
    std::vector<int64_t> lengths;  // of each game made
    std::vector<GameWinner> winners;
  } cases[] = {
      {"Allies win with the higher blue score",
       {Init("0:00", "m"), Red("9:59", 3, 5), Shutdown("10:00")},
       {600},
       {W::kAllies}},
      {"the last red line counts: Axis with the higher red score",
       {Init("0:00", "m"), Red("9:58", 1, 2), Red("9:59", 6, 5),
        Shutdown("10:00")},
       {600},
       {W::kAxis}},
      {"equal scores are a draw",
       {Init("0:00", "m"), Red("9:59", 4, 4), Shutdown("10:00")},
       {600},
       {W::kDraw}},
      {"without a red line with scores nobody won",
       {Init("0:00", "m"), Line("9:59", "red:3"), Shutdown("10:00")},
       {600},
       {W::kNone}},
      {"from the first line with a time column",
       {Line("?:??", "InitGame: \\mapname\\m"), Userinfo("0:10", 1, "A"),
        Shutdown("5:10")},
       {300},
       {W::kNone}},
      {"a clock that goes backwards gives no length",
       {Init("5:00", "m"), Shutdown("1:00")},
       {0},
       {W::kNone}},
      {"a wide time column ends the game",
       {Init("999:00", "m"), Shutdown("1000:30"), Userinfo("0:05", 1, "D"),
        Red("0:06", 1, 0)},
       {90},
       {W::kNone}},
      {"a chat line naming the game end ends nothing",
       {Init("0:00", "m"), Line("1:00", "say: A: ShutdownGame: now"),
        Red("2:00", 1, 0), Shutdown("3:00")},
       {180},
       {W::kAxis}},
      {"a game cut off by the next one ends at its last line",
       {Init("0:00", "m"), Red("2:00", 0, 1), Init("0:00", "n"),
        Kill("0:30", 1, 1)},
       {120, 30},
       {W::kAllies, W::kNone}},
  };
  for (const Case& c : cases) {
    ExtraStats stats;
    FeedRun(stats, kRunTime, c.lines);
    std::vector<int64_t> lengths;
    std::vector<GameWinner> winners;
    for (const GameRecord& game : stats.games().games()) {
      lengths.push_back(game.length);
      winners.push_back(WinnerOf(game));
      EXPECT_TRUE(game.players.empty() || game.players[0].name == "A")
          << c.what;
    }
    EXPECT_EQ(lengths, c.lengths) << c.what;
    EXPECT_EQ(winners, c.winners) << c.what;
  }
}

int64_t RatingOf(const ExtraStats& stats, const std::string& name) {
  const PlayerExtra* player = stats.FindPlayer(name);
  return player == nullptr ? kStartRating : player->rating;
}

TEST(GameSheetTest, GameRecordsOfARun) {
  ExtraStats stats;
  FeedRun(stats, kRunTime,
          {Init("0:00", "mp_beach"), Userinfo("0:00", 1, "A"),
           Userinfo("0:00", 2, "B", "multi_axis"),
           Userinfo("0:05", 5, ""),  // the empty name plays no part
           Kill("0:20", 1, 1, 31),   // a suicide is no first blood
           Kill("0:30", 2, 1, 18), Kill("0:31", 2, 1, 17),
           Kill("0:40", 1, 2, 18), Userinfo("1:00", 2, "B"),  // B changes sides
           Kill("1:10", 2, 1, 18), Kill("1:20", 1022, 2, 22), Red("9:58", 2, 1),
           ScoreLine("9:59", 5, 1), ScoreLine("9:59", -1, 2), Shutdown("10:00"),
           // Slot 2 is still B's, without a userinfo line in this game: B
           // gets no line. A team kill is no first blood.
           Init("0:00", "mp_depot"), Userinfo("0:00", 1, "A"),
           Kill("0:10", 2, 1), Shutdown("1:00")});
  ASSERT_EQ(stats.games().games().size(), 2u);
  int64_t aAfter = stats.games().games()[0].players[0].ratingAfter;
  int64_t bAfter = stats.games().games()[0].players[1].ratingAfter;
  // A suicide, two deaths and a kill against near equals.
  EXPECT_LT(aAfter, kStartRating - kSuicidePenalty);
  // The team kill of the second game costs B only.
  EXPECT_EQ(bAfter - kTeamKillPenalty, RatingOf(stats, "B"));
  EXPECT_EQ(aAfter, RatingOf(stats, "A"));
  std::string run = std::to_string(kRunTime);
  std::string a = std::to_string(aAfter), b = std::to_string(bAfter);
  EXPECT_EQ(stats.GamesStateText(),
            "KILNBOOK_GAMES|1\n"
            "NEXT|3\n"
            "GAM|1|" +
                run +
                "|mp_beach|600|2|1|30|B|A|17:1,18:3,22:1,31:1\n"
                "GPL|1|A|multi|1|3|1|0|5|600|1000000|" +
                a +
                "|1|1|18\n"
                "GPL|1|B|multi|3|2|0|1|-1|600|1000000|" +
                b +
                "|2|2|18\n"
                "GAM|2|" +
                run +
                "|mp_depot|60||||||17:1\n"
                "GPL|2|A|multi|0|1|0|0||60|" +
                a + "|" + a +
                "|0|0|\n"
                "BST|A|1|1|1|1|1|1\n"
                "BST|B|3|1|2|1|2|1\n"
                "REC|KILLS|3|1|B\n"
                "REC|KILLS|1|1|A\n"
                "REC|SPREE|2|1|B\n"
                "REC|SPREE|1|1|A\n"
                "REC|MULTIKILL|2|1|B\n"
                "REC|MULTIKILL|1|1|A\n");
  EXPECT_EQ(stats.games().added(), (std::vector<int64_t>{1, 2}));
}

}  // namespace
}  // namespace kilnbook
