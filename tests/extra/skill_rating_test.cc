// The Elo exchange of one kill and the printed rating.
#include "extra/skill_rating.h"

#include <gtest/gtest.h>

namespace kilnbook {
namespace {

TEST(SkillRatingTest, KillExchangeFollowsTheRatingGap) {
  struct Case {
    int64_t killer, victim, exchange;
  } cases[] = {
      {1000000, 1000000, 8000},   // equals: K / 2
      {1400000, 1000000, 1455},   // E = 10/11: 16 / 11 = 1.4545...
      {1000000, 1400000, 14545},  // E = 1/11: 160 / 11 = 14.5454...
      {900000000, 0, 0},          // nothing to gain from a hopeless victim
      {0, 900000000, 16000},      // the whole K against a hopeless killer
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KillExchange(c.killer, c.victim), c.exchange) << c.killer;
  }
  struct Points {
    int64_t rating, points;
  } points[] = {{1000499, 1000}, {1000500, 1001}, {-499, 0}, {-500, -1}};
  for (const Points& p : points) {
    EXPECT_EQ(RatingPoints(p.rating), p.points) << p.rating;
  }
}

}  // namespace
}  // namespace kilnbook
