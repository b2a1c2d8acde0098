#include "extra/skill_rating.h"

#include <cmath>

namespace kilnbook {

int64_t KillExchange(int64_t killerRating, int64_t victimRating) {
  double gap = static_cast<double>(victimRating - killerRating) /
               static_cast<double>(kRatingScale);
  double expected = 1.0 / (1.0 + std::pow(10.0, gap / 400.0));
  double exchange =
      static_cast<double>(kRatingFactor * kRatingScale) * (1.0 - expected);
  return std::llround(exchange);
}

int64_t RatingPoints(int64_t rating) {
  int64_t half = kRatingScale / 2;
  return rating < 0 ? -((-rating + half) / kRatingScale)
                    : (rating + half) / kRatingScale;
}

}  // namespace kilnbook
