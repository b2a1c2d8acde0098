// The Elo exchange of one kill and the printed rating.
#include "extra/skill_rating.h"

#include <gtest/gtest.h>

namespace kilnbook {
namespace {

TEST(SkillRatingTest, KillExchangeFollowsTheRatingGap) {
  struct Case {
    int64_t killer;
    int64_t victim;
    int64_t exchange;
  } cases[] = {
      {1000000, 1000000, 8000},   // equals: K / 2
      {1400000, 1000000, 1455},   // E = 10/11: 16 * 1/11 = 1.4545...
      {1000000, 1400000, 14545},  // E = 1/11: 16 * 10/11 = 14.5454...
      {1100000, 1000000, 5759},   // E = 0.6401: 16 * 0.3599 = 5.7589...
      {900000000, 0, 0},          // hopeless victim: nothing to gain
      {0, 900000000, 16000},      // hopeless killer: the whole K
      {-500000, -500000, 8000},   // negative ratings work alike
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KillExchange(c.killer, c.victim), c.exchange)
        << c.killer << " kills " << c.victim;
  }
}

TEST(SkillRatingTest, PointsRoundHalvesAwayFromZero) {
  struct Case {
    int64_t rating;
    int64_t points;
  } cases[] = {
      {1000000, 1000}, {1000499, 1000}, {1000500, 1001}, {999500, 1000}, {0, 0},
      {-499, 0},       {-500, -1},      {-1500, -2},     {-1499, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RatingPoints(c.rating), c.points) << c.rating;
  }
}

}  // namespace
}  // namespace kilnbook
