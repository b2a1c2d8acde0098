#include "report/json_feed.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

#include "extra/skill_rating.h"
#include "log/text_clean.h"
#include "model/player.h"
#include "model/player_table.h"
#include "model/weapon_table.h"
#include "report/extra_fields.h"
#include "report/game_fields.h"
#include "report/player_xml.h"
#include "report/utf8_text.h"
#include "time/calendar.h"

namespace kilnbook {

namespace {

// Keeps the order in which fields are added, so the feed reads like the
// documents.
using Json = nlohmann::ordered_json;

Json OptionalTime(const std::optional<int64_t>& time) {
  if (!time) {
    return nullptr;
  }
  std::string text = LocalIsoText(static_cast<std::time_t>(*time));
  return text.empty() ? Json(nullptr) : Json(text);
}

Json OptionalText(std::string_view text) {
  return text.empty() ? Json(nullptr) : Json(FeedName(text));
}

Json ServerTotals(const Server& server) {
  const ServerCounters& c = server.counters();
  return Json{
      {"redscore", c.REDSCORE},
      {"bluescore", c.BLUESCORE},
      {"redwin", c.REDWIN},
      {"bluewin", c.BLUEWIN},
      {"clientconnect", c.CLIENTCONNECT},
      {"gameshutdown", c.GAMESHUTDOWN},
      {"gameexit", c.GAMEEXIT},
      {"gameinit", c.GAMEINIT},
      {"kills", c.KILLS},
      {"teamkills", c.TEAMKILLS},
      {"ping", c.PING},
      {"totalplayers", server.playerTable().players().size()},
  };
}

// One row of a map: its name, then `fields` of `totals`.
template <typename Totals, size_t N>
Json MapRow(std::string_view name, const Totals& totals,
            const MapField<Totals> (&fields)[N]) {
  Json row = Json::object();
  row["name"] = FeedName(name);
  for (const MapField<Totals>& field : fields) {
    row[std::string(field.key)] = totals.*field.value;
  }
  return row;
}

Json ServerMaps(const ExtraStats& stats) {
  Json maps = Json::array();
  for (const auto& [name, totals] : stats.records().maps) {
    maps.push_back(MapRow(name, totals, kServerMapFields));
  }
  return maps;
}

Json History(const ExtraStats& stats) {
  Json days = Json::array();
  for (const auto& [day, totals] : stats.records().days) {
    days.push_back(Json{{"date", DayText(day)},
                        {"games", totals.games},
                        {"kills", totals.kills},
                        {"players", totals.players}});
  }
  return days;
}

Json NameItems(const NameTally& tally) {
  Json items = Json::array();
  for (const auto& [name, times] : tally) {
    items.push_back(Json{{"name", FeedName(name)}, {"times", times}});
  }
  return items;
}

// Identifiers with their display names: teams and models.
Json NamedItems(const NameTally& tally,
                std::string_view (*displayName)(std::string_view)) {
  Json items = Json::array();
  for (const auto& [id, times] : tally) {
    items.push_back(Json{{"id", RepairedUtf8(id, Utf8Repair::kBytesOnly)},
                         {"name", std::string(displayName(id))},
                         {"times", times}});
  }
  return items;
}

Json PlayerMaps(const PlayerActivity& activity) {
  Json maps = Json::array();
  for (const auto& [name, totals] : activity.record.maps) {
    maps.push_back(MapRow(name, totals, kPlayerMapFields));
  }
  return maps;
}

Json Activity(const PlayerActivity& activity) {
  const PlayerExtra& player = activity.record;
  return Json{
      {"first_seen", OptionalTime(player.firstSeen)},
      {"last_seen", OptionalTime(player.lastSeen)},
      {"days_inactive",
       activity.daysInactive ? Json(*activity.daysInactive) : Json(nullptr)},
      {"games", player.games},
      {"time_played", player.secondsPlayed}};
}

// The value of a figure, its game, and whether `history` keeps that game.
Json Figure(const GameHistory& history, int64_t value, int64_t game) {
  return Json{{"value", value},
              {"game", game},
              {"kept", history.FindGame(game) != nullptr}};
}

// A player's best figure of each feat; null for a figure of 0.
Json Bests(const GameHistory& history, std::string_view name) {
  const PlayerBests* bests = history.BestsOf(name);
  if (bests == nullptr) {
    return nullptr;
  }
  Json entry = Json::object();
  for (const FeatBlock& block : kFeatBlocks) {
    const FeatFigure& figure = FeatOf(*bests, block.feat);
    entry[std::string(block.feed)] =
        figure.value > 0 ? Figure(history, figure.value, figure.game)
                         : Json(nullptr);
  }
  return entry;
}

Json Weapon(int32_t code) {
  std::string_view name = WeaponDisplayName(code);
  std::optional<std::string_view> id = WeaponTable().Text(code, false);
  return Json{{"code", code},
              {"id", id ? Json(std::string(*id)) : Json(nullptr)},
              {"name", name.empty() ? Json(nullptr) : Json(std::string(name))}};
}

// The weapons of a player's tally: each one's Weapon(code), then its times.
Json WeaponItems(const CodeTally& tally) {
  Json items = Json::array();
  for (const auto& [code, times] : tally) {
    Json item = Weapon(code);
    item["times"] = times;
    items.push_back(std::move(item));
  }
  return items;
}

Json GamePlayerEntry(const GameRecord& game, const GamePlayer& player) {
  std::string_view result = ResultText(game, player);
  return Json{
      {"name", FeedName(player.name)},
      {"plain_name", FeedName(ColorizeName(player.name, NameMode::kPlain))},
      {"team", std::string(TeamDisplayName(player.team))},
      {"result", result.empty() ? Json(nullptr) : Json(std::string(result))},
      {"score", player.score ? Json(*player.score) : Json(nullptr)},
      {"kills", player.kills},
      {"deaths", player.deaths},
      {"suicides", player.suicides},
      {"teamkills", player.teamKills},
      {"time_played", player.secondsPlayed},
      {"rating_before", RatingPoints(player.ratingBefore)},
      {"rating_after", RatingPoints(player.ratingAfter)},
      {"best_spree", player.bestSpree},
      {"best_multikill", player.bestMultiKill},
      {"weapon", player.weapon ? Weapon(*player.weapon) : Json(nullptr)},
  };
}

Json FirstBloodEntry(const GameRecord& game) {
  if (!game.firstBlood) {
    return nullptr;
  }
  return Json{{"killer", FeedName(game.firstBlood->killer)},
              {"victim", FeedName(game.firstBlood->victim)},
              {"time", game.firstBlood->time}};
}

Json GameEntry(const GameRecord& game) {
  std::string_view winner = WinnerText(WinnerOf(game));
  Json weapons = Json::array();
  for (const WeaponKills& weapon : game.weapons) {
    Json entry = Weapon(weapon.code);
    entry["kills"] = weapon.kills;
    weapons.push_back(std::move(entry));
  }
  Json players = Json::array();
  for (const GamePlayer* player : Scoreboard(game)) {
    players.push_back(GamePlayerEntry(game, *player));
  }
  return Json{
      {"number", game.number},
      {"time", OptionalTime(game.runTime)},
      {"time_unix", game.runTime},
      {"map", OptionalText(game.map)},
      {"length", game.length},
      {"scores", game.scores ? Json{{"axis", game.scores->red},
                                    {"allies", game.scores->blue}}
                             : Json(nullptr)},
      {"winner", winner.empty() ? Json(nullptr) : Json(std::string(winner))},
      {"first_blood", FirstBloodEntry(game)},
      {"weapons", std::move(weapons)},
      {"players", std::move(players)},
  };
}

// The latest kFeedGames kept games, newest first.
Json Games(const GameHistory& history) {
  Json games = Json::array();
  const auto& kept = history.games();
  size_t count = 0;
  for (auto it = kept.rbegin(); it != kept.rend() && count < kFeedGames;
       ++it, ++count) {
    games.push_back(GameEntry(*it));
  }
  return games;
}

Json Records(const GameHistory& history) {
  Json records = Json::object();
  for (const FeatBlock& block : kFeatBlocks) {
    Json entries = Json::array();
    for (const RecordEntry& entry : FeatOf(history.records(), block.feat)) {
      Json item = Figure(history, entry.value, entry.game);
      item["name"] = FeedName(entry.name);
      entries.push_back(std::move(item));
    }
    records[std::string(block.feed)] = std::move(entries);
  }
  return records;
}

Json PlayerEntry(const Player& player, const ExtraStats& stats,
                 std::time_t now) {
  const PlayerStats& s = player.stats();
  PlayerActivity activity = ActivityOf(stats, player.name(), now);
  return Json{
      {"name", FeedName(player.name())},
      {"plain_name", FeedName(s.plainName)},
      {"stats", Json{{"kills", s.kills},
                     {"deaths", s.deaths},
                     {"teamkills", s.teamKills},
                     {"suicides", s.suicides},
                     {"ping", s.ping},
                     {"score", s.score},
                     {"rate", player.RateValue()},
                     {"ratio", player.RatioValue()}}},
      {"targets", NameItems(s.targets)},
      {"killers", NameItems(s.killers)},
      {"teamkill_victims", NameItems(s.teamKillVictims)},
      {"kill_weapons", WeaponItems(s.killWeapons)},
      {"death_weapons", WeaponItems(s.deathWeapons)},
      {"suicide_weapons", WeaponItems(s.suicideWeapons)},
      {"teams", NamedItems(s.teams, TeamDisplayName)},
      {"models", NamedItems(s.models, ModelDisplayName)},
      {"maps", PlayerMaps(activity)},
      {"activity", Activity(activity)},
      {"rating", activity.ratingPoints},
      {"favourite_map", OptionalText(activity.favouriteMap)},
      {"bests", Bests(stats.games(), player.name())},
  };
}

}  // namespace

std::string FeedName(std::string_view cleaned) {
  std::string decoded;
  decoded.reserve(cleaned.size());
  size_t pos = 0;
  while (pos < cleaned.size()) {
    if (cleaned.substr(pos, 5) == "&amp;") {
      decoded += '&';
      pos += 5;
    } else if (cleaned.substr(pos, 6) == "&quot;") {
      decoded += '"';
      pos += 6;
    } else {
      decoded += cleaned[pos];
      ++pos;
    }
  }
  return RepairedUtf8(decoded, Utf8Repair::kBytesOnly);
}

std::string FeedJson(const Server& server, const ExtraStats& stats,
                     std::time_t now) {
  Json players = Json::array();
  for (const auto& [name, player] : server.playerTable().players()) {
    if (player->MeetsThresholds()) {
      players.push_back(PlayerEntry(*player, stats, now));
    }
  }
  std::string generated = LocalIsoText(now);
  Json feed{
      {"schema_version", kFeedSchemaVersion},
      {"generated", generated.empty() ? Json(nullptr) : Json(generated)},
      {"generated_unix", static_cast<int64_t>(now)},
      {"server", Json{{"name", FeedName(server.name())},
                      {"address", FeedName(server.address())}}},
      {"totals", ServerTotals(server)},
      {"maps", ServerMaps(stats)},
      {"history", History(stats)},
      {"players", std::move(players)},
      {"games", Games(stats.games())},
      {"records", Records(stats.games())},
  };
  // Every text is valid UTF-8 by now; replacing instead of throwing only
  // guards against a mistake here.
  return feed.dump(1, '\t', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kilnbook
