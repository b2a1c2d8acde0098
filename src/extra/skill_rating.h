// The skill rating of the extended statistics: an Elo rating per player and
// server, changed by every kill in log order. Ratings are kept in
// thousandths of a point as integers, so that a saved rating reads back
// exactly and the same log gives the same ratings whether it is consumed in
// one run or in several.
#ifndef KILNBOOK_EXTRA_SKILL_RATING_H_
#define KILNBOOK_EXTRA_SKILL_RATING_H_

#include <cstdint>

namespace kilnbook {

// Thousandths per rating point.
inline constexpr int64_t kRatingScale = 1000;

// Every player starts at 1000 points.
inline constexpr int64_t kStartRating = 1000 * kRatingScale;

// K: a kill between equally rated players moves K/2 = 8 points.
inline constexpr int64_t kRatingFactor = 16;

// What a team kill costs the killer (the victim keeps its rating) and what a
// suicide costs, in thousandths: as much as the most a kill can move, and
// as much as a death against an equal.
inline constexpr int64_t kTeamKillPenalty = 16 * kRatingScale;
inline constexpr int64_t kSuicidePenalty = 8 * kRatingScale;

// What the killer gains and the victim loses, in thousandths:
// K * (1 - E) rounded to the nearest thousandth, where
// E = 1 / (1 + 10^((victim - killer) / 400)) is the killer's expected score
// with both ratings in points. Between 0 and K points.
int64_t KillExchange(int64_t killerRating, int64_t victimRating);

// A rating in whole points, halves rounded away from zero.
int64_t RatingPoints(int64_t rating);

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_SKILL_RATING_H_
