// What the extended statistics of one server keep from run to run.
#ifndef KILNBOOK_EXTRA_EXTRA_RECORDS_H_
#define KILNBOOK_EXTRA_EXTRA_RECORDS_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "extra/skill_rating.h"

namespace kilnbook {

// One map of the server. Kills are all "Kill:" lines of its games, as the
// server's KILLS counter counts them; a win is a "red:" line with a higher
// score for one side (red is Axis, blue Allies).
struct MapTotals {
  int64_t games = 0;
  int64_t kills = 0;
  int64_t axisWins = 0;
  int64_t alliesWins = 0;
};

// One calendar day (the local date of the runs that consumed the games).
struct DayTotals {
  int64_t games = 0;
  int64_t kills = 0;
  int64_t players = 0;  // distinct key names seen in the day's games
};

// One player on one map. Kills and deaths as the player's own counters book
// them (team kills included, suicides not).
struct PlayerMapTotals {
  int64_t games = 0;
  int64_t kills = 0;
  int64_t deaths = 0;
};

// One player, by key name.
struct PlayerExtra {
  std::optional<int64_t> firstSeen;  // time of the first run that saw a game
  std::optional<int64_t> lastSeen;   // time of the latest such run
  int64_t games = 0;                 // games with a userinfo line
  int64_t secondsPlayed = 0;
  int64_t rating = kStartRating;  // thousandths of a point
  std::map<std::string, PlayerMapTotals> maps;
};

// Text keys in byte order, as everywhere else; days by day number.
struct ExtraRecords {
  std::map<std::string, MapTotals> maps;
  std::map<int64_t, DayTotals> days;
  std::map<std::string, PlayerExtra, std::less<>> players;
};

}  // namespace kilnbook

#endif  // KILNBOOK_EXTRA_EXTRA_RECORDS_H_
