#include "extra/extra_stats.h"

#include "time/calendar.h"
#include "extra/extra_state.h"
#include "log/line_fields.h"
#include "extra/skill_rating.h"
#include "model/player_table.h"

namespace kilnbook {

void ExtraStats::BeginRun(std::time_t runTime) {
  runTime_ = runTime;
  runDay_ = LocalDayNumber(runTime);
  slots_ = SlotNames();
  game_.reset();
  ForgetRecordPointers();
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
      Userinfo(event);
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
    // Never the run's own day, which runDayTotals_ may point to.
    auto& days = records_.days;
    days.erase(days.begin(), days.lower_bound(*runDay_ - kHistoryDays));
  }
}

std::string ExtraStats::StateText() const { return ExtraStateText(records_); }

bool ExtraStats::LoadState(std::string_view text) {
  ForgetRecordPointers();
  return ReadExtraState(text, records_);
}

const PlayerExtra* ExtraStats::FindPlayer(std::string_view name) const {
  auto it = records_.players.find(name);
  return it == records_.players.end() ? nullptr : &it->second;
}

void ExtraStats::StartGame(std::string_view line) {
  game_.emplace(InitGameMapName(line), TimeColumnSeconds(line).value_or(0));
  if (!game_->map().empty()) {
    gameMap_ = &records_.maps[game_->map()];
  }
}

void ExtraStats::FinishGame() {
  if (!game_) {
    return;
  }
  if (gameMap_ != nullptr) {
    ++gameMap_->games;
  }
  if (DayTotals* day = RunDay()) {
    ++day->games;
  }
  for (const auto& [name, seconds] : game_->Finish()) {
    SeePlayer(name, seconds);
  }
  game_.reset();
  gameMap_ = nullptr;
  slotRecords_.clear();  // their map totals belong to the finished game
}

void ExtraStats::SeePlayer(const std::string& name, int64_t seconds) {
  PlayerExtra& player = records_.players[name];
  // A player counts once per day, in the first run of the day that sees it.
  DayTotals* day = RunDay();
  if (day != nullptr &&
      !(player.lastSeen && LocalDayNumber(*player.lastSeen) == runDay_)) {
    ++day->players;
  }
  if (!player.firstSeen) {
    player.firstSeen = runTime_;
  }
  player.lastSeen = runTime_;
  ++player.games;
  player.secondsPlayed += seconds;
  if (gameMap_ != nullptr) {
    ++player.maps[game_->map()].games;
  }
}

void ExtraStats::Userinfo(const LogEvent& event) {
  slots_.Userinfo(event.slot, event.name, event.model);
  slotRecords_.erase(event.slot);
  if (game_) {
    game_->Userinfo(event.slot, event.name);
  }
}

void ExtraStats::Red(const LogEvent& event) {
  if (gameMap_ == nullptr) {
    return;
  }
  // Red is Axis; equal scores are nobody's win.
  if (event.redScore < event.blueScore) {
    ++gameMap_->alliesWins;
  } else if (event.blueScore < event.redScore) {
    ++gameMap_->axisWins;
  }
}

void ExtraStats::Kill(const LogEvent& event) {
  if (DayTotals* day = RunDay()) {
    ++day->kills;
  }
  if (gameMap_ != nullptr) {
    ++gameMap_->kills;
  }
  if (slots_.Resolve(event.killer) == nullptr ||
      slots_.Resolve(event.victim) == nullptr) {
    return;
  }
  if (event.killer == event.victim) {
    if (event.killer != kWorldSlot) {
      SlotPlayer(event.killer).rating -= kSuicidePenalty;
    }
    return;
  }
  if (PlayerMapTotals* map = SlotPlayerMap(event.killer)) {
    ++map->kills;
  }
  if (PlayerMapTotals* map = SlotPlayerMap(event.victim)) {
    ++map->deaths;
  }
  Rate(event.killer, event.victim);
}

void ExtraStats::Rate(int32_t killerSlot, int32_t victimSlot) {
  // The world is nobody's opponent.
  if (killerSlot == kWorldSlot || victimSlot == kWorldSlot) {
    return;
  }
  PlayerExtra& killer = SlotPlayer(killerSlot);
  if (slots_.SameTeam(killerSlot, victimSlot)) {
    killer.rating -= kTeamKillPenalty;
    return;
  }
  // Two slots of one name exchange with themselves: no change.
  PlayerExtra& victim = SlotPlayer(victimSlot);
  int64_t exchange = KillExchange(killer.rating, victim.rating);
  killer.rating += exchange;
  victim.rating -= exchange;
}

DayTotals* ExtraStats::RunDay() {
  if (runDayTotals_ == nullptr && runDay_) {
    runDayTotals_ = &records_.days[*runDay_];
  }
  return runDayTotals_;
}

PlayerExtra& ExtraStats::SlotPlayer(int32_t slot) {
  SlotRecords& cached = slotRecords_[slot];
  if (cached.player == nullptr) {
    cached.player = &records_.players[*slots_.Resolve(slot)];
  }
  return *cached.player;
}

PlayerMapTotals* ExtraStats::SlotPlayerMap(int32_t slot) {
  if (gameMap_ == nullptr) {
    return nullptr;
  }
  SlotRecords& cached = slotRecords_[slot];
  if (cached.map == nullptr) {
    cached.map = &SlotPlayer(slot).maps[game_->map()];
  }
  return cached.map;
}

void ExtraStats::ForgetRecordPointers() {
  runDayTotals_ = nullptr;
  gameMap_ = nullptr;
  slotRecords_.clear();
}

std::string_view FavouriteMap(const PlayerExtra& player) {
  std::string_view best;
  const PlayerMapTotals* bestTotals = nullptr;
  // Maps come in name order, so a tie keeps the earlier name. Only maps
  // played count: the world kills on maps it never plays.
  for (const auto& [map, totals] : player.maps) {
    if (totals.games <= 0) {
      continue;
    }
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
