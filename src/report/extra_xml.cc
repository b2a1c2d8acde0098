#include "report/extra_xml.h"

#include <cstdint>
#include <optional>

#include "time/calendar.h"
#include "extra/skill_rating.h"
#include "log/number_text.h"
#include "report/xml_text.h"

namespace kilnbook {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

void AppendWide(std::string& out, int tabs, std::string_view element,
                int64_t value) {
  AppendElement(out, tabs, element, WideNumberText(value));
}

std::string SeenText(const std::optional<int64_t>& time) {
  return time ? LocalMinuteText(static_cast<std::time_t>(*time)) : "";
}

std::string DaysInactiveText(const std::optional<int64_t>& lastSeen,
                             std::time_t now) {
  if (!lastSeen) {
    return {};
  }
  int64_t elapsed = static_cast<int64_t>(now) - *lastSeen;
  return WideNumberText(elapsed > 0 ? elapsed / kSecondsPerDay : 0);
}

}  // namespace

std::string PlayerExtraXml(const ExtraReport& extra, std::string_view name,
                           bool daysInactive) {
  PlayerExtra none;
  const PlayerExtra* found = extra.stats.FindPlayer(name);
  const PlayerExtra& player = found != nullptr ? *found : none;
  std::string out;
  AppendLine(out, 1, "<ACTIVITY>");
  AppendElement(out, 2, "FIRSTSEEN", SeenText(player.firstSeen));
  AppendElement(out, 2, "LASTSEEN", SeenText(player.lastSeen));
  if (daysInactive) {
    AppendElement(out, 2, "DAYSINACTIVE",
                  DaysInactiveText(player.lastSeen, extra.now));
  }
  AppendWide(out, 2, "GAMES", player.games);
  AppendWide(out, 2, "TIMEPLAYED", player.secondsPlayed);
  AppendLine(out, 1, "</ACTIVITY>");
  AppendWide(out, 1, "RATING", RatingPoints(player.rating));
  AppendElement(out, 1, "FAVOURITEMAP", FavouriteMap(player));
  return out;
}

std::string PlayerMapsXml(const ExtraStats& stats, std::string_view name) {
  std::string out;
  AppendLine(out, 1, "<MAPS>");
  if (const PlayerExtra* player = stats.FindPlayer(name)) {
    for (const auto& [map, totals] : player->maps) {
      AppendLine(out, 2, "<MAP>");
      AppendElement(out, 3, "NAME", map);
      AppendWide(out, 3, "GAMES", totals.games);
      AppendWide(out, 3, "KILLS", totals.kills);
      AppendWide(out, 3, "DEATHS", totals.deaths);
      AppendLine(out, 2, "</MAP>");
    }
  }
  AppendLine(out, 1, "</MAPS>");
  return out;
}

std::string ServerMapsXml(const ExtraStats& stats) {
  std::string out = "<MAPS>\n";
  for (const auto& [map, totals] : stats.records().maps) {
    AppendLine(out, 1, "<MAP>");
    AppendElement(out, 2, "NAME", map);
    AppendWide(out, 2, "GAMES", totals.games);
    AppendWide(out, 2, "KILLS", totals.kills);
    AppendWide(out, 2, "AXISWINS", totals.axisWins);
    AppendWide(out, 2, "ALLIESWINS", totals.alliesWins);
    AppendLine(out, 1, "</MAP>");
  }
  out += "</MAPS>\n";
  return out;
}

std::string HistoryXml(const ExtraStats& stats, std::time_t now, int tabs) {
  std::string out;
  AppendLine(out, tabs, "<HISTORY>");
  if (std::optional<int64_t> today = LocalDayNumber(now)) {
    const auto& days = stats.records().days;
    for (int64_t day = *today - kHistoryDocumentDays + 1; day <= *today;
         ++day) {
      auto it = days.find(day);
      DayTotals totals = it != days.end() ? it->second : DayTotals();
      AppendLine(out, tabs + 1, "<DAY>");
      AppendElement(out, tabs + 2, "DATE", DayText(day));
      AppendWide(out, tabs + 2, "GAMES", totals.games);
      AppendWide(out, tabs + 2, "KILLS", totals.kills);
      AppendWide(out, tabs + 2, "PLAYERS", totals.players);
      AppendLine(out, tabs + 1, "</DAY>");
    }
  }
  AppendLine(out, tabs, "</HISTORY>");
  return out;
}

}  // namespace kilnbook
