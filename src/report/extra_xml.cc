#include "report/extra_xml.h"

#include <cstdint>
#include <optional>

#include "log/number_text.h"
#include "report/game_fields.h"
#include "report/xml_text.h"
#include "time/calendar.h"

namespace kilnbook {

namespace {

std::string SeenText(const std::optional<int64_t>& time) {
  return time ? LocalMinuteText(static_cast<std::time_t>(*time)) : "";
}

// One MAP element: its name, then `fields` of `totals`.
template <typename Totals, size_t N>
void AppendMap(std::string& out, int tabs, std::string_view name,
               const Totals& totals, const MapField<Totals> (&fields)[N]) {
  AppendLine(out, tabs, "<MAP>");
  AppendElement(out, tabs + 1, "NAME", name);
  for (const MapField<Totals>& field : fields) {
    AppendWideElement(out, tabs + 1, field.element, totals.*field.value);
  }
  AppendLine(out, tabs, "</MAP>");
}

void AppendPlayerGame(std::string& out, const PlayerGame& entry) {
  const GameRecord& game = *entry.game;
  const GamePlayer& player = *entry.player;
  AppendLine(out, 2, "<GAME>");
  AppendWideElement(out, 3, "NUMBER", game.number);
  AppendElement(out, 3, "WHEN",
                LocalMinuteText(static_cast<std::time_t>(game.runTime)));
  AppendElement(out, 3, "MAP", game.map);
  AppendElement(out, 3, "TEAM", TeamDisplayName(player.team));
  AppendElement(out, 3, "RESULT", ResultText(game, player));
  AppendWideElement(out, 3, "KILLS", player.kills);
  AppendWideElement(out, 3, "DEATHS", player.deaths);
  AppendElement(out, 3, "SCORE",
                player.score ? WideNumberText(*player.score) : "");
  AppendWideElement(out, 3, "RATINGCHANGE", RatingChangePoints(player));
  AppendLine(out, 2, "</GAME>");
}

}  // namespace

std::string PlayerExtraXml(const PlayerActivity& activity,
                           DaysInactive daysInactive) {
  const PlayerExtra& player = activity.record;
  std::string out;
  AppendLine(out, 1, "<ACTIVITY>");
  AppendElement(out, 2, "FIRSTSEEN", SeenText(player.firstSeen));
  AppendElement(out, 2, "LASTSEEN", SeenText(player.lastSeen));
  if (daysInactive == DaysInactive::kShown) {
    AppendElement(out, 2, "DAYSINACTIVE",
                  activity.daysInactive ? WideNumberText(*activity.daysInactive)
                                        : std::string());
  }
  AppendWideElement(out, 2, "GAMES", player.games);
  AppendWideElement(out, 2, "TIMEPLAYED", player.secondsPlayed);
  AppendLine(out, 1, "</ACTIVITY>");
  AppendWideElement(out, 1, "RATING", activity.ratingPoints);
  AppendElement(out, 1, "FAVOURITEMAP", activity.favouriteMap);
  return out;
}

std::string PlayerMapsXml(const PlayerActivity& activity) {
  std::string out;
  AppendLine(out, 1, "<MAPS>");
  for (const auto& [map, totals] : activity.record.maps) {
    AppendMap(out, 2, map, totals, kPlayerMapFields);
  }
  AppendLine(out, 1, "</MAPS>");
  return out;
}

std::string ServerMapsXml(const ExtraStats& stats) {
  std::string out = "<MAPS>\n";
  for (const auto& [map, totals] : stats.records().maps) {
    AppendMap(out, 1, map, totals, kServerMapFields);
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
      AppendWideElement(out, tabs + 2, "GAMES", totals.games);
      AppendWideElement(out, tabs + 2, "KILLS", totals.kills);
      AppendWideElement(out, tabs + 2, "PLAYERS", totals.players);
      AppendLine(out, tabs + 1, "</DAY>");
    }
  }
  AppendLine(out, tabs, "</HISTORY>");
  return out;
}

std::string PlayerGamesXml(const GameHistory& history, std::string_view name) {
  std::string out;
  AppendLine(out, 1, "<LASTGAMES>");
  for (const PlayerGame& entry : history.LastGamesOf(name, kPlayerGamesShown)) {
    AppendPlayerGame(out, entry);
  }
  AppendLine(out, 1, "</LASTGAMES>");
  const PlayerBests* bests = history.BestsOf(name);
  if (bests == nullptr) {
    return out;
  }
  AppendLine(out, 1, "<BESTS>");
  for (const FeatBlock& block : kFeatBlocks) {
    const FeatFigure& figure = FeatOf(*bests, block.feat);
    if (figure.value > 0) {
      AppendTagLine(out, 2, "", block.best);
      AppendFigure(out, 3, history, figure.value, figure.game);
      AppendTagLine(out, 2, "/", block.best);
    }
  }
  AppendLine(out, 1, "</BESTS>");
  return out;
}

std::string LastGameXml(const GameHistory& history) {
  if (history.games().empty()) {
    return {};
  }
  std::string out;
  AppendLine(out, 2, "<LASTGAME>");
  AppendGameSummary(out, 3, history.games().back());
  AppendLine(out, 2, "</LASTGAME>");
  return out;
}

}  // namespace kilnbook
