// What the documents and the feed show of the extended statistics, gathered
// once for both writers: a player's activity, and the numbers of a map's row
// with their names in each format.
#ifndef KILNBOOK_REPORT_EXTRA_FIELDS_H_
#define KILNBOOK_REPORT_EXTRA_FIELDS_H_

#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>

#include "extra/extra_records.h"
#include "extra/extra_stats.h"

namespace kilnbook {

// One player's extended statistics as they are shown. Borrowed: refers into
// the ExtraStats it was gathered from.
struct PlayerActivity {
  // The player's record; an empty one (no times, no games, no maps, the
  // starting rating) for a name nothing was ever booked on.
  const PlayerExtra& record;
  // Whole days from the last game seen to the time gathered for (0 when
  // that lies ahead); none for a player never seen in a game.
  std::optional<int64_t> daysInactive;
  int64_t ratingPoints = 0;       // whole points
  std::string_view favouriteMap;  // empty when none
};

// The activity of `name` in `stats`, as of `now`.
PlayerActivity ActivityOf(const ExtraStats& stats, std::string_view name,
                          std::time_t now);

// One number of a map's row: its element in the documents, its key in the
// feed, and where the record keeps it. Rows list the fields in this order.
template <typename Totals>
struct MapField {
  std::string_view element;
  std::string_view key;
  int64_t Totals::*value;
};

// A server's map row after its name.
inline constexpr MapField<MapTotals> kServerMapFields[] = {
    {"GAMES", "games", &MapTotals::games},
    {"KILLS", "kills", &MapTotals::kills},
    {"AXISWINS", "axis_wins", &MapTotals::axisWins},
    {"ALLIESWINS", "allies_wins", &MapTotals::alliesWins},
};

// A player's map row after its name.
inline constexpr MapField<PlayerMapTotals> kPlayerMapFields[] = {
    {"GAMES", "games", &PlayerMapTotals::games},
    {"KILLS", "kills", &PlayerMapTotals::kills},
    {"DEATHS", "deaths", &PlayerMapTotals::deaths},
};

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_EXTRA_FIELDS_H_
