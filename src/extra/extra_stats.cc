#include "extra/extra_stats.h"

#include "extra/calendar.h"
#include "extra/extra_state.h"
#include "extra/line_fields.h"
#include "extra/skill_rating.h"
#include "model/player_table.h"

namespace kilnbook {

void ExtraStats::BeginRun(std::time_t runTime) {
  runTime_ = runTime;
  runDay_ = LocalDayNumber(runTime);
  slots_ = SlotNames();
  game_.reset();
}

void ExtraStats::AccountLine(std::string_view line, const LogEvent& event) {
  if (event.kind == LogEventKind::InitGame) {
    FinishGame();  // a game cut off without "ShutdownGame:"
    StartGame(line);
    return;
  }
  if (game_) {
    if (std::optional<int64_t> time = TimeColumnSeconds(line)) {
      game_->SetTime(*time);
    }
  }
  switch (event.kind) {
    case LogEventKind::ShutdownGame:
      FinishGame();
      break;
    case LogEventKind::Red:
      Red(event);
      break;
    case LogEventKind::ClientUserinfoChanged:
      slots_.Userinfo(event.slot, event.name, event.model);
      if (game_) {
        game_->Userinfo(event.slot, event.name);
      }
      break;
    case LogEventKind::ClientDisconnect:
      if (game_) {
        game_->Disconnect(DisconnectSlot(line));
      }
      break;
    case LogEventKind::Kill:
      Kill(event);
      break;
    default:
      break;
  }
}

void ExtraStats::EndRun() {
  FinishGame();
  if (runDay_) {
    auto& days = records_.days;
    days.erase(days.begin(), days.lower_bound(*runDay_ - kHistoryDays));
  }
}

std::string ExtraStats::StateText() const { return ExtraStateText(records_); }

bool ExtraStats::LoadState(std::string_view text) {
  return ReadExtraState(text, records_);
}

const PlayerExtra* ExtraStats::FindPlayer(std::string_view name) const {
  auto it = records_.players.find(name);
  return it == records_.players.end() ? nullptr : &it->second;
}

void ExtraStats::StartGame(std::string_view line) {
  game_.emplace(InitGameMapName(line), TimeColumnSeconds(line).value_or(0));
}

void ExtraStats::FinishGame() {
  if (!game_) {
    return;
  }
  if (MapTotals* map = GameMap()) {
    ++map->games;
  }
  if (runDay_) {
    ++records_.days[*runDay_].games;
  }
  for (const auto& [name, seconds] : game_->Finish()) {
    SeePlayer(name, seconds);
  }
  game_.reset();
}

void ExtraStats::SeePlayer(const std::string& name, int64_t seconds) {
  PlayerExtra& player = records_.players[name];
  // A player counts once per day, in the first run of the day that sees it.
  if (runDay_ &&
      !(player.lastSeen && LocalDayNumber(*player.lastSeen) == runDay_)) {
    ++records_.days[*runDay_].players;
  }
  if (!player.firstSeen) {
    player.firstSeen = runTime_;
  }
  player.lastSeen = runTime_;
  ++player.games;
  player.secondsPlayed += seconds;
  if (PlayerMapTotals* map = GamePlayerMap(name)) {
    ++map->games;
  }
}

void ExtraStats::Red(const LogEvent& event) {
  MapTotals* map = GameMap();
  if (map == nullptr) {
    return;
  }
  // Red is Axis; equal scores are nobody's win.
  if (event.redScore < event.blueScore) {
    ++map->alliesWins;
  } else if (event.blueScore < event.redScore) {
    ++map->axisWins;
  }
}

void ExtraStats::Kill(const LogEvent& event) {
  if (runDay_) {
    ++records_.days[*runDay_].kills;
  }
  if (MapTotals* map = GameMap()) {
    ++map->kills;
  }
  // The killer is resolved first, as the player table does.
  const std::string* killer = slots_.Resolve(event.killer);
  if (killer == nullptr) {
    return;
  }
  const std::string* victim = slots_.Resolve(event.victim);
  if (victim == nullptr) {
    return;
  }
  if (event.killer == event.victim) {
    if (event.killer != kWorldSlot) {
      records_.players[*killer].rating -= kSuicidePenalty;
    }
    return;
  }
  if (PlayerMapTotals* map = GamePlayerMap(*killer)) {
    ++map->kills;
  }
  if (PlayerMapTotals* map = GamePlayerMap(*victim)) {
    ++map->deaths;
  }
  Rate(event.killer, event.victim, *killer, *victim);
}

void ExtraStats::Rate(int32_t killerSlot, int32_t victimSlot,
                      const std::string& killer, const std::string& victim) {
  // The world is nobody's opponent.
  if (killerSlot == kWorldSlot || victimSlot == kWorldSlot) {
    return;
  }
  PlayerExtra& k = records_.players[killer];
  if (slots_.SameTeam(killerSlot, victimSlot)) {
    k.rating -= kTeamKillPenalty;
    return;
  }
  // Two slots of one name exchange with themselves: no change.
  PlayerExtra& v = records_.players[victim];
  int64_t exchange = KillExchange(k.rating, v.rating);
  k.rating += exchange;
  v.rating -= exchange;
}

MapTotals* ExtraStats::GameMap() {
  if (!game_ || game_->map().empty()) {
    return nullptr;
  }
  return &records_.maps[game_->map()];
}

PlayerMapTotals* ExtraStats::GamePlayerMap(const std::string& name) {
  if (!game_ || game_->map().empty()) {
    return nullptr;
  }
  return &records_.players[name].maps[game_->map()];
}

std::string_view FavouriteMap(const PlayerExtra& player) {
  std::string_view best;
  const PlayerMapTotals* bestTotals = nullptr;
  // Maps come in name order, so a tie keeps the earlier name.
  for (const auto& [map, totals] : player.maps) {
    if (bestTotals == nullptr || totals.games > bestTotals->games ||
        (totals.games == bestTotals->games &&
         totals.kills > bestTotals->kills)) {
      best = map;
      bestTotals = &totals;
    }
  }
  return best;
}

}  // namespace kilnbook
