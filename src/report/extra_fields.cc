#include "report/extra_fields.h"

#include "extra/skill_rating.h"

namespace kilnbook {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// What a name nothing was booked on shows.
const PlayerExtra kNoRecord;

}  // namespace

PlayerActivity ActivityOf(const ExtraStats& stats, std::string_view name,
                          std::time_t now) {
  const PlayerExtra* found = stats.FindPlayer(name);
  const PlayerExtra& record = found != nullptr ? *found : kNoRecord;
  std::optional<int64_t> daysInactive;
  if (record.lastSeen) {
    int64_t elapsed = static_cast<int64_t>(now) - *record.lastSeen;
    daysInactive = elapsed > 0 ? elapsed / kSecondsPerDay : 0;
  }
  return PlayerActivity{record, daysInactive, RatingPoints(record.rating),
                        FavouriteMap(record)};
}

}  // namespace kilnbook
