// The state file holds one record per line, fields separated by "|", every
// line ended by a line feed:
//
//   KILNBOOK_EXTRA|1                                  header, format version
//   MAP|map|games|kills|axis wins|allies wins        one per map
//   DAY|YYYY-MM-DD|games|kills|players               one per day kept
//   PLR|key name|first seen|last seen|games|seconds played|rating
//   PMP|key name|map|games|kills|deaths              one per player and map
//
// Written in this order: the header, maps by name, days by date, then each
// player by key name with its PMP lines by map name. Names are cleaned texts
// (CleanText), which never hold "|" or a line feed. Numbers are decimal
// 64-bit integers: counts and seconds are never negative; first and last
// seen are seconds since the epoch, or empty for never; the rating is in
// thousandths of a point, kept exact so that a rating survives any number
// of saves unchanged.
#include "extra/extra_state.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "extra/state_fields.h"
#include "log/text_clean.h"
#include "time/calendar.h"

namespace kilnbook {

namespace {

constexpr std::string_view kHeader = "KILNBOOK_EXTRA|";
constexpr std::string_view kVersion = "1";

// A time field: empty for never.
bool ReadTime(std::string_view field, std::optional<int64_t>& time) {
  return ReadOptionalNumber(field, 0, kMaxTime, time);
}

void ReadMap(const std::vector<std::string_view>& f, ExtraRecords& records) {
  auto games = CountField(f[2]), kills = CountField(f[3]),
       axis = CountField(f[4]), allies = CountField(f[5]);
  if (IsCleanText(f[1]) && games && kills && axis && allies) {
    records.maps[std::string(f[1])] = MapTotals{*games, *kills, *axis, *allies};
  }
}

void ReadDay(const std::vector<std::string_view>& f, ExtraRecords& records) {
  auto day = ParseDayText(f[1]);
  auto games = CountField(f[2]), kills = CountField(f[3]),
       players = CountField(f[4]);
  if (day && games && kills && players) {
    records.days[*day] = DayTotals{*games, *kills, *players};
  }
}

void ReadPlayer(const std::vector<std::string_view>& f, ExtraRecords& records) {
  std::optional<int64_t> firstSeen, lastSeen;
  auto games = CountField(f[4]), seconds = CountField(f[5]);
  auto rating = BoundedNumber(f[6], -kMaxRating, kMaxRating);
  if (!IsCleanText(f[1]) || !ReadTime(f[2], firstSeen) ||
      !ReadTime(f[3], lastSeen) || !games || !seconds || !rating) {
    return;
  }
  // A repeated record replaces the counters; maps read before stay.
  PlayerExtra& player = records.players[std::string(f[1])];
  player.firstSeen = firstSeen;
  player.lastSeen = lastSeen;
  player.games = *games;
  player.secondsPlayed = *seconds;
  player.rating = *rating;
}

void ReadPlayerMap(const std::vector<std::string_view>& f,
                   ExtraRecords& records) {
  auto games = CountField(f[3]), kills = CountField(f[4]),
       deaths = CountField(f[5]);
  if (IsCleanText(f[1]) && IsCleanText(f[2]) && games && kills && deaths) {
    records.players[std::string(f[1])].maps[std::string(f[2])] =
        PlayerMapTotals{*games, *kills, *deaths};
  }
}

void ReadRecord(std::string_view line, ExtraRecords& records) {
  std::vector<std::string_view> f = SplitFields(line);
  if (f[0] == "MAP" && f.size() == 6) {
    ReadMap(f, records);
  } else if (f[0] == "DAY" && f.size() == 5) {
    ReadDay(f, records);
  } else if (f[0] == "PLR" && f.size() == 7) {
    ReadPlayer(f, records);
  } else if (f[0] == "PMP" && f.size() == 6) {
    ReadPlayerMap(f, records);
  }
}

}  // namespace

std::string ExtraStateText(const ExtraRecords& records) {
  std::string out(kHeader);
  out += kVersion;
  out += '\n';
  for (const auto& [name, map] : records.maps) {
    out += "MAP";
    AppendField(out, name);
    AppendField(out, map.games);
    AppendField(out, map.kills);
    AppendField(out, map.axisWins);
    AppendField(out, map.alliesWins);
    out += '\n';
  }
  for (const auto& [day, totals] : records.days) {
    out += "DAY";
    AppendField(out, DayText(day));
    AppendField(out, totals.games);
    AppendField(out, totals.kills);
    AppendField(out, totals.players);
    out += '\n';
  }
  for (const auto& [name, player] : records.players) {
    out += "PLR";
    AppendField(out, name);
    AppendField(out, player.firstSeen);
    AppendField(out, player.lastSeen);
    AppendField(out, player.games);
    AppendField(out, player.secondsPlayed);
    AppendField(out, player.rating);
    out += '\n';
    for (const auto& [map, totals] : player.maps) {
      out += "PMP";
      AppendField(out, name);
      AppendField(out, map);
      AppendField(out, totals.games);
      AppendField(out, totals.kills);
      AppendField(out, totals.deaths);
      out += '\n';
    }
  }
  return out;
}

bool ReadExtraState(std::string_view text, ExtraRecords& records) {
  records = ExtraRecords();
  return ReadStateLines(
      text, kHeader, kVersion,
      [&records](std::string_view line) { ReadRecord(line, records); });
}

}  // namespace kilnbook
