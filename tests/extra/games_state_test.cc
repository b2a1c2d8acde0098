// The state file text of the kept games, written and read back.
#include "extra/games_state.h"

#include <gtest/gtest.h>

#include <string>

namespace kilnbook {
namespace {

constexpr char kBase[] =
    "KILNBOOK_GAMES|1\n"
    "NEXT|3\n"
    "GAM|2|1772359200|mp_beach|600|2|1|30|B|A|17:1,18:3\n"
    "GPL|2|A|multi|1|3|1|0|5|600|1000000|985000|1|1|18\n";

TEST(GamesStateTest, TextReadsBackToTheSameBytes) {
  const std::string text =
      std::string(kBase) +
      "GPL|2|^1B\xE9\r|t<&'|3|2|0|1|-1|590|1000000|-15|2|2|"
      "-1022\n"
      "GAM|7|0||0||||||\n"
      "GPL|7|A||0|0|0|0||0|-3|4|0|0|\n"
      "GAM|9|1|m&amp;p|5|-3|-2147483648|0|A|A|"
      "-1022:2,0:1,2147483647:9\n"
      "BST|A|1|2|||4|2\n"
      "BST|^1B\xE9\r|3|2|2|2|2|2\n"
      "REC|KILLS|3|2|^1B\xE9\r\n"
      "REC|KILLS|1|2|A\n"
      "REC|MULTIKILL|4|2|A\n";
  GameArchive archive;
  ASSERT_TRUE(ReadGamesState(text, archive));
  // Game 9 is above NEXT: the next number follows it.
  std::string expected = text;
  expected.replace(expected.find("NEXT|3"), 6, "NEXT|10");
  EXPECT_EQ(GamesStateText(archive), expected);
  ASSERT_EQ(archive.games.size(), 3u);
  const GameRecord& first = archive.games[0];
  ASSERT_TRUE(first.scores.has_value());
  EXPECT_EQ(first.scores->blue, 1);
  ASSERT_TRUE(first.firstBlood.has_value());
  EXPECT_EQ(first.firstBlood->killer, "B");
  EXPECT_EQ(first.players[1].team, "t<&'");
  EXPECT_EQ(first.players[1].score, -1);
  EXPECT_EQ(first.players[1].weapon, -1022);
  const GameRecord& empty = archive.games[1];
  EXPECT_FALSE(empty.scores.has_value());
  EXPECT_FALSE(empty.firstBlood.has_value());
  EXPECT_TRUE(empty.weapons.empty());
  EXPECT_FALSE(empty.players[0].score.has_value());
  EXPECT_FALSE(empty.players[0].weapon.has_value());
  EXPECT_EQ(archive.bests.at("A").spree.value, 0);
}

TEST(GamesStateTest, DamagedLinesAreSkipped) {
  const char* damaged[] = {
      "GAM|3|1|m|5|||||\n",              // a field short
      "GAM|3|1|m|5|||||||\n",            // a field too many
      "GAM|0|1|m|5||||||\n",             // no game 0
      "GAM|3|-1|m|5||||||\n",            // a run before the epoch
      "GAM|3|1|m<|5||||||\n",            // a byte no cleaned map holds
      "GAM|3|1|m|5|1|||||\n",            // red without blue
      "GAM|3|1|m|5|||4|A||\n",           // half a first blood
      "GAM|3|1|m|5|2147483648|0||||\n",  // beyond 32 bits
      "GAM|3|1|m|5||||||18:1,17:1\n",    // codes out of order
      "GAM|3|1|m|5||||||17:0\n",         // no kills
      "GAM|3|1|m|5||||||17\n",           // no count
      "GAM|3|1|m|5||||||17:1,\n",        // an empty pair
      "GPL|4|A|multi|1|3|1|0|5|600|1000000|985000|1|1|18\n",  // no game 4
      "GPL|2|A|multi|-1|3|1|0|5|600|1000000|985000|1|1|18\n",
      "GPL|2|A|multi|1|3|1|0|5|600|1000000|1000000000000000000|1|1|18\n",
      "GPL|2|A|multi|1|3|1|0|5|600|1000000|985000|1|1|+18\n",
      "GPL|2|A>|multi|1|3|1|0|5|600|1000000|985000|1|1|18\n",
      "BST|A|1|||||\n",   // a figure without its game
      "BST|A|0|1||||\n",  // a figure of 0
      "REC|DEATHS|1|1|A\n",
      "REC|KILLS|0|1|A\n",
      "NEXT|0\n",
      "XYZ|1\n",
      "GPL|2|A|multi|9|3|1|0|5|600|1000000|985000|1|1|18",  // no line feed
  };
  for (const char* line : damaged) {
    GameArchive archive;
    ASSERT_TRUE(ReadGamesState(kBase + std::string(line), archive)) << line;
    EXPECT_EQ(GamesStateText(archive), kBase) << line;
  }
}

TEST(GamesStateTest, ReadingPutsTheArchiveInOrder) {
  std::string text =
      // No header, no NEXT, games out of order and read twice, a player
      // line read twice: the later lines win.
      "GAM|5|1|m|5||||||\n"
      "GPL|5|B|t|1|0|0|0||0|0|0|0|0|\n"
      "GAM|2|1|m|5||||||\n"
      "GAM|5|2|n|6||||||\n"
      "GPL|5|A|t|1|0|0|0||0|0|0|0|0|\n"
      "GPL|5|B|t|2|0|0|0||0|0|0|0|0|\n"
      "BST|A|||||1|8\n";
  // Eleven records out of order, one of a game above every other number.
  for (int value = 1; value <= 11; ++value) {
    text += "REC|SPREE|" + std::to_string(value) + "|" +
            std::to_string(value == 1 ? 11 : 1) + "|A\n";
  }
  GameArchive archive;
  ASSERT_TRUE(ReadGamesState(text, archive));
  std::string expected =
      "KILNBOOK_GAMES|1\n"
      "NEXT|12\n"  // above the game of a record that is cut off
      "GAM|2|1|m|5||||||\n"
      "GAM|5|2|n|6||||||\n"
      "GPL|5|A|t|1|0|0|0||0|0|0|0|0|\n"
      "GPL|5|B|t|2|0|0|0||0|0|0|0|0|\n"
      "BST|A|||||1|8\n";
  for (int value = 11; value >= 2; --value) {
    expected += "REC|SPREE|" + std::to_string(value) + "|1|A\n";
  }
  EXPECT_EQ(GamesStateText(archive), expected);
}

TEST(GamesStateTest, OtherVersionsAreNotRead) {
  GameArchive archive;
  EXPECT_FALSE(
      ReadGamesState("KILNBOOK_GAMES|2\nGAM|2|1|m|5||||||\n", archive));
  EXPECT_TRUE(archive.games.empty());
  EXPECT_EQ(archive.nextNumber, 1);
  ASSERT_TRUE(ReadGamesState("", archive));
  EXPECT_EQ(GamesStateText(archive), "KILNBOOK_GAMES|1\nNEXT|1\n");
}

}  // namespace
}  // namespace kilnbook
